; The Windows installer: brenvo1.exe ("Scandilo") and brenvo1-scan.exe in
; Program Files\Brenvo1 for every user of the machine, a Start-menu
; shortcut "Scandilo", and an uninstaller in the system's list of installed
; programs. Silent with /S, both ways.
;
; Built on Linux by makensis (packaging/windows/CMakeLists.txt), which
; defines VERSION, STAGE (the folder holding the files to install),
; LICENSE_TEXT (LICENSE and the third-party notices, one after the other),
; ICON and OUTFILE.

Unicode true
; 64-bit: the programs are, and so are Program Files and the registry view
; the installer writes.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true
; The installer holds no file times: installed files take the time they are
; installed at, and the same files always make the same installer.
SetDateSave off

!include "MUI2.nsh"
!include "x64.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Brenvo1"
!define SHORTCUT "$SMPROGRAMS\Scandilo.lnk"

Name "Brenvo1"
Caption "Brenvo1 ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Brenvo1"
BrandingText "Brenvo1 ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1040 "ProductName" "Brenvo1"
VIAddVersionKey /LANG=1040 "FileDescription" "Brenvo1 (Scandilo)"
VIAddVersionKey /LANG=1040 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1040 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1040 "CompanyName" "the Brenvo1 authors"
VIAddVersionKey /LANG=1040 "LegalCopyright" "Copyright (c) 2026 the Brenvo1 authors, MIT license"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_LICENSE "${LICENSE_TEXT}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\brenvo1.exe"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
; The window speaks Italian; so does its installer.
!insertmacro MUI_LANGUAGE "Italian"

Function .onInit
  ${IfNot} ${RunningX64}
    MessageBox MB_OK|MB_ICONSTOP "Brenvo1 richiede Windows a 64 bit." /SD IDOK
    Abort
  ${EndIf}
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Section "Brenvo1"
  SetOutPath "$INSTDIR"
  File "${STAGE}\brenvo1.exe"
  File "${STAGE}\brenvo1-scan.exe"
  File "${STAGE}\README.md"
  File "${STAGE}\LICENSE"
  File "${STAGE}\THIRD-PARTY-NOTICES.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortcut "${SHORTCUT}" "$INSTDIR\brenvo1.exe" "" "$INSTDIR\brenvo1.exe" 0

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Brenvo1 (Scandilo)"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "the Brenvo1 authors"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$\"$INSTDIR\brenvo1.exe$\",0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" "$\"$INSTDIR\uninstall.exe$\""
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" "$\"$INSTDIR\uninstall.exe$\" /S"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  Delete "${SHORTCUT}"
  Delete "$INSTDIR\brenvo1.exe"
  Delete "$INSTDIR\brenvo1-scan.exe"
  Delete "$INSTDIR\README.md"
  Delete "$INSTDIR\LICENSE"
  Delete "$INSTDIR\THIRD-PARTY-NOTICES.txt"
  Delete "$INSTDIR\uninstall.exe"
  ; Only when empty: whatever the user put there stays.
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
