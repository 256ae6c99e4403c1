#!/usr/bin/env bash
# The Windows build end to end under Wine, as a shop gets it:
#   1. the installer runs silently into a fresh prefix (program folder,
#      user.ini, icon\, both shortcuts);
#   2. the installed TKClientI.exe starts against the Linux reference service
#      on a loopback port, the log-in is typed with xdotool, two barcodes are
#      scanned and one product typed by hand, F7 sends the order, and the
#      order is read back from the service's database line by line;
#   3. a changed program is published; the installed program updates itself
#      through its three processes (check pass, the copy's replacement pass,
#      the finished run with the note): the installed file has the published
#      CRC-32, no NEW_ file is left, and the note is shown after the log-in.
# Usage: install-order-update.sh SETUP.exe SERVICE WORKDIR SHOTS
# (run by scripts/test-windows, which has made the prefix and the display).
set -euo pipefail
setup="$1" service="$2" work="$3" shots="$4"
USER="${USER:-$(id -un)}"
mkdir -p "$shots"
fail() { echo "wine e2e: FAILED: $*" >&2; import -window root "$shots/wine-failure.png" 2>/dev/null || true; exit 1; }
step() { echo "wine e2e: $*"; }
crc() { gzip -c "$1" | tail -c 8 | head -c 4 | od -An -tu4 | tr -d ' '; }

# --- 1. silent install -----------------------------------------------------------
wine "$setup" /S
wineserver -w
local_app="$WINEPREFIX/drive_c/users/$USER/AppData/Local"
inst="$local_app/Programs/Tarvik"
[ -f "$inst/TKClientI.exe" ] || fail "no TKClientI.exe in $inst"
[ -d "$inst/icon" ] || fail "no icon folder"
[ "$(cat "$inst/user.ini")" = "$(printf '[MASTER]\r\nID=\r\n[CUSTOMER]\r\nID=\r')" ] || fail "user.ini: $(od -c "$inst/user.ini" | head)"
user_dir="$WINEPREFIX/drive_c/users/$USER"
for link in "$user_dir/Desktop/TarvikⅢ 주문형.lnk" \
  "$user_dir/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/TarvikⅢ 주문형.lnk"; do
  [ -f "$link" ] || fail "no shortcut $link"
done
step "installed silently into $inst with both shortcuts"

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
# wait_gone ID: until the window is no longer visible (at most 20 s).
wait_gone() {
  local until=$((SECONDS + 20))
  while [ $SECONDS -lt $until ] && program_windows | grep -qx "$1"; do sleep 0.2; done
}
key() { xdotool key --clearmodifiers "$@"; sleep 0.4; }
type_text() { xdotool type --delay 60 "$1"; sleep 0.3; }
# scan TEXT: a barcode scanner types a few milliseconds a character, then Enter.
scan() { xdotool type --delay 8 "$1"; xdotool key Return; sleep 0.8; }
log_in() {
  local login
  login=$(wait_for 120 700 760) || fail "no log-in screen"
  sleep 1
  # No window manager: the pointer over the window and X's focus give it the
  # keys (no click: a press on the picture starts the window system's move loop).
  xdotool mousemove --window "$login" 360 60
  xdotool windowfocus "$login" 2>/dev/null || true
  sleep 1
  for field in DEMO SHOP1 1234; do type_text "$field"; key Return; done
  wait_for 60 1000 >/dev/null || fail "no main window after the log-in"
  sleep 2
}
# The one dialog in front of the main window (a message box, the notices).
dialog() { wait_for 30 100 999 || fail "no dialog in front of the main window"; }

trace="$work/trace.txt"
export TARVIK_TRACE_START="Z:${trace}"

# --- 2. log-in, two scans, one typed line, F7 ------------------------------------
codes=($(sqlite3 "$db" "SELECT G.G_BCODE FROM U_ U JOIN G_ G ON G.M_CODE = U.M_CODE AND G.G_CODE = U.U_GC
  WHERE U.M_CODE = 'S00001' AND U.U_CC = 'C00001' AND G.G_BCODE <> '' ORDER BY G.G_CODE LIMIT 2"))
goods=($(sqlite3 "$db" "SELECT G.G_CODE FROM U_ U JOIN G_ G ON G.M_CODE = U.M_CODE AND G.G_CODE = U.U_GC
  WHERE U.M_CODE = 'S00001' AND U.U_CC = 'C00001' AND G.G_BCODE <> '' ORDER BY G.G_CODE LIMIT 2"))
[ ${#codes[@]} -eq 2 ] || fail "the demo data has no two barcodes for SHOP1"
(cd "$inst" && wine TKClientI.exe /SKIPCHECK) &
log_in
notices=$(dialog)
key Escape
wait_gone "$notices"
scan "${codes[0]}"
scan "${codes[1]}"
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
import -window root "$shots/wine-main.png"
key F7
sent=$(dialog)
import -window root "$shots/wine-sent.png"
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
step "order sent with F7 and stored: $(echo "$lines" | tr '\n' ' ')"
wineserver -k
wineserver -w

# --- 3. the self-update through three processes ---------------------------------
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
import -window root "$shots/wine-update-note.png"
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
step "updated itself through three processes; CRC-32 $(crc "$inst/TKClientI.exe") as published; note shown"
echo "wine e2e: 1 passed, 0 failed"
