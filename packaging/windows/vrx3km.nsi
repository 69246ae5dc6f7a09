; The Windows installer: the window vrx3km.exe, the command-line tool vrx3km-cli.exe and
; Help.doc, a Start-menu entry and an uninstaller, installed for the current user without
; administrator rights. Made by the build's "installer" target (win32/CMakeLists.txt):
;   makensis -DVERSION=1.2 -DGUI_EXE=... -DCLI_EXE=... -DHELP_DOC=... -DICON=... -DOUTFILE=...
; Silent use: SETUP.exe /S [/D=FOLDER] installs, "Uninstall.exe" /S removes every file it put.
; A 64-bit installer for the 64-bit programs.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include "MUI2.nsh"

!define PRODUCT "VRX-3KM Download/Upload"
!define FOLDER "VRX-3KM"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\VRX-3KM"
!define MENU_FOLDER "$SMPROGRAMS\${FOLDER}"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${FOLDER}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"
VIProductVersion "${VERSION}.0.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" ""

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\vrx3km.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start ${PRODUCT}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "Install"
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  File "/oname=vrx3km.exe" "${GUI_EXE}"
  File "/oname=vrx3km-cli.exe" "${CLI_EXE}"
  File "/oname=Help.doc" "${HELP_DOC}"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  ; The window starts in the documents folder; the program itself chooses the library from there.
  CreateDirectory "${MENU_FOLDER}"
  SetOutPath "$DOCUMENTS"
  CreateShortcut "${MENU_FOLDER}\${FOLDER} Download-Upload.lnk" "$INSTDIR\vrx3km.exe" "" \
    "$INSTDIR\vrx3km.exe" 0 SW_SHOWNORMAL "" "Read, keep and send the settings of VRX-3KM processors"
  SetOutPath "$INSTDIR"

  ; Apps and features: the entry, its uninstaller and its size.
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\vrx3km.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  SectionGetSize 0 $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; Removes what the installer put, and the folder only when nothing else is left in it: libraries
; and notes live elsewhere and are never touched.
Section "Uninstall"
  SetShellVarContext current
  Delete "${MENU_FOLDER}\${FOLDER} Download-Upload.lnk"
  RMDir "${MENU_FOLDER}"
  Delete "$INSTDIR\vrx3km.exe"
  Delete "$INSTDIR\vrx3km-cli.exe"
  Delete "$INSTDIR\Help.doc"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  ; The per-user programs folder the install may have made, when nothing else lives there.
  RMDir "$LOCALAPPDATA\Programs"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
