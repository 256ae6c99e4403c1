#include "mainwindow/HelpScreen.h"

#include <QLabel>
#include <QPlainTextEdit>

#include "controls/ImageButton.h"
#include "screens/ScreenKit.h"

namespace tarvik {

const char* HelpText() {
  return "1. 왼쪽 목록은 주문할 제품을 담는 주문 목록(장바구니)이고, 오른쪽 목록은 "
         "거래처와 한번이라도 거래한 제품 목록입니다.\n\n"
         "2. 오른쪽 목록의 파란 선택줄을 원하는 제품으로 옮긴 뒤 [Enter] 또는 [더블클릭]으로 "
         "선택하면 수량 입력창이 열리고, 입력한 수량이 왼쪽 목록에 표시됩니다.\n\n"
         "3. 제품 검색란에 단어를 입력하고 [Enter]를 누르면 그 단어가 들어간 제품을 모두 찾고, "
         "[F11]을 누르면 그 단어로 시작하는 제품만 찾습니다. 바코드를 스캔하면 그 제품이 "
         "바로 주문 목록에 담기고, 한번 더 스캔하면 수량이 하나씩 늘어납니다.\n\n"
         "4. 오른쪽 목록 위의 [모든제품]을 클릭하면 거래처의 모든 제품이 표시됩니다. "
         "[F2] 또는 [SpaceBar]를 누르면 제품 검색란으로 이동합니다. [F12]는 거래된 제품과 "
         "모든 제품 목록을 서로 바꿉니다.\n\n"
         "5. 선택한 제품의 수량을 바꾸려면 왼쪽 목록에서 제품을 [Enter] 또는 [더블클릭]으로 "
         "선택하십시요. 수량 변경창이 열립니다. [F4] 또는 [Delete]를 누르면 목록에서 "
         "삭제됩니다.\n\n"
         "6. [작성중]을 체크하고 전송한 주문은 거래처에서 볼 수 없습니다. 제품을 추가하거나 "
         "수정하는 동안에는 체크하여 전송하고, 마지막에 체크를 풀고 한번 더 전송하십시요. "
         "그래야 주문이 정상적으로 접수됩니다.\n\n"
         "7. 빠른 주문을 위해 [샘플등록]으로 전송한 주문을 샘플로 등록할 수 있습니다. "
         "[샘플열기]로 샘플을 불러와 수량을 바꾸거나 제품을 추가, 삭제한 뒤 새 주문으로 "
         "전송하십시요. 샘플이 없으면 [주문열기]로 이전 주문을 불러와 [내용복사]를 클릭하면 "
         "새 주문으로 복사되어 수정 후 전송할 수 있습니다.\n\n"
         "8. 어디에서도 찾을 수 없는 제품은 [직접입력]을 클릭하여 제품명을 직접 입력할 수 "
         "있습니다.\n\n"
         "9. 배송일은 특별한 날짜를 원할 때만 입력하십시요. [배송일]을 클릭하면 달력이 "
         "표시됩니다.\n\n"
         "10. [제품삭제]를 클릭하면 선택한 제품이 거래된 제품 목록에서 삭제됩니다. "
         "[주문인쇄] 또는 [F11]로 주문 목록을 인쇄하고, [Esc]로 프로그램을 마칩니다.\n\n"
         "바코드 스캐너로 읽은 바코드는 커서가 어느 칸에 있든 주문 목록에 담깁니다. 다른 창이 "
         "열려 있으면 넣지 않고 읽은 바코드를 알려 드립니다.\n\n"
         "[단축키]\n"
         "[F1] 제품설명   [F2] 검색란   [F3] 주문열기\n"
         "[F4] 한줄삭제(주문 목록에서)   [F5] 직접입력\n"
         "[F6] 내용복사   [F7] 주문전송   [F8] 주문삭제\n"
         "[F9] 화면취소   [F10] 입력란 지우기\n"
         "[F11] 주문인쇄 (검색란에서는 앞 검색)\n"
         "[F12] 거래된제품 / 모든제품   [Esc] 종료\n"
         "[Ctrl+F3] 샘플열기   [Ctrl+F7] 샘플등록\n"
         "[Ctrl+G] 분류로 검색   [Ctrl+I] 수입차 부품 검색\n"
         "[Ctrl+D] 배송일   [Ctrl+M] 전달내용   [Ctrl+B] 주문 목록\n"
         "[Ctrl+V] 붙여넣기   [Ctrl+O] 목록 파일 열기\n"
         "[Ctrl+W] 작성중   [Ctrl+R] 제품삭제   [Ctrl+U] 단가검색\n"
         "[Ctrl+N] 공지사항   [Ctrl+H] 사용방법\n"
         "[Ctrl+Z] 마지막 한줄삭제나 화면취소 되돌리기";
}

TFrmHelp::TFrmHelp(QWidget* parent) : TClosableDialog(parent, "FrmHelp", 465, 418) {
  QWidget* header = AddWhiteHeader(63);
  auto* vendor = new QLabel(QStringLiteral("Tarvik"), header);
  vendor->setFont(GridFont(16, true));
  vendor->setGeometry(10, 4, 300, 24);
  auto* welcome = new QLabel(QStringLiteral("Tarvik 온라인 주문시스템에 오신것을 환영합니다."), header);
  welcome->setFont(GridFont(12, true));
  welcome->setGeometry(10, 32, 330, 22);
  auto* ver = new QLabel(QStringLiteral("Ver 5.02"), header);
  ver->setObjectName("LblVer");
  ver->setFont(GridFont(12));
  ver->setGeometry(340, 34, 60, 20);
  auto* close = AddCloseButton(header);
  close->move(465 - close->width() - 8, 8);
  auto* text = new QPlainTextEdit(this);
  text->setObjectName("MemoHelp");
  text->setGeometry(5, 68, 465, 418 - 63);
  text->setReadOnly(true);
  text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  text->setFont(GridFont(13));
  text->setPlainText(QString::fromUtf8(HelpText()));
  // The arrows, PgDn and Ctrl+End reach the keys at the end without the mouse.
  text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  text->setFocus();
}

}  // namespace tarvik
