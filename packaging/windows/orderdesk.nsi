; The order desk's Windows installer (NSIS 3, Unicode).
;   makensis -DBIN=FOLDER [-DVERSION=X.Y] [-DOUTFILE=FILE] orderdesk.nsi
; FOLDER holds orderdesk.exe and ldgtool.exe as the cross-build makes them.
; Installs for the person running it (no administrator needed; in their
; own programs folder), or for every user of the PC (in the programs
; folder, as an administrator): chosen on the installer's first page, or
; with /CurrentUser or /AllUsers beside /S for a silent install. The
; uninstaller removes the program, its shortcuts and its registry entries
; and leaves the shop's data where it is.
; A 64-bit installer for the 64-bit program: it runs where the program can.
Target amd64-unicode

!ifndef BIN
  !error "Give the folder of orderdesk.exe and ldgtool.exe: makensis -DBIN=FOLDER orderdesk.nsi"
!endif
!ifndef VERSION
  !define VERSION "1.0"
!endif
!ifndef OUTFILE
  !define OUTFILE "orderdesk-setup.exe"
!endif

!define APPNAME "代购店订单"
!define APPKEY "orderdesk"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${APPKEY}"

!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_INSTALLMODE_INSTDIR "${APPKEY}"
; A shop's PC is often one person's: their own install unless they choose.
!define MULTIUSER_INSTALLMODE_DEFAULT_CURRENTUSER
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "Software\${APPKEY}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME "InstallMode"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "Software\${APPKEY}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallDir"
!include MultiUser.nsh
!include MUI2.nsh

Name "${APPNAME}"
OutFile "${OUTFILE}"
SetCompressor /SOLID lzma
BrandingText "${APPNAME} ${VERSION}"
!define MUI_ICON "${NSISDIR}\Contrib\Graphics\Icons\modern-install.ico"
!define MUI_UNICON "${NSISDIR}\Contrib\Graphics\Icons\modern-uninstall.ico"

!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\orderdesk.exe"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductName" "${APPNAME}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileDescription" "${APPNAME} 安装程序"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "LegalCopyright" ""

Function .onInit
  SetRegView 64
  !insertmacro MULTIUSER_INIT
FunctionEnd

Function un.onInit
  SetRegView 64
  !insertmacro MULTIUSER_UNINIT
FunctionEnd

Section "${APPNAME}"
  SetOutPath "$INSTDIR"
  File "${BIN}\orderdesk.exe"
  File "${BIN}\ldgtool.exe"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "$SMPROGRAMS\${APPNAME}"
  CreateShortcut "$SMPROGRAMS\${APPNAME}\${APPNAME}.lnk" "$INSTDIR\orderdesk.exe"
  CreateShortcut "$SMPROGRAMS\${APPNAME}\卸载${APPNAME}.lnk" "$INSTDIR\uninstall.exe" \
    "/$MultiUser.InstallMode"
  CreateShortcut "$DESKTOP\${APPNAME}.lnk" "$INSTDIR\orderdesk.exe"

  ; SHCTX is the machine's or the user's part of the registry, as installed.
  WriteRegStr SHCTX "Software\${APPKEY}" "InstallDir" "$INSTDIR"
  WriteRegStr SHCTX "Software\${APPKEY}" "InstallMode" "$MultiUser.InstallMode"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${APPNAME}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\orderdesk.exe"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" \
    '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" \
    '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  ; Only what the installer put here: the data files, the settings file and
  ; the backups a shop keeps beside a portable-style install stay, and so
  ; does the folder that holds them (RMDir leaves a folder that is not empty).
  Delete "$INSTDIR\orderdesk.exe"
  Delete "$INSTDIR\ldgtool.exe"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\${APPNAME}\${APPNAME}.lnk"
  Delete "$SMPROGRAMS\${APPNAME}\卸载${APPNAME}.lnk"
  RMDir "$SMPROGRAMS\${APPNAME}"
  Delete "$DESKTOP\${APPNAME}.lnk"

  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
  DeleteRegKey SHCTX "Software\${APPKEY}"
SectionEnd
