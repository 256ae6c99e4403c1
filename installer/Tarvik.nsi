; The Windows installer of Tarvik, made by scripts/build-windows:
;   makensis -DVERSION=2.0 -DSOURCE=<program folder> -DOUTFILE=<setup.exe> Tarvik.nsi
; Installs for the current user only, into %LOCALAPPDATA%\Programs\Tarvik:
; the self-update writes new program files into the program folder, which
; Program Files would forbid without elevation. /S installs silently.
; A 64-bit installer for the 64-bit program (it also runs where no 32-bit
; subsystem is, such as a 64-bit-only Wine).
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include "MUI2.nsh"

!define APPNAME "TarvikⅢ 주문형"
!define UNINSTKEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tarvik"

Name "${APPNAME}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Tarvik"
InstallDirRegKey HKCU "${UNINSTKEY}" "InstallLocation"
VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=1042 "ProductName" "${APPNAME}"
VIAddVersionKey /LANG=1042 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1042 "FileDescription" "${APPNAME} 설치"
VIAddVersionKey /LANG=1042 "LegalCopyright" "Tarvik"

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\TKClientI.exe"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Korean"

Section "Tarvik"
  SetOutPath "$INSTDIR"
  File /r "${SOURCE}\*.*"
  ; The last IDs typed at the log-in live here; an update or a new install
  ; keeps the ones a shop already has.
  IfFileExists "$INSTDIR\user.ini" +2 0
    FileOpen $0 "$INSTDIR\user.ini" w
    FileWrite $0 "[MASTER]$\r$\nID=$\r$\n[CUSTOMER]$\r$\nID=$\r$\n"
    FileClose $0
  CreateDirectory "$INSTDIR\icon"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; Shortcuts start the program in its folder: it finds icon\ from there.
  SetOutPath "$INSTDIR"
  CreateShortcut "$DESKTOP\${APPNAME}.lnk" "$INSTDIR\TKClientI.exe"
  CreateShortcut "$SMPROGRAMS\${APPNAME}.lnk" "$INSTDIR\TKClientI.exe"

  WriteRegStr HKCU "${UNINSTKEY}" "DisplayName" "${APPNAME}"
  WriteRegStr HKCU "${UNINSTKEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTKEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTKEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTKEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTKEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTKEY}" "NoRepair" 1
SectionEnd

; The program folder goes; the saved baskets (in %LOCALAPPDATA%\TarvikⅢ 주문형)
; and the update's work folder stay, so an unsent order survives a reinstall.
Section "Uninstall"
  Delete "$DESKTOP\${APPNAME}.lnk"
  Delete "$SMPROGRAMS\${APPNAME}.lnk"
  RMDir /r "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTKEY}"
SectionEnd
