#!/usr/bin/python3
"""A morning at the order desk in Debian's chromium (python3-selenium), as
DeskBrowserTest starts it: a service with its desk, an admin, a shop whose
name is hostile. Environment: DESK_URL, DESK_USER, DESK_PASSWORD, TARVIK_SERVER,
TARVIK_CALL (the client's request functions), DESK_SHOTS (a folder).
CSRF tokens, wrong passwords and log-outs are desk_test's (in-process)."""
import base64, os, subprocess, sys, tempfile, time, urllib.error, urllib.request
from selenium import webdriver
from selenium.common.exceptions import NoAlertPresentException
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.common.print_page_options import PrintOptions

DESK, SHOTS = os.environ['DESK_URL'], os.environ['DESK_SHOTS']
EVIL = '<script>alert(1)</script>"><img src=x onerror=alert(2)> 똠'
LINES = 60  # two A4 pages of pick list


def check(ok, what):
    if not ok:
        raise AssertionError(what)
    print('ok:', what, flush=True)


def tag(name, value):
    return '<%s>%s</%s>' % (name, value, name)


def call(function, *pairs):
    """The shop's side: one command through the client's request functions."""
    out = subprocess.run([os.environ['TARVIK_CALL'], function, *pairs], capture_output=True, text=True)
    return out.stdout


def send_order(code=''):
    head = ''.join(tag(n, v) for n, v in [
        ('OH_CODE', code), ('OH_SD', ''), ('OH_AT', ''), ('OH_MT', ''), ('OH_MCOUNT', '2' if code else '1'),
        ('OH_DD', ''), ('OH_CC', 'C00002'), ('OH_TYPE', 'C'), ('OH_IOG', 'A'), ('OH_SG', '0'),
        ('OH_SCODE', ''), ('OH_RCOUNT', str(LINES)), ('OH_NOTE', EVIL)])
    lines = ''.join(tag('OLD_%d' % i, ''.join(tag(n, v) for n, v in [
        ('OL_NO', str(i)), ('OL_CC', 'C00002'), ('OL_OC', ''), ('OL_GC', 'P%05d' % (i + 1)), ('OL_GN', ''),
        ('OL_GBOX', ''), ('OL_LC', str(i + 1)), ('OL_LN', EVIL if i == 0 else '')])) for i in range(LINES))
    return call('RequestOrderSave', 'DB_KEY=S00001', 'ORDERH_DATA=' + head, 'ORDERL_DATA=' + lines)


def value(name, reply):
    start = reply.find('<%s>' % name)
    return reply[start + len(name) + 2:reply.find('</%s>' % name)] if start >= 0 else ''


def keys(browser, *sequence):
    ActionChains(browser).send_keys(*sequence).perform()


def access_key(browser, key):
    ActionChains(browser).key_down(Keys.ALT).send_keys(key).key_up(Keys.ALT).perform()


def wait_for(condition, seconds=5.0):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        if condition():
            return True
        time.sleep(0.02)
    return False


def nothing_ran(browser, where):
    try:
        browser.switch_to.alert
        check(False, 'no script of a shop ran on ' + where)
    except NoAlertPresentException:
        pass
    scripts = browser.execute_script(
        "return [document.images.length, Array.from(document.scripts).map(s => s.src).join(' ')]")
    check(scripts[0] == 0 and scripts[1] == DESK + '/desk.js', 'nothing of the shops\' text became markup on ' + where)


def main():
    options = webdriver.ChromeOptions()
    options.binary_location = '/usr/bin/chromium'
    for arg in ['--headless', '--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
                '--disable-component-update', '--disable-sync', '--user-data-dir=' + tempfile.mkdtemp(),
                '--window-size=1280,900', '--lang=ko-KR']:
        options.add_argument(arg)
    browser = webdriver.Chrome(service=Service('/usr/bin/chromedriver'), options=options)
    try:
        story(browser)
    finally:
        browser.quit()


def story(b):
    try:
        urllib.request.build_opener(urllib.request.HTTPHandler).open('http://%s/login' % os.environ['TARVIK_SERVER'])
        shops = 200
    except urllib.error.HTTPError as e:
        shops = e.code
    check(shops == 404, 'the shops\' listener knows no desk page')
    b.get(DESK + '/')
    b.find_element(By.NAME, 'name').send_keys(os.environ['DESK_USER'])
    keys(b, Keys.TAB, os.environ['DESK_PASSWORD'], Keys.ENTER)
    check(wait_for(lambda: b.title.startswith('(2) 주문함')), 'logged in by keyboard: the inbox, its count in the title')

    reply = send_order()
    acknowledged = time.monotonic()
    code = value('OH_CODE', reply)
    check(value('RESULT_CODE', reply) == '1', 'the shop\'s order is acknowledged: ' + code)
    notice = '거래처\r\n\r\n%s 에서\r\n\r\n발주가 왔습니다.' % EVIL
    call('RequestOrderAuth', 'OA_CODE=', 'OA_SC=S00001', 'OA_CC=C00002', 'OA_IOG=O', 'OA_STATUS=W', 'OA_WDATE=',
         'OA_WTIME=', 'OA_RTIME=', 'OA_MSG=' + notice)
    link = '#inbox a[data-code="%s"]' % code
    check(wait_for(lambda: b.find_elements(By.CSS_SELECTOR, link)), 'the new order shows without a reload')
    print('figure: acknowledgement to inbox %.2f s' % (time.monotonic() - acknowledged), flush=True)
    check(time.monotonic() - acknowledged <= 2.0 and b.title.startswith('(3) 주문함'), 'within 2 s, counted in the title')
    check(wait_for(lambda: EVIL in b.find_element(By.ID, 'inbox').text), 'the shop\'s name and message show as text')
    nothing_ran(b, 'the inbox')
    b.save_screenshot(os.path.join(SHOTS, 'inbox.png'))

    b.find_element(By.CSS_SELECTOR, link).send_keys(Keys.ENTER)
    check(wait_for(lambda: b.find_elements(By.ID, 'take')), 'Enter opens the order, its button "접수중" in focus')
    nothing_ran(b, 'the order')
    access_key(b, 'i')
    check(wait_for(lambda: '접수중으로 바꾸었습니다.' in b.page_source), 'Alt+I takes it: 접수중')
    b.save_screenshot(os.path.join(SHOTS, 'order.png'))

    refused = send_order(code)
    check(value('RESULT_CODE', refused) == '0' and '접수중' in refused,
          'the shop\'s re-send is refused with the true reason: ' + value('RESULT_MSG', refused))

    access_key(b, 'p')
    check(wait_for(lambda: b.find_elements(By.CSS_SELECTOR, 'table.pick')), 'Alt+P opens the print view')
    codes = [row.text for row in b.find_elements(By.CSS_SELECTOR, 'table.pick tbody tr td:nth-child(2)')]
    check(codes == ['P%05d' % (i + 1) for i in range(LINES)], 'the print view has every line')
    check(b.find_element(By.CSS_SELECTOR, 'p.code-text').text == code and
          len(b.find_elements(By.CSS_SELECTOR, 'svg.barcode rect')) > 20, 'the order code as text and as a barcode')
    nothing_ran(b, 'the print view')
    b.save_screenshot(os.path.join(SHOTS, 'print-screen.png'))
    a4 = PrintOptions()
    a4.page_width, a4.page_height = 21.0, 29.7
    pdf = base64.b64decode(b.print_page(a4))
    with open(os.path.join(SHOTS, 'print.pdf'), 'wb') as f:
        f.write(pdf)
    check(pdf.count(b'/Type /Page') - pdf.count(b'/Type /Pages') >= 2, 'sixty lines print on more than one page')

    b.get(DESK + '/messages')
    check(EVIL in b.find_element(By.TAG_NAME, 'main').text, 'the message shows as text')
    nothing_ran(b, 'the messages')
    b.get(DESK + '/orders/' + code)
    access_key(b, 'o')
    check(wait_for(lambda: '접수로 바꾸었습니다.' in b.page_source), 'Alt+O finishes it: 접수')
    access_key(b, 'l')
    check(wait_for(lambda: b.find_elements(By.NAME, 'password')), 'Alt+L logs out')


if __name__ == '__main__':
    try:
        main()
    except AssertionError as e:
        print('FAILED:', e, flush=True)
        sys.exit(1)
