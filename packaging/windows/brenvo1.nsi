; The Windows installer: brenvo1.exe ("Scandilo") and brenvo1-scan.exe,
; either for every user of the machine in Program Files\Brenvo1 or, without
; administrator rights, only for the current user in the user's own
; programs folder; a Start-menu shortcut "Scandilo" and an uninstaller in
; the list of installed programs, both of the install's own kind. Silent
; with /S, both ways; /ALLUSERS, /CURRENTUSER and /DOWNGRADE as README.md
; and LEGGIMI.txt tell.
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
; An administrator is asked to raise the setup's rights and can install
; for every user or for himself; anyone else installs for himself without
; being asked anything.
RequestExecutionLevel highest
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
!include "Sections.nsh"
!include "FileFunc.nsh"
!include "WordFunc.nsh"

; The same key under HKLM for the install for every user and under HKCU
; for the current user's: the two are never one entry.
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Brenvo1"
; In the Start menu of all users or of the current one, as SetShellVarContext
; says.
!define SHORTCUT "$SMPROGRAMS\Scandilo.lnk"

Name "Brenvo1"
Caption "Installazione di Brenvo1 ${VERSION}"
UninstallCaption "Disinstallazione di Brenvo1 ${VERSION}"
OutFile "${OUTFILE}"
; No InstallDir: $INSTDIR is empty at .onInit unless /D= named a folder,
; and the kind of install chosen sets it otherwise.
BrandingText "Brenvo1 ${VERSION}"
; Shared by the installer and the uninstaller, so each sets it.
Var CompletedLabel
CompletedText "$CompletedLabel"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1040 "ProductName" "Brenvo1"
; The uninstaller is written on the user's machine from the setup's own
; bytes, its Properties included: these name the setup.
VIAddVersionKey /LANG=1040 "FileDescription" "Installazione di Brenvo1 ${VERSION}"
VIAddVersionKey /LANG=1040 "OriginalFilename" "brenvo1-${VERSION}-win64-setup.exe"
VIAddVersionKey /LANG=1040 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1040 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1040 "CompanyName" "the Brenvo1 authors"
VIAddVersionKey /LANG=1040 "LegalCopyright" "Copyright (c) 2026 the Brenvo1 authors, MIT license"

; "1" for the install for every user, "" for the current user's.
Var AllUsers
; "1" when this process may write in Program Files.
Var CanAllUsers
; The folder /D= named, if any.
Var GivenFolder
; The folder and version of the install of the chosen kind found in the
; registry, if any: the setup installs over it, in its folder.
Var FoundFolder
Var FoundVersion
; The outermost folder this install created above and including its own,
; which the uninstaller removes when empty.
Var CreatedFolder
; "1" when the command line holds /DOWNGRADE.
Var Downgrade
; The section picked on the page of kinds, for .onSelChange.
Var PickedKind

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_LICENSE "${LICENSE_PAGE}"
!define MUI_PAGE_HEADER_TEXT "Tipo di installazione"
!define MUI_PAGE_HEADER_SUBTEXT "Scegli per chi installare Brenvo1."
!define MUI_COMPONENTSPAGE_TEXT_TOP "Per tutti gli utenti del computer servono i diritti di amministratore; solo per l'utente corrente no."
!define MUI_COMPONENTSPAGE_TEXT_COMPLIST "Installa:"
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE KindChosen
!insertmacro MUI_PAGE_COMPONENTS
; An install found is updated in its folder: nothing to choose.
!define MUI_PAGE_CUSTOMFUNCTION_PRE SkipIfFound
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE FolderChosen
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
; No "Esegui Brenvo1" here: the installer may run as administrator and so
; would the program it started. Windows offers no documented way for an
; elevated process to start one as the user who is logged in (the
; explorer.exe trick depends on Explorer being the shell and on how it is
; set up), so the page says where the program is instead.
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
; Debian's Italian words for the uninstaller's last caption are misspelt.
UninstallSubCaption 2 ": Disinstallazione completata"

; The kinds of install, one of which is picked: they install nothing
; themselves.
Section "Per tutti gli utenti" KindAllUsers
SectionEnd
Section /o "Solo per l'utente corrente" KindCurrentUser
SectionEnd

; Ends the setup with exit status 2, nothing changed, after saying why in
; a box (none in silent mode).
!macro REFUSE text
  MessageBox MB_OK|MB_ICONSTOP "${text}" /SD IDOK
  SetErrorLevel 2
  Quit
!macroend

Function .onInit
  ${IfNot} ${RunningX64}
    MessageBox MB_OK|MB_ICONSTOP "Brenvo1 richiede Windows a 64 bit." /SD IDOK
    Abort
  ${EndIf}
  SetRegView 64
  StrCpy $CompletedLabel "Installazione completata"
  StrCpy $GivenFolder $INSTDIR
  ${GetParameters} $R0
  StrCpy $Downgrade ""
  ClearErrors
  ${GetOptions} $R0 "/DOWNGRADE" $R1
  ${IfNot} ${Errors}
    StrCpy $Downgrade 1
  ${EndIf}

  ; Administrator rights, as far as the install needs them: a file can be
  ; made in Program Files.
  StrCpy $CanAllUsers ""
  ClearErrors
  FileOpen $R1 "$PROGRAMFILES64\brenvo1-setup.tmp" w
  ${IfNot} ${Errors}
    FileClose $R1
    Delete "$PROGRAMFILES64\brenvo1-setup.tmp"
    StrCpy $CanAllUsers 1
  ${EndIf}

  ; The kind: as asked, else that of the install found, else for every
  ; user when that is allowed.
  ClearErrors
  ${GetOptions} $R0 "/ALLUSERS" $R1
  ${IfNot} ${Errors}
    ${If} $CanAllUsers != 1
      !insertmacro REFUSE "Per installare Brenvo1 per tutti gli utenti servono i diritti di amministratore."
    ${EndIf}
    StrCpy $AllUsers 1
  ${Else}
    ClearErrors
    ${GetOptions} $R0 "/CURRENTUSER" $R1
    ${If} ${Errors}
      StrCpy $AllUsers $CanAllUsers
      ReadRegStr $R1 HKLM "${UNINSTALL_KEY}" "InstallLocation"
      ReadRegStr $R2 HKCU "${UNINSTALL_KEY}" "InstallLocation"
      ${If} $R1 == ""
      ${AndIf} $R2 != ""
        StrCpy $AllUsers ""
      ${EndIf}
    ${Else}
      StrCpy $AllUsers ""
    ${EndIf}
  ${EndIf}

  ${If} $AllUsers == 1
    StrCpy $PickedKind ${KindAllUsers}
    !insertmacro UnselectSection ${KindCurrentUser}
    !insertmacro SelectSection ${KindAllUsers}
  ${Else}
    StrCpy $PickedKind ${KindCurrentUser}
    !insertmacro UnselectSection ${KindAllUsers}
    !insertmacro SelectSection ${KindCurrentUser}
  ${EndIf}
  ${If} $CanAllUsers != 1
    SectionSetText ${KindAllUsers} "Per tutti gli utenti (servono i diritti di amministratore)"
    !insertmacro SetSectionFlag ${KindAllUsers} ${SF_RO}
  ${EndIf}

  ; Silent, nothing is asked: the kind and folder are settled here.
  ${If} ${Silent}
    Call PrepareKind
    Call CheckFolder
  ${EndIf}
FunctionEnd

Function .onSelChange
  !insertmacro StartRadioButtons $PickedKind
    !insertmacro RadioButton ${KindAllUsers}
    !insertmacro RadioButton ${KindCurrentUser}
  !insertmacro EndRadioButtons
FunctionEnd

Function KindChosen
  ${If} ${SectionIsSelected} ${KindAllUsers}
    StrCpy $AllUsers 1
  ${Else}
    StrCpy $AllUsers ""
  ${EndIf}
  Call PrepareKind
FunctionEnd

; For the kind in $AllUsers: the shell folders and registry of its own,
; and the folder to install in. An install found is installed over in its
; folder, never beside it, and never an older version over a newer one
; unless asked.
Function PrepareKind
  ${If} $AllUsers == 1
    SetShellVarContext all
    StrCpy $R1 "$PROGRAMFILES64\Brenvo1"
  ${Else}
    SetShellVarContext current
    StrCpy $R1 "$LOCALAPPDATA\Programs\Brenvo1"
  ${EndIf}
  ReadRegStr $FoundFolder SHCTX "${UNINSTALL_KEY}" "InstallLocation"
  ReadRegStr $FoundVersion SHCTX "${UNINSTALL_KEY}" "DisplayVersion"
  ${If} $FoundFolder == ""
    ${If} $GivenFolder != ""
      StrCpy $R1 $GivenFolder
    ${EndIf}
    StrCpy $INSTDIR $R1
    Return
  ${EndIf}
  ${If} $GivenFolder != ""
  ${AndIf} $GivenFolder != $FoundFolder
    !insertmacro REFUSE "Brenvo1 è già installato in $FoundFolder.$\r$\n$\r$\nPer installarlo in un'altra cartella, disinstallarlo prima."
  ${EndIf}
  StrCpy $INSTDIR $FoundFolder
  ${VersionCompare} $FoundVersion ${VERSION} $R2
  ${If} $R2 == 1
  ${AndIf} $Downgrade != 1
    MessageBox MB_YESNO|MB_ICONEXCLAMATION "In $FoundFolder è installato Brenvo1 $FoundVersion, più recente di questa versione, ${VERSION}.$\r$\n$\r$\nSostituirlo con la versione più vecchia?" /SD IDNO IDYES done
    !insertmacro REFUSE "Installazione annullata: Brenvo1 $FoundVersion, più recente, resta installato in $FoundFolder. Per installare comunque la versione ${VERSION}, avviare il programma di installazione con /DOWNGRADE."
  ${EndIf}
  done:
FunctionEnd

Function SkipIfFound
  ${IfThen} $FoundFolder != "" ${|} Abort ${|}
FunctionEnd

Function FolderChosen
  StrCpy $GivenFolder $INSTDIR
  Call CheckFolder
FunctionEnd

; A folder that holds Brenvo1 without being this kind's install found (a
; zip unpacked there, the MSI's install, the other kind's) would end up
; with two installs removing each other's files.
Function CheckFolder
  ${If} ${FileExists} "$INSTDIR\brenvo1.exe"
  ${AndIf} $INSTDIR != $FoundFolder
    MessageBox MB_OK|MB_ICONSTOP "La cartella $INSTDIR contiene già Brenvo1, installato in un altro modo.$\r$\n$\r$\nScegliere un'altra cartella, oppure rimuovere prima quell'installazione." /SD IDOK
    ${If} ${Silent}
      SetErrorLevel 2
      Quit
    ${EndIf}
    Abort
  ${EndIf}
FunctionEnd

Function un.onInit
  SetRegView 64
  StrCpy $CompletedLabel "Disinstallazione completata"
  ; Started by an uninstaller that ran in its folder, to remove it once it
  ; has ended; never while the programs are there.
  ClearErrors
  ${WordFind} $CMDLINE " /CLEANUP=" "E+1}" $CreatedFolder
  ${IfNot} ${Errors}
    ${IfNot} ${FileExists} "$INSTDIR\brenvo1.exe"
      Call un.RemoveUninstaller
    ${EndIf}
    Quit
  ${EndIf}
  ; Its own entry is the one that names its folder; the Start-menu
  ; shortcut beside that entry is its own too. Another install's stay.
  StrCpy $AllUsers ""
  StrCpy $FoundFolder ""
  ReadRegStr $R0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ReadRegStr $R1 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $R0 == $INSTDIR
    StrCpy $AllUsers 1
    StrCpy $FoundFolder $R0
    SetShellVarContext all
  ${ElseIf} $R1 == $INSTDIR
    StrCpy $FoundFolder $R1
    SetShellVarContext current
  ${EndIf}
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

Section "-Brenvo1"
  Call CloseRunningPrograms
  ; The folders this install makes, from the outermost: an install over
  ; one found keeps what that one made.
  ${If} ${FileExists} "$INSTDIR\*.*"
    ReadRegStr $CreatedFolder SHCTX "${UNINSTALL_KEY}" "CreatedFolder"
    ${IfThen} $FoundFolder != $INSTDIR ${|} StrCpy $CreatedFolder "" ${|}
  ${Else}
    StrCpy $CreatedFolder $INSTDIR
    ${Do}
      ${GetParent} $CreatedFolder $R1
      ${IfThen} $R1 == "" ${|} ${ExitDo} ${|}
      ${IfThen} ${FileExists} "$R1\*.*" ${|} ${ExitDo} ${|}
      StrCpy $CreatedFolder $R1
    ${Loop}
  ${EndIf}
  SetOutPath "$INSTDIR"
  File "${STAGE}\brenvo1.exe"
  File "${STAGE}\brenvo1-scan.exe"
  File "${STAGE}\LEGGIMI.txt"
  File "${STAGE}\LICENSE.txt"
  File "${STAGE}\THIRD-PARTY-NOTICES.txt"
  ; The texts earlier versions installed.
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\README.md"
  Delete "$INSTDIR\LICENSE"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortcut "${SHORTCUT}" "$INSTDIR\brenvo1.exe" "" "$INSTDIR\brenvo1.exe" 0

  ; SHCTX: HKLM for every user, HKCU for the current one.
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "Brenvo1 (Scandilo)"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "the Brenvo1 authors"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$\"$INSTDIR\brenvo1.exe$\",0"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "CreatedFolder" "$CreatedFolder"
  ; Run in place (_?=, the folder last as it stands), the uninstaller's
  ; exit status is the uninstall's; without it, NSIS would hand over to a
  ; copy of it and return 0 at once, whatever the copy then did.
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" "$\"$INSTDIR\uninstall.exe$\" _?=$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" "$\"$INSTDIR\uninstall.exe$\" /S _?=$INSTDIR"
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  ; In KiB, as the list of installed programs shows it: the installed
  ; files', the uninstaller's included.
  StrCpy $0 0
  !insertmacro ADD_SIZE "brenvo1.exe"
  !insertmacro ADD_SIZE "brenvo1-scan.exe"
  !insertmacro ADD_SIZE "LEGGIMI.txt"
  !insertmacro ADD_SIZE "LICENSE.txt"
  !insertmacro ADD_SIZE "THIRD-PARTY-NOTICES.txt"
  !insertmacro ADD_SIZE "uninstall.exe"
  IntOp $0 $0 / 1024
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; Adds the name to $R4 when the file is still there.
!macro NOTE_IF_LEFT file
  ${If} ${FileExists} "$INSTDIR\${file}"
    StrCpy $R4 "$R4$\r$\n${file}"
  ${EndIf}
!macroend

; The uninstaller, then the install folder and the folders the install
; created above it, each only when empty: whatever the user put there
; stays. The uninstaller that ran in the folder may take a moment to end.
Function un.RemoveUninstaller
  ${ForEach} $R0 1 1200 + 1
    Delete "$INSTDIR\uninstall.exe"
    ${IfNotThen} ${FileExists} "$INSTDIR\uninstall.exe" ${|} ${ExitFor} ${|}
    Sleep 100
  ${Next}
  RMDir "$INSTDIR"
  ; Only a folder that holds the install folder.
  StrLen $R1 $CreatedFolder
  StrCpy $R2 $INSTDIR $R1
  ${IfThen} $R2 != $CreatedFolder ${|} Return ${|}
  StrCpy $R0 $INSTDIR
  ${DoWhile} $R0 != $CreatedFolder
    ${GetParent} $R0 $R0
    ${IfThen} $R0 == "" ${|} ${ExitDo} ${|}
    RMDir $R0
  ${Loop}
FunctionEnd

Section "Uninstall"
  Call un.CloseRunningPrograms
  ; Without /REBOOTOK: a file Windows would only remove at the next start
  ; would be an uninstall that says it is done when it is not.
  Delete "$INSTDIR\brenvo1.exe"
  Delete "$INSTDIR\brenvo1-scan.exe"
  Delete "$INSTDIR\LEGGIMI.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\THIRD-PARTY-NOTICES.txt"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\README.md"
  Delete "$INSTDIR\LICENSE"
  ; Whatever could not go, the shortcut, the uninstaller and the entry in
  ; the list of installed programs stay, so that the uninstall can be run
  ; again once it can succeed.
  StrCpy $R4 ""
  !insertmacro NOTE_IF_LEFT "brenvo1.exe"
  !insertmacro NOTE_IF_LEFT "brenvo1-scan.exe"
  !insertmacro NOTE_IF_LEFT "LEGGIMI.txt"
  !insertmacro NOTE_IF_LEFT "LICENSE.txt"
  !insertmacro NOTE_IF_LEFT "THIRD-PARTY-NOTICES.txt"
  !insertmacro NOTE_IF_LEFT "README.txt"
  !insertmacro NOTE_IF_LEFT "README.md"
  !insertmacro NOTE_IF_LEFT "LICENSE"
  ${If} $R4 != ""
    MessageBox MB_OK|MB_ICONSTOP "Impossibile rimuovere questi file da $INSTDIR:$R4$\r$\n$\r$\nLa disinstallazione non è stata completata." /SD IDOK
    DetailPrint "Disinstallazione non completata: file rimasti in $INSTDIR."
    SetErrorLevel 2
    Abort
  ${EndIf}
  StrCpy $CreatedFolder ""
  ${If} $FoundFolder != ""
    ReadRegStr $CreatedFolder SHCTX "${UNINSTALL_KEY}" "CreatedFolder"
    Delete "${SHORTCUT}"
    DeleteRegKey SHCTX "${UNINSTALL_KEY}"
  ${EndIf}
  ${IfThen} $EXEDIR != $INSTDIR ${|} Call un.RemoveUninstaller ${|}
SectionEnd

; Right before the uninstaller ends, its window closed.
Function un.onUninstSuccess
  ; Run in place, it cannot remove itself: a copy of it does once it has
  ; ended (started without _?=, the uninstaller hands over to a copy in
  ; the temporary folder, which then finds /CLEANUP in un.onInit).
  ${If} $EXEDIR == $INSTDIR
    Exec '"$INSTDIR\uninstall.exe" /S /CLEANUP=$CreatedFolder'
  ${EndIf}
FunctionEnd
