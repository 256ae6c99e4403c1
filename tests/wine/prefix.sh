# Sourced by scripts/test-windows: a throw-away Wine prefix under Xvfb in
# $work, set up as a shop's Korean Windows PC: the ko_KR locale (ANSI code
# page 949), a user named 김철수 (so the profile, the temporary folder and the
# default install folder are below C:\users\김철수), NanumGothic in its fonts
# and "굴림" (Gulim) mapped to it. Sets WINEPREFIX, WINEDEBUG, DISPLAY, LANG,
# LC_ALL, USER and LOGNAME; fails when the prefix is not Korean.
# wine_prefix_up WORK [WIDTHxHEIGHT [LOGPIXELS]]
wine_korean_user=김철수
wine_prefix_up() {
  local work="$1" screen="${2:-1280x1024}" dpi="${3:-96}"
  export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  # Wine links the user's Desktop and Documents to $HOME: a home of its own,
  # so shortcuts and PDFs stay inside the work folder.
  export HOME="$work/home"
  mkdir -p "$HOME"
  # Wine takes the code page from the locale and the profile's name from the
  # user name of the environment.
  export LANG=ko_KR.UTF-8 LC_ALL=ko_KR.UTF-8 USER="$wine_korean_user" LOGNAME="$wine_korean_user"
  wine_display_up "$work" "$screen"
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
  wine_dpi "$dpi"
  wineserver -w
  wine_check_korean "$work"
}

# wine_display_up WORK WIDTHxHEIGHT: a fresh Xvfb of that size as DISPLAY
# (TARVIK_WINE_DISPLAY names one to use instead).
wine_display_up() {
  local work="$1" screen="$2" n
  if [ -n "${TARVIK_WINE_DISPLAY:-}" ]; then
    export DISPLAY="$TARVIK_WINE_DISPLAY"
    return
  fi
  if [ -f "$work/xvfb.pid" ]; then kill "$(cat "$work/xvfb.pid")" 2>/dev/null || true; fi
  for n in $(seq 140 180); do [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break; done
  Xvfb ":$n" -screen 0 "${screen}x24" -nolisten tcp >"$work/xvfb.log" 2>&1 &
  echo $! >"$work/xvfb.pid"
  export DISPLAY=":$n"
  for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
}

# wine_dpi LOGPIXELS: the display scale of Windows' settings (96 = 100 %,
# 120 = 125 %, 144 = 150 %), for the programs started from now on.
wine_dpi() {
  local hex
  hex="$(printf '0x%08x' "$1")"
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$hex" /f >/dev/null 2>&1
  wine reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' \
    /v LogPixels /t REG_DWORD /d "$hex" /f >/dev/null 2>&1
}

# Fails loudly unless a program in the prefix runs with code page 949 and
# the profile is C:\users\김철수.
wine_check_korean() {
  local work="$1" seen
  [ -d "$WINEPREFIX/drive_c/users/$wine_korean_user" ] ||
    { echo "wine prefix: no C:\\users\\$wine_korean_user: $(ls "$WINEPREFIX/drive_c/users")" >&2; return 1; }
  printf '#include <windows.h>\n#include <stdio.h>\nint main(void){printf("%%u\\n",GetACP());return 0;}\n' >"$work/acp.c"
  x86_64-w64-mingw32-gcc -o "$work/acp.exe" "$work/acp.c"
  seen="$(wine "$work/acp.exe" | tr -d '\r')"
  [ "$seen" = 949 ] || { echo "wine prefix: the ANSI code page is '$seen', not 949 (is ko_KR.UTF-8 generated?)" >&2; return 1; }
  echo "wine prefix: Korean (code page $seen, profile C:\\users\\$wine_korean_user)"
}

wine_prefix_down() {
  local work="$1"
  wineserver -k 2>/dev/null || true
  if [ -f "$work/xvfb.pid" ]; then kill "$(cat "$work/xvfb.pid")" 2>/dev/null || true; fi
}

# wine_keep_up WORK: keeps the prefix's Wine session (wineserver and the
# system processes) up until wine_prefix_down, started with no output of
# its own. Otherwise the first test program starts them, they inherit its
# output, and CTest waits for that test until every Wine process in the
# prefix has ended (minutes, with other tests beside it).
wine_keep_up() {
  local work="$1"
  # Each start asks for the desktop window, so that the desktop's process
  # (explorer.exe) is started here too, not by a test program; with an
  # argument it ends at once.
  printf '#include <windows.h>\nint main(int argc, char **argv){GetDesktopWindow();if (argc < 2) Sleep(INFINITE);return 0;}\n' \
    >"$work/idle.c"
  x86_64-w64-mingw32-gcc -o "$work/idle.exe" "$work/idle.c"
  wine "$work/idle.exe" </dev/null >/dev/null 2>&1 &
  # Returns once the session has booted and has its desktop.
  wine "$work/idle.exe" once </dev/null >/dev/null 2>&1
}
