# Sourced by scripts/test-windows: a throw-away Wine prefix under Xvfb in
# $work, with NanumGothic in its fonts and "굴림" (Gulim) mapped to it, as a
# Korean Windows PC has Gulim. Sets WINEPREFIX, WINEDEBUG and DISPLAY.
wine_prefix_up() {
  local work="$1"
  export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  # Wine links the user's Desktop and Documents to $HOME: a home of its own,
  # so shortcuts and PDFs stay inside the work folder.
  export HOME="$work/home"
  mkdir -p "$HOME"
  export LANG=C.UTF-8 LC_ALL=C.UTF-8
  if [ -z "${TARVIK_WINE_DISPLAY:-}" ]; then
    local n
    for n in $(seq 140 180); do [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break; done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
    echo $! >"$work/xvfb.pid"
    export DISPLAY=":$n"
    for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  else
    export DISPLAY="$TARVIK_WINE_DISPLAY"
  fi
  wineboot -i >/dev/null 2>&1
  wineserver -w
  cp /usr/share/fonts/truetype/nanum/NanumGothic.ttf /usr/share/fonts/truetype/nanum/NanumGothicBold.ttf \
    "$WINEPREFIX/drive_c/windows/Fonts/"
  # regedit reads UTF-16 with a byte order mark.
  printf '\xff\xfe' >"$work/fonts.reg"
  iconv -f UTF-8 -t UTF-16LE >>"$work/fonts.reg" <<'REG'
Windows Registry Editor Version 5.00

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\Fonts]
"NanumGothic (TrueType)"="NanumGothic.ttf"
"NanumGothic Bold (TrueType)"="NanumGothicBold.ttf"

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]
"굴림"="NanumGothic"
"Gulim"="NanumGothic"
"MS Shell Dlg"="NanumGothic"
"MS Shell Dlg 2"="NanumGothic"
REG
  wine regedit /S "$work/fonts.reg" >/dev/null 2>&1
  wineserver -w
}

wine_prefix_down() {
  local work="$1"
  wineserver -k 2>/dev/null || true
  if [ -f "$work/xvfb.pid" ]; then kill "$(cat "$work/xvfb.pid")" 2>/dev/null || true; fi
}
