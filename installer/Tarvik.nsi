; The Windows installer of Tarvik, made by scripts/build-windows:
;   makensis -DVERSION=2.0 -DSOURCE=<program folder> -DICON=<icon> -DOUTFILE=<setup.exe>
;            [-DSIGN=<a command that signs the file it is given>] Tarvik.nsi
; Installs for the current user only, into %LOCALAPPDATA%\Programs\Tarvik:
; the self-update writes new program files into the program folder, which
; Program Files would forbid without elevation. /S installs silently.
; A 64-bit installer for the 64-bit program (it also runs where no 32-bit
; subsystem is, such as a 64-bit-only Wine).
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma

!ifdef SIGN
  ; The uninstaller is written by makensis itself: signed as it is made.
  !uninstfinalize '"${SIGN}" "%1"'
!endif

!include "MUI2.nsh"
!include "FileFunc.nsh"

!define APPNAME "TarvikⅢ 주문형"
!define PUBLISHER "Tarvik"
!define UNINSTKEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tarvik"
; Held by every running TKClientI.exe (platform/RunningProgram.h).
!define RUNNING_MARK "TarvikTKClientI"

Name "${APPNAME}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Tarvik"
InstallDirRegKey HKCU "${UNINSTKEY}" "InstallLocation"
BrandingText "${APPNAME} ${VERSION}"
VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=1042 "ProductName" "${APPNAME}"
VIAddVersionKey /LANG=1042 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1042 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1042 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1042 "FileDescription" "${APPNAME} 설치"
VIAddVersionKey /LANG=1042 "LegalCopyright" "${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\TKClientI.exe"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Korean"

; A running program keeps its files: replacing or removing them under it
; would leave half a program (and, uninstalled, 25 MB without an entry to
; remove them). The clerk closes it first; a silent run gives up.
!macro WaitForClosedProgram un
Function ${un}WaitForClosedProgram
  retry:
    System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${RUNNING_MARK}") p .r0'
    StrCmp $0 0 closed
    System::Call 'kernel32::CloseHandle(p r0)'
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${APPNAME} 프로그램이 실행 중입니다.$\r$\n$\r$\n프로그램을 닫은 뒤 [다시 시도]를 누르십시오." /SD IDCANCEL IDRETRY retry
    SetErrorLevel 5
    Quit
  closed:
FunctionEnd
!macroend
!insertmacro WaitForClosedProgram ""
!insertmacro WaitForClosedProgram "un."

Function .onInit
  Call WaitForClosedProgram
FunctionEnd

Function un.onInit
  Call un.WaitForClosedProgram
FunctionEnd

Section "Tarvik"
  SetOutPath "$INSTDIR"
  ; The last IDs typed at the log-in live in user.ini: a reinstall or an
  ; upgrade keeps the shop's own and writes one only where there is none.
  File /r /x user.ini "${SOURCE}\*.*"
  IfFileExists "$INSTDIR\user.ini" +4 0
    FileOpen $0 "$INSTDIR\user.ini" w
    FileWrite $0 "[MASTER]$\r$\nID=$\r$\n[CUSTOMER]$\r$\nID=$\r$\n"
    FileClose $0
  CreateDirectory "$INSTDIR\icon"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; Shortcuts start the program in its folder: it finds icon\ from there.
  SetOutPath "$INSTDIR"
  CreateShortcut "$DESKTOP\${APPNAME}.lnk" "$INSTDIR\TKClientI.exe"
  CreateShortcut "$SMPROGRAMS\${APPNAME}.lnk" "$INSTDIR\TKClientI.exe"

  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegStr HKCU "${UNINSTKEY}" "DisplayName" "${APPNAME}"
  WriteRegStr HKCU "${UNINSTKEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTKEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTKEY}" "DisplayIcon" "$INSTDIR\TKClientI.exe,0"
  WriteRegDWORD HKCU "${UNINSTKEY}" "EstimatedSize" $0
  WriteRegStr HKCU "${UNINSTKEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTKEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTKEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTKEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTKEY}" "NoRepair" 1
SectionEnd

; The update's work copy: the program folder's plain files, copied flat into
; the user's Templates folder, and the manifest copy beside them.
Function un.RemoveWorkCopy
  FindFirst $0 $1 "$INSTDIR\*.*"
  loop:
    StrCmp $1 "" done
    IfFileExists "$INSTDIR\$1\*.*" next  ; a folder (".", ".." too): never copied
    Delete "$TEMPLATES\$1"
  next:
    FindNext $0 $1
    Goto loop
  done:
  FindClose $0
  Delete "$TEMPLATES\TKClienti.dat"
FunctionEnd

; The program folder and the update's work copy go; the saved baskets and
; the run log (in %LOCALAPPDATA%) stay, so an unsent order survives a
; reinstall.
Section "Uninstall"
  Call un.RemoveWorkCopy
  Delete "$DESKTOP\${APPNAME}.lnk"
  Delete "$SMPROGRAMS\${APPNAME}.lnk"
  RMDir /r "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTKEY}"
SectionEnd
