; The Windows installer: brenvo1.exe ("Scandilo") and brenvo1-scan.exe in
; Program Files\Brenvo1 for every user of the machine, a Start-menu
; shortcut "Scandilo", and an uninstaller in the system's list of installed
; programs. Silent with /S, both ways.
;
; Built on Linux by makensis (packaging/windows/CMakeLists.txt), which
; defines VERSION, STAGE (the folder holding the files to install, texts
; with Windows line ends), LICENSE_PAGE (the program's license as the
; license page shows it), ICON and OUTFILE.

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
; A file that cannot be written stops the install: skipping it would leave
; an install that says it succeeded with a program missing or old.
AllowSkipFiles off

!include "MUI2.nsh"
!include "x64.nsh"
!include "LogicLib.nsh"

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
!insertmacro MUI_PAGE_LICENSE "${LICENSE_PAGE}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
; No "Esegui Brenvo1" here: the installer runs as administrator and so would
; the program it started. Windows offers no documented way for an elevated
; process to start one as the user who is logged in (the explorer.exe trick
; depends on Explorer being the shell and on how it is set up), so the page
; says where the program is instead.
!define MUI_FINISHPAGE_BUTTON "Chiudi"
!define MUI_FINISHPAGE_TEXT "Brenvo1 è stato installato nel computer. Scandilo si avvia dal menu Start.$\r$\n$\r$\nScegli '${MUI_FINISHPAGE_BUTTON}' per chiudere il programma di installazione."
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
; The window speaks Italian; so does its installer.
!insertmacro MUI_LANGUAGE "Italian"
; A file that cannot be written (AllowSkipFiles off): NSIS's own words name
; the buttons in Italian, which the box shows in the system's language.
LangString ^FileError_NoIgnore ${LANG_ITALIAN} "Impossibile scrivere il file:$\r$\n$\t$\"$0$\"$\r$\n$\r$\nChiudere il programma che lo tiene aperto e riprovare, oppure annullare l'installazione."

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

; Windows lets no one open a running program's file for writing, whoever
; runs it and wherever it was started from (nor does Wine); it does let the
; file be renamed, so renaming would tell nothing. $R0 becomes FILE when it
; is a program of the install folder that runs and no other was found
; before.
!macro NOTE_IF_RUNNING file
  ${If} $R0 == ""
  ${AndIf} ${FileExists} "$INSTDIR\${file}"
    ClearErrors
    FileOpen $R3 "$INSTDIR\${file}" a
    ${If} ${Errors}
      StrCpy $R0 "${file}"
    ${Else}
      FileClose $R3
    ${EndIf}
  ${EndIf}
!macroend

; Waits, asking the user, until neither program of the install folder runs;
; when the user gives up, and at once in silent mode, aborts with exit
; status 2 before anything is touched, saying so with CANCELLED.
!macro CLOSE_RUNNING_PROGRAMS un cancelled
Function ${un}CloseRunningPrograms
  retry:
  StrCpy $R0 ""
  !insertmacro NOTE_IF_RUNNING "brenvo1.exe"
  !insertmacro NOTE_IF_RUNNING "brenvo1-scan.exe"
  ${If} $R0 != ""
    ${If} $R0 == "brenvo1.exe"
      StrCpy $R5 "Chiudere Scandilo e riprovare."
    ${Else}
      StrCpy $R5 "Attendere che brenvo1-scan finisca e riprovare."
    ${EndIf}
    ; The buttons are in the system's language: the text names none.
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Brenvo1 è in esecuzione:$\r$\n$INSTDIR\$R0$\r$\n$\r$\n$R5" /SD IDCANCEL IDRETRY retry
    DetailPrint "$R0 è in esecuzione: ${cancelled}"
    SetErrorLevel 2
    Abort
  ${EndIf}
FunctionEnd
!macroend

!insertmacro CLOSE_RUNNING_PROGRAMS "" "installazione annullata, nessun file modificato."
!insertmacro CLOSE_RUNNING_PROGRAMS "un." "disinstallazione annullata, nessun file rimosso."

; Adds the size of the installed FILE, in bytes, to $0. FileFunc's GetSize
; would do it for the folder, but through the System plug-in, which would
; be unpacked and loaded from $PLUGINSDIR.
!macro ADD_SIZE file
  FileOpen $1 "$INSTDIR\${file}" r
  FileSeek $1 0 END $2
  FileClose $1
  IntOp $0 $0 + $2
!macroend

Section "Brenvo1"
  Call CloseRunningPrograms
  SetOutPath "$INSTDIR"
  File "${STAGE}\brenvo1.exe"
  File "${STAGE}\brenvo1-scan.exe"
  File "${STAGE}\README.txt"
  File "${STAGE}\LICENSE.txt"
  File "${STAGE}\THIRD-PARTY-NOTICES.txt"
  ; The texts' names before they were Windows texts.
  Delete "$INSTDIR\README.md"
  Delete "$INSTDIR\LICENSE"
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
  ; In KiB, as the list of installed programs shows it: the installed
  ; files', the uninstaller's included.
  StrCpy $0 0
  !insertmacro ADD_SIZE "brenvo1.exe"
  !insertmacro ADD_SIZE "brenvo1-scan.exe"
  !insertmacro ADD_SIZE "README.txt"
  !insertmacro ADD_SIZE "LICENSE.txt"
  !insertmacro ADD_SIZE "THIRD-PARTY-NOTICES.txt"
  !insertmacro ADD_SIZE "uninstall.exe"
  IntOp $0 $0 / 1024
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; Adds the name to $R4 when the file is still there.
!macro NOTE_IF_LEFT file
  ${If} ${FileExists} "$INSTDIR\${file}"
    StrCpy $R4 "$R4$\r$\n${file}"
  ${EndIf}
!macroend

Section "Uninstall"
  Call un.CloseRunningPrograms
  ; Without /REBOOTOK: a file Windows would only remove at the next start
  ; would be an uninstall that says it is done when it is not.
  Delete "$INSTDIR\brenvo1.exe"
  Delete "$INSTDIR\brenvo1-scan.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\THIRD-PARTY-NOTICES.txt"
  Delete "$INSTDIR\README.md"
  Delete "$INSTDIR\LICENSE"
  ; Whatever could not go, the shortcut, the uninstaller and the entry in
  ; the list of installed programs stay, so that the uninstall can be run
  ; again once it can succeed.
  StrCpy $R4 ""
  !insertmacro NOTE_IF_LEFT "brenvo1.exe"
  !insertmacro NOTE_IF_LEFT "brenvo1-scan.exe"
  !insertmacro NOTE_IF_LEFT "README.txt"
  !insertmacro NOTE_IF_LEFT "LICENSE.txt"
  !insertmacro NOTE_IF_LEFT "THIRD-PARTY-NOTICES.txt"
  !insertmacro NOTE_IF_LEFT "README.md"
  !insertmacro NOTE_IF_LEFT "LICENSE"
  ${If} $R4 != ""
    MessageBox MB_OK|MB_ICONSTOP "Impossibile rimuovere questi file da $INSTDIR:$R4$\r$\n$\r$\nLa disinstallazione non è stata completata." /SD IDOK
    DetailPrint "Disinstallazione non completata: file rimasti in $INSTDIR."
    SetErrorLevel 2
    Abort
  ${EndIf}
  Delete "${SHORTCUT}"
  ; Run in place (uninstall.exe _?=FOLDER), the uninstaller cannot remove
  ; itself; that is the caller's to do.
  Delete "$INSTDIR\uninstall.exe"
  ; Only when empty: whatever the user put there stays.
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
