#!/usr/bin/env bash
# The Windows build end to end under Wine set up as a Korean PC (user 김철수,
# code page 949), as a shop gets it:
#   1. the installer runs silently (program folder, user.ini, icon\, both
#      shortcuts, the uninstall entry with publisher, icon and size);
#   2. a plain start with the installed program published unchanged passes
#      the update check in one process and reaches the log-in, typed with
#      xdotool; user.ini then holds the IDs;
#   full run (the default folder, C:\users\김철수\AppData\Local\Programs\Tarvik):
#   3. two barcodes are scanned, a second program of the same orderer is
#      turned away (it never offers the first one's basket), one product is
#      typed by hand, F7 sends the order, and the order is read back from the
#      service's database line by line; an install while the program runs
#      asks to close it (silent: gives up, nothing replaced); a line scanned,
#      then every Wine process killed as by a power cut: the next start
#      offers the basket back, and F7 stores it as one order;
#   4. a changed program is published; the installed program updates itself
#      through its three processes (check pass, the copy's replacement pass,
#      the finished run with the note): the installed file has the published
#      CRC-32, no NEW_ file is left, and the note is shown after the log-in;
#   5. a reinstall keeps the shop's user.ini; the uninstaller removes the
#      program folder, the update's work copy in Templates and its entry.
#   With INSTALL_DIR (a Windows path, such as C:\매장\타르빅주문) the program
#   is installed there and steps 3 and 5's uninstall are left out.
# Usage: install-order-update.sh SETUP.exe SERVICE WORKDIR SHOTS [INSTALL_DIR]
# (run by scripts/test-windows, which has made the prefix and the display).
set -euo pipefail
setup="$1" service="$2" work="$3" shots="$4" install_dir="${5:-}"
mkdir -p "$shots"
tag="${install_dir:+korean-folder-}"
fail() { echo "wine e2e: FAILED: $*" >&2; import -window root "$shots/wine-${tag}failure.png" 2>/dev/null || true; exit 1; }
step() { echo "wine e2e: $*"; }
crc() { gzip -c "$1" | tail -c 8 | head -c 4 | od -An -tu4 | tr -d ' '; }
shot() { import -window root "$shots/wine-$tag$1.png"; }
unix_path() { winepath -u "$1" 2>/dev/null | tr -d '\r'; }

# --- 1. silent install -----------------------------------------------------------
user_dir="$WINEPREFIX/drive_c/users/$USER"
templates="$user_dir/AppData/Roaming/Microsoft/Windows/Templates"
if [ -n "$install_dir" ]; then
  wine "$setup" /S "/D=$install_dir"
  inst="$(unix_path "$install_dir")"
else
  wine "$setup" /S
  inst="$user_dir/AppData/Local/Programs/Tarvik"
fi
wineserver -w
[ -f "$inst/TKClientI.exe" ] || fail "no TKClientI.exe in $inst"
[ -d "$inst/icon" ] || fail "no icon folder"
empty_ini="$(printf '[MASTER]\r\nID=\r\n[CUSTOMER]\r\nID=\r')"
[ "$(cat "$inst/user.ini")" = "$empty_ini" ] || fail "user.ini: $(od -c "$inst/user.ini" | head)"
for link in "$user_dir/Desktop/TarvikⅢ 주문형.lnk" \
  "$user_dir/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/TarvikⅢ 주문형.lnk"; do
  [ -f "$link" ] || fail "no shortcut $link"
done
entry="$(wine reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tarvik' | tr -d '\r' | iconv -f CP949 -t UTF-8 -c)"
for value in "Publisher *REG_SZ *Tarvik" "DisplayIcon *REG_SZ .*TKClientI.exe,0" "EstimatedSize *REG_DWORD *0x[0-9a-f]"; do
  grep -aq "$value" <<<"$entry" || fail "the uninstall entry lacks $value: $entry"
done
step "installed silently into $inst with both shortcuts and the uninstall entry"

# --- the service -------------------------------------------------------------------
db="$work/demo.db" updates="$work/update"
"$service" demo --db "$db" >/dev/null
mkfifo "$work/service.out"
"$service" serve --listen 127.0.0.1:0 --db "$db" --update-dir "$updates" \
  >"$work/service.out" 2>"$work/service.err" &
service_pid=$!
trap 'kill $service_pid 2>/dev/null || true; wineserver -k 2>/dev/null || true' EXIT
exec 3<"$work/service.out"
read -r -t 20 line <&3 || fail "the service did not start: $(cat "$work/service.err")"
cat <&3 >/dev/null &
export TARVIK_SERVER="${line##* }" NO_PROXY=127.0.0.1,localhost
"$service" publish --update-dir "$updates" --program "$inst/TKClientI.exe" --message "" >/dev/null
step "service on $TARVIK_SERVER, the installed program published as current"

# --- the desktop -----------------------------------------------------------------------
program_windows() { xdotool search --onlyvisible --class 'tkclienti' 2>/dev/null || true; }
# wait_for SECONDS MIN_WIDTH [MAX_WIDTH]: the id of a visible program window of that width.
wait_for() {
  local until=$((SECONDS + $1)) w
  while :; do
    for w in $(program_windows); do
      eval "$(xdotool getwindowgeometry --shell "$w" 2>/dev/null)" || continue
      if [ "${WIDTH:-0}" -ge "$2" ] && [ "${WIDTH:-0}" -le "${3:-100000}" ]; then echo "$w"; return 0; fi
    done
    [ $SECONDS -lt $until ] || return 1
    sleep 0.3
  done
}
# count_windows MIN_WIDTH: how many visible program windows are at least that wide.
count_windows() {
  local w n=0
  for w in $(program_windows); do
    eval "$(xdotool getwindowgeometry --shell "$w" 2>/dev/null)" || continue
    [ "${WIDTH:-0}" -lt "$1" ] || n=$((n + 1))
  done
  echo "$n"
}
# wait_gone ID: until the window is no longer visible (at most 20 s).
wait_gone() {
  local until=$((SECONDS + 20))
  while [ $SECONDS -lt $until ] && program_windows | grep -qx "$1"; do sleep 0.2; done
}
key() { xdotool key --clearmodifiers "$@"; sleep 0.4; }
type_text() { xdotool type --delay 60 "$1"; sleep 0.3; }
# scan TEXT: a barcode scanner types a few milliseconds a character, then Enter.
scan() { xdotool type --delay 8 "$1"; xdotool key Return; sleep 0.8; }
# log_in [no-main]: types the IDs and the password into the log-in screen.
login=""
log_in() {
  login=$(wait_for 120 700 760) || fail "no log-in screen"
  sleep 1
  # No window manager: the pointer over the window and X's focus give it the
  # keys (no click: a press on the picture starts the window system's move loop).
  xdotool mousemove --window "$login" 360 60
  xdotool windowfocus "$login" 2>/dev/null || true
  sleep 1
  for field in DEMO SHOP1 1234; do type_text "$field"; key Return; done
  [ "${1:-}" = no-main ] && return 0
  wait_for 60 1000 >/dev/null || fail "no main window after the log-in"
  sleep 2
}
# The one dialog in front of the main window (a message box, the notices).
dialog() { wait_for 30 100 999 || fail "no dialog in front of the main window"; }
ids_ini="$(printf '[MASTER]\r\nID=DEMO\r\n[CUSTOMER]\r\nID=SHOP1\r')"

trace="$work/trace.txt"
export TARVIK_TRACE_START="Z:${trace}"

# --- 2. a plain start: the update check passes in one process ---------------------
(cd "$inst" && wine TKClientI.exe) &
log_in
[ "$(wc -l <"$trace")" -eq 1 ] || fail "a plain start with the published program made more than one start: $(cat "$trace")"
[ "$(cat "$inst/user.ini")" = "$ids_ini" ] || fail "user.ini after the log-in: $(od -c "$inst/user.ini" | head)"
notices=$(dialog)
key Escape
wait_gone "$notices"
step "a plain start passed the update check in one process; user.ini holds DEMO and SHOP1"

if [ -z "$install_dir" ]; then
  # --- 3. scans, a second program turned away, a typed line, F7 ------------------------
  codes=($(sqlite3 "$db" "SELECT G.G_BCODE FROM U_ U JOIN G_ G ON G.M_CODE = U.M_CODE AND G.G_CODE = U.U_GC
    WHERE U.M_CODE = 'S00001' AND U.U_CC = 'C00001' AND G.G_BCODE <> '' ORDER BY G.G_CODE LIMIT 3"))
  goods=($(sqlite3 "$db" "SELECT G.G_CODE FROM U_ U JOIN G_ G ON G.M_CODE = U.M_CODE AND G.G_CODE = U.U_GC
    WHERE U.M_CODE = 'S00001' AND U.U_CC = 'C00001' AND G.G_BCODE <> '' ORDER BY G.G_CODE LIMIT 3"))
  [ ${#codes[@]} -eq 3 ] || fail "the demo data has no three barcodes for SHOP1"
  main=$(wait_for 5 1000) || fail "no main window"
  scan "${codes[0]}"
  scan "${codes[1]}"
  shot main  # the basket's selected row while the search box has the keys
  key ctrl+b
  shot basket-focused  # the same row in the focused basket
  key F2
  # A second program of the same orderer: told the basket is open, it ends.
  (cd "$inst" && wine TKClientI.exe /SKIPCHECK) &
  second=$!
  log_in no-main
  wait_gone "$login"  # the log-in (and its catalogue load) over
  refused=$(dialog)
  shot second-start
  # A box without a main window under it: X's focus is given to it here.
  xdotool mousemove --window "$refused" 20 20
  xdotool windowfocus "$refused" 2>/dev/null || true
  sleep 0.5
  key Return
  wait_gone "$refused"
  for _ in $(seq 50); do kill -0 $second 2>/dev/null || break; sleep 0.2; done
  ! kill -0 $second 2>/dev/null || fail "the second program did not end"
  [ "$(count_windows 1000)" -eq 1 ] || fail "a second main window opened"
  # An install now asks to close the program; a silent one gives up.
  touch -d '2000-01-01' "$inst/TKClientI.exe"
  if wine "$setup" /S; then fail "the installer ran over the running program"; fi
  [ "$(stat -c %Y "$inst/TKClientI.exe")" -lt 1000000000 ] || fail "the installer replaced the running program"
  step "a second program of SHOP1 was turned away; an install waits for the program to close"
  xdotool windowfocus "$main" 2>/dev/null || true
  key F5
  dialog >/dev/null
  type_text BULB; key Return
  type_text EA; key Return
  type_text 2; key Return
  key Escape
  # The basket with its three lines, once the entry dialog has gone.
  until=$((SECONDS + 15))
  while [ $SECONDS -lt $until ] && wait_for 0 100 999 >/dev/null; do sleep 0.3; done
  sleep 0.5
  key F7
  sent=$(dialog)
  shot sent
  key Return
  wait_gone "$sent"
  lines="$(sqlite3 -separator '|' "$db" "SELECT L.OL_GC, L.OL_GN, L.OL_GBOX, L.OL_LC FROM OL_ L JOIN OH_ H
    ON H.OH_CODE = L.OH_CODE WHERE H.OH_CC = 'C00001' ORDER BY L.OL_NO")"
  expected="${goods[0]}|||1
${goods[1]}|||1
YZ|BULB|EA|2"
  [ "$lines" = "$expected" ] || fail "the stored order's lines are
$lines
expected
$expected"
  step "order sent with F7 and stored once: $(echo "$lines" | tr '\n' ' ')"
  scan "${codes[2]}"
  journal=""
  for _ in $(seq 50); do
    journal="$(find "$user_dir/AppData" -name 'basket-S00001-C00001.json' | head -1)"
    [ -n "$journal" ] && grep -q "\"${goods[2]}\"" "$journal" && break
    sleep 0.2
  done
  grep -q "\"${goods[2]}\"" "$journal" 2>/dev/null || fail "no basket journal holds the scanned line"
  wineserver -k  # no chance to clean up, as at a power cut
  wineserver -w
  (cd "$inst" && wine TKClientI.exe /SKIPCHECK) &
  log_in no-main
  wait_gone "$login"
  question=$(dialog)
  sleep 1
  shot journal-question
  xdotool mousemove --window "$question" 20 20
  xdotool windowfocus "$question" 2>/dev/null || true
  sleep 0.5
  key Return  # 예: the basket back
  wait_gone "$question"
  notices=$(dialog)
  key Escape
  wait_gone "$notices"
  main=$(wait_for 5 1000) || fail "no main window after the basket came back"
  xdotool windowfocus "$main" 2>/dev/null || true
  key F7
  sent=$(dialog)
  key Return
  wait_gone "$sent"
  stored="$(sqlite3 "$db" "SELECT COUNT(*) FROM OL_ L JOIN OH_ H ON H.OH_CODE = L.OH_CODE
    WHERE H.OH_CC = 'C00001' AND L.OL_GC = '${goods[2]}'")"
  [ "$stored" = 1 ] || fail "the basket kept through the kill was stored $stored times"
  [ ! -e "$journal" ] || fail "the sent basket left its journal"
  step "killed with a scanned line: the basket came back on 예 and F7 stored it once"
fi
wineserver -k
wineserver -w

# --- 4. the self-update through three processes ---------------------------------
published="$work/publish/TKClientI.exe"
mkdir -p "$work/publish"
cp "$inst/TKClientI.exe" "$published"
printf '\n# a changed program %s\n' "$(date +%s)" >>"$published"
"$service" publish --update-dir "$updates" --program "$published" \
  --message "업데이트가^끝났습니다./다시^시작합니다." >/dev/null
rm -f "$trace"
(cd "$inst" && wine TKClientI.exe) &
log_in
note=$(dialog)
shot update-note
starts="$(wc -l <"$trace")"
[ "$starts" -eq 3 ] || fail "expected three starts, the trace holds: $(cat "$trace")"
sed -n 2p "$trace" | grep -q "	/TMPFILE	" || fail "the second start was not the copy's replacement pass: $(cat "$trace")"
sed -n 3p "$trace" | grep -q "	/SKIPCHECK	업데이트가^끝났습니다./다시^시작합니다.$" ||
  fail "the third start did not carry the note: $(cat "$trace")"
[ "$(crc "$inst/TKClientI.exe")" = "$(crc "$published")" ] || fail "the installed program was not replaced"
[ ! -e "$inst/NEW_TKClientI.exe" ] || fail "NEW_TKClientI.exe left behind"
leftovers="$(find "$inst" -newer "$published" -name '*.tmp' -o -newer "$published" -name 'NEW_*' | wc -l)"
[ "$leftovers" -eq 0 ] || fail "temporary files left in the program folder"
key Return
log="$user_dir/AppData/Local/Tarvik/TKClientI.log"
[ "$(grep -ac ' info: start:' "$log")" -ge 3 ] && grep -aq ' info: start:.*/TMPFILE' "$log" ||
  fail "the run log lacks the update's starts: $(tail -5 "$log" 2>/dev/null)"
step "updated itself through three processes; CRC-32 $(crc "$inst/TKClientI.exe") as published; note shown; the starts in the run log"
grep -a ' \(warning\|critical\|fatal\):' "$log" | sed 's/^/wine e2e: in the run log: /' | head -5 || true
wineserver -k
wineserver -w

# --- 5. reinstall, uninstall ---------------------------------------------------------
wine "$setup" /S ${install_dir:+"/D=$install_dir"}
wineserver -w
[ "$(cat "$inst/user.ini")" = "$ids_ini" ] || fail "a reinstall changed user.ini: $(od -c "$inst/user.ini" | head)"
step "a reinstall kept user.ini"
if [ -z "$install_dir" ]; then
  [ -f "$templates/TKClientI.exe" ] && [ -f "$templates/TKClienti.dat" ] || fail "no work copy in $templates"
  wine "$inst/uninstall.exe" /S
  wineserver -w
  for _ in $(seq 50); do [ -e "$inst" ] || break; sleep 0.2; done
  [ ! -e "$inst" ] || fail "the uninstaller left $inst"
  left="$(find "$templates" -type f | wc -l)"
  [ "$left" -eq 0 ] || fail "the uninstaller left the work copy: $(ls "$templates" | head)"
  ! wine reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tarvik' >/dev/null 2>&1 ||
    fail "the uninstall entry stayed"
  step "the uninstaller removed the program folder, the work copy in Templates and its entry"
fi
echo "wine e2e: 1 passed, 0 failed"
