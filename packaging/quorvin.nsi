; Quorvin's setup for Windows. It installs for the user who runs it, without
; administrator rights, asks only where the notes are kept, and puts a
; "Today's note" and a "Previous note" shortcut in the Start menu that give
; Quorvin that folder.
;
; An install or an update either completes or leaves what was there as it
; was: the files and the shortcuts are written first, under names of their
; own, and replace the old ones only once all are written; the keys of
; "Apps & features" come last, and a failure at any step puts back what
; the steps before it changed.
;
; The program's folder holds only what the setup put there: /D= takes a
; folder that is not there yet, an empty one, or the one Quorvin is
; installed in. The identity of every file and shortcut it makes is
; recorded in the key Made of its entry in "Apps & features"; a file of the
; same name that is not the one recorded is never replaced or removed.
; One setup or uninstaller runs at a time for the user.
;
; The setup installs a copy of itself as the uninstaller, Uninstall.exe,
; which removes Quorvin when it runs under that name (see uninstall.nsh).
;
; Built by the package target, which defines VERSION (the project's version,
; four numbers), PUBLISHER, COPYRIGHT, ICON, BITMAP (the finish page's
; artwork), STAGED (the folder holding the files of the zip) and OUTFILE.
;
; For scripts and administrators:
;   quorvin-VERSION-setup.exe /S [/NOTES=folder] [/D=program folder]
; installs without a question, into the folder that an earlier setup was
; given, else into Documents\Notes; the exit status is 0 only when it worked.

Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!include MUI2.nsh
!include LogicLib.nsh
!include WordFunc.nsh
!include FileFunc.nsh

!define PROGRAM "Quorvin.exe"
!define UNINSTALLER "Uninstall.exe"
!define SHORTCUT "Today's note.lnk"
!define PREVIOUS "Previous note.lnk"
!define SETTINGS_KEY "Software\Quorvin"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quorvin"
!define MADE_KEY "${UNINSTALL_KEY}\Made"
; In the settings' key, from an uninstall until its uninstaller's file is
; gone: that file's identity, so that a setup run meanwhile takes it for
; Quorvin's.
!define LEAVING "Uninstaller leaving"

; Each note's path, the folder's and "\2026_12_07.txt", fits the 259
; characters that Windows's shell and editors take.
!define LONGEST_FOLDER 244

Name "Quorvin"
Caption "$Caption"
OutFile "${OUTFILE}"
BrandingText "Quorvin ${VERSION}"
; No InstallDir: the program's folder is chosen in .onInit, and without one
; the folder page does not append "Quorvin" to a notes folder picked with
; Browse.
AllowRootDirInstall true
ShowInstDetails nevershow
; Nothing is installed in the notes folder: no space figures on its page.
SpaceTexts none

Var Caption         ; the window's title: the setup's, or the uninstaller's
Var Notes           ; the notes folder
Var NotesTyped      ; the folder page's copy, which NSIS cuts the "\" of a drive's root from when the page is left
Var NotesGiven      ; 1 when /NOTES= gave it
Var Installed       ; the version installed, if any
Var Subtitle        ; the folder page's, which tells an update
Var NotesShown      ; the notes folder, in lines that fit the finish page
Var Upgrade         ; 1 when Quorvin.exe was in the program's folder
Var MadeNotes       ; 1 when this setup made the notes folder
Var KeepNotes       ; 1 when the notes folder's drive is not there
Var Doing           ; the progress page's title
Var Done            ; its title when done
Var Failed          ; its title when stopped
Var Kept            ; what it says meanwhile
Var Left            ; what a stopped run says it left
Var OldNotes        ; the notes folder of the settings, as it was
Var OldSize         ; the size in Apps & features, as it was
Var FirstThere      ; the nearest folder above the program's that was there
Var NotesThere      ; the same for the notes folder
Var StartIn         ; the shortcuts' "Start in"
Var MadeDesktop     ; 1 when the desktop's Today's note is the setup's own, to follow the notes folder
Var Foreign         ; a shortcut of the setup's names that it did not make, left as it is
; The recorded identity of each file and shortcut (Own), the shortcut
; written under a name of its own (New; "placed" once it has its name) and
; the one it replaced, kept under a name of its own (Old).
Var OwnProgram
Var OwnUninstaller
Var OwnReadme
Var OwnLicence
Var OwnToday
Var OwnPrevious
Var OwnDesktop
Var NewToday
Var NewPrevious
Var NewDesktop
Var OldToday
Var OldPrevious
Var OldDesktop

!define MUI_ICON "${ICON}"
; Else MUI's own uninstaller icon, larger, sets the size of the icon resource.
!define MUI_UNICON "${ICON}"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${BITMAP}"

!define MUI_PAGE_HEADER_TEXT "Notes folder"
!define MUI_PAGE_HEADER_SUBTEXT "$Subtitle"
!define MUI_DIRECTORYPAGE_TEXT_TOP "Quorvin keeps one plain-text note per day, named from the date (for example 2026_12_07.txt). The Today's note shortcut opens today's note in the folder below, and makes the note if it is not there yet.$\r$\n$\r$\nThe folder is made if it does not exist. To keep your notes somewhere else, click Browse and choose another folder. Click Install to start."
!define MUI_DIRECTORYPAGE_TEXT_DESTINATION "Notes folder"
!define MUI_DIRECTORYPAGE_VARIABLE $NotesTyped
; Install is never greyed out: a folder that cannot be used is said why on leaving.
!define MUI_DIRECTORYPAGE_VERIFYONLEAVE
!define MUI_PAGE_CUSTOMFUNCTION_PRE SkipWhenRemoving
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE NotesPageLeave
!insertmacro MUI_PAGE_DIRECTORY
!define MUI_PAGE_HEADER_TEXT "$Doing"
!define MUI_PAGE_HEADER_SUBTEXT "$Kept"
!define MUI_INSTFILESPAGE_FINISHHEADER_TEXT "$Done"
!define MUI_INSTFILESPAGE_FINISHHEADER_SUBTEXT "$Kept"
!define MUI_INSTFILESPAGE_ABORTHEADER_TEXT "$Failed"
!define MUI_INSTFILESPAGE_ABORTHEADER_SUBTEXT "$Left"
!insertmacro MUI_PAGE_INSTFILES
!define MUI_PAGE_CUSTOMFUNCTION_PRE SkipWhenRemoving
!define MUI_PAGE_CUSTOMFUNCTION_SHOW FinishPageShow
!define MUI_FINISHPAGE_TITLE "Quorvin is installed"
!define MUI_FINISHPAGE_TEXT "Click Today's note in the Start menu to open today's note in$\r$\n$NotesShown$\r$\n$\r$\nTo remove Quorvin, use Apps && features; your notes stay where they are."
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Open today's note now"
!define MUI_FINISHPAGE_RUN_FUNCTION OpenTodaysNote
!define MUI_FINISHPAGE_SHOWREADME
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Put a Today's note shortcut on the desktop too"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!define MUI_FINISHPAGE_SHOWREADME_FUNCTION DesktopShortcut
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_LANGUAGE English
; The Browse dialog's own line.
LangString ^DirBrowseText ${LANG_ENGLISH} "Choose the folder for your notes:"

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} ProductName "Quorvin"
VIAddVersionKey /LANG=${LANG_ENGLISH} ProductVersion "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} CompanyName "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} FileDescription "Quorvin setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} FileVersion "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} LegalCopyright "${COPYRIGHT}"

; Every message box is titled Quorvin: NSIS's own take the setup's file
; name before its window is there. $R9 is said, with the icon and buttons
; FLAGS; the button clicked in $R9 (in silent mode, none: 0).
!macro Say FLAGS
  ${If} ${Silent}
    StrCpy $R9 0
  ${Else}
    System::Call 'user32::MessageBoxW(p $HWNDPARENT, w R9, w "Quorvin", i ${FLAGS}) i .R9'
  ${EndIf}
!macroend

; A failure: said (in silent mode only the exit status tells) and the run
; ends with exit status 2. The progress page's status line, one line, says
; only that the run stopped; the header says what was left.
!macro Fail WHAT
  StrCpy $R9 "${WHAT}"
  !insertmacro Say 0x10  ; MB_ICONSTOP
  ${IfThen} $Left == "" ${|} StrCpy $Left "Nothing was changed." ${|}
  Abort "Stopped."
!macroend

; A refusal before anything is done: said, and the run ends with exit status 2.
!macro Refuse WHAT
  StrCpy $R9 "${WHAT}"
  !insertmacro Say 0x10
  SetErrorLevel 2
  Quit
!macroend

; One setup or uninstaller at a time for the user: a second one would mix
; its folders and shortcuts with the first's. The mutex is held until the
; process ends.
!macro OneAtATime
  System::Call 'kernel32::CreateMutexW(p 0, i 0, w "Local\Quorvin setup") p .r0 ?e'
  Pop $1
  ${If} $1 = 183  ; ERROR_ALREADY_EXISTS
    !insertmacro Refuse "Another Quorvin setup or uninstaller is running. Run this one again once it has ended."
  ${EndIf}
!macroend

; The files, each written first beside the one it replaces as NAME.new,
; then put in its place, the one it replaces kept as NAME.old until all are;
; each with the identity recorded for it.
!macro EachFile STEP
  !insertmacro ${STEP} ${PROGRAM} $OwnProgram
  !insertmacro ${STEP} ${UNINSTALLER} $OwnUninstaller
  !insertmacro ${STEP} README.txt $OwnReadme
  !insertmacro ${STEP} LICENSE.txt $OwnLicence
!macroend
; The shortcuts: the folder, the name, the name of the record, the variables.
!macro EachShortcut STEP
  !insertmacro ${STEP} $SMPROGRAMS "${SHORTCUT}" "Start menu ${SHORTCUT}" $OwnToday $NewToday $OldToday
  !insertmacro ${STEP} $SMPROGRAMS "${PREVIOUS}" "Start menu ${PREVIOUS}" $OwnPrevious $NewPrevious $OldPrevious
  !insertmacro ${STEP} $DESKTOP "${SHORTCUT}" "Desktop ${SHORTCUT}" $OwnDesktop $NewDesktop $OldDesktop
!macroend
!macro ReadOwn NAME OWN
  ReadRegStr ${OWN} HKCU "${MADE_KEY}" "${NAME}"
!macroend
!macro ReadOwnShortcut DIR NAME RECORD OWN NEW OLD
  ReadRegStr ${OWN} HKCU "${MADE_KEY}" "${RECORD}"
!macroend
!macro MustBeOwn NAME OWN  ; before anything changes
  StrCpy $R0 "$INSTDIR\${NAME}"
  Call Identify
  ${If} $R1 != ""
  ${AndIf} $R1 != ${OWN}
    !insertmacro Fail "$INSTDIR\${NAME} is not Quorvin's: the setup did not make it, and leaves it as it is.$\r$\n$\r$\nMove it out of Quorvin's folder, then run the setup again."
  ${EndIf}
!macroend
!macro Tidy NAME OWN  ; what an earlier setup that was stopped left
  Delete "$INSTDIR\${NAME}.new"
  ${IfThen} ${FileExists} "$INSTDIR\${NAME}" ${|} Delete "$INSTDIR\${NAME}.old" ${|}
!macroend
!macro Replace NAME OWN
  ${IfThen} ${FileExists} "$INSTDIR\${NAME}" ${|} Rename "$INSTDIR\${NAME}" "$INSTDIR\${NAME}.old" ${|}
  Rename "$INSTDIR\${NAME}.new" "$INSTDIR\${NAME}"
!macroend
!macro PutBack NAME OWN  ; the new file goes unless it is the one recorded, which was there
  Delete "$INSTDIR\${NAME}.new"
  ${If} ${FileExists} "$INSTDIR\${NAME}.old"
    Delete "$INSTDIR\${NAME}"
    Rename "$INSTDIR\${NAME}.old" "$INSTDIR\${NAME}"
  ${Else}
    StrCpy $R0 "$INSTDIR\${NAME}"
    Call Identify
    ${If} $R1 != ""
    ${AndIf} $R1 != ${OWN}
      Delete "$INSTDIR\${NAME}"
    ${EndIf}
  ${EndIf}
!macroend
!macro DropOld NAME OWN
  Delete "$INSTDIR\${NAME}.old"
!macroend
!macro Record NAME OWN
  StrCpy $R0 "$INSTDIR\${NAME}"
  Call Identify
  WriteRegStr HKCU "${MADE_KEY}" "${NAME}" $R1
!macroend
!macro RecordBack NAME OWN
  ${If} ${OWN} == ""
    DeleteRegValue HKCU "${MADE_KEY}" "${NAME}"
  ${Else}
    WriteRegStr HKCU "${MADE_KEY}" "${NAME}" ${OWN}
  ${EndIf}
!macroend

; A Start menu shortcut's name that holds what the setup did not make stops
; it before anything changes: the shortcut is the install's way in.
!macro ShortcutMustBeOwn NAME OWN
  StrCpy $R0 "$SMPROGRAMS\${NAME}"
  Call Identify
  ${If} $R1 != ""
  ${AndIf} $R1 != ${OWN}
    !insertmacro Fail "The Start menu holds a $\"${NAME}$\" that Quorvin did not make:$\r$\n$R0$\r$\nThe setup leaves it as it is. Move it away or rename it, then run the setup again."
  ${EndIf}
!macroend
; The shortcut written under a name of its own (NEW) takes its name; the
; one it replaces, the setup's own, is kept under a name of its own (OLD).
!macro PlaceShortcut DIR NAME RECORD OWN NEW OLD
  ${If} ${NEW} != ""
    ${If} ${FileExists} "${DIR}\${NAME}"
      System::Call 'kernel32::GetTempFileNameW(w "${DIR}", w "qrv", i 0, w .r9) i .r8'
      ${If} $8 = 0
        StrCpy $9 "${DIR}\${NAME}"  ; the Rename fails
      ${EndIf}
      Delete $9
      Rename "${DIR}\${NAME}" $9
      ${If} ${Errors}
        !insertmacro FailBack "The shortcut$\r$\n${DIR}\${NAME}$\r$\ncould not be replaced."
      ${EndIf}
      StrCpy ${OLD} $9
    ${EndIf}
    Rename ${NEW} "${DIR}\${NAME}"
    ${If} ${Errors}
      !insertmacro FailBack "The shortcut$\r$\n${DIR}\${NAME}$\r$\ncould not be made."
    ${EndIf}
    StrCpy ${NEW} placed
  ${EndIf}
!macroend
!macro PutBackShortcut DIR NAME RECORD OWN NEW OLD
  ${If} ${NEW} == placed
    Delete "${DIR}\${NAME}"
  ${ElseIf} ${NEW} != ""
    Delete ${NEW}
  ${EndIf}
  ${If} ${OLD} != ""
    Rename ${OLD} "${DIR}\${NAME}"
  ${EndIf}
!macroend
!macro DropOldShortcut DIR NAME RECORD OWN NEW OLD
  ${IfThen} ${OLD} != "" ${|} Delete ${OLD} ${|}
!macroend
!macro RecordShortcut DIR NAME RECORD OWN NEW OLD
  ${If} ${NEW} == placed
    StrCpy $R0 "${DIR}\${NAME}"
    Call Identify
    WriteRegStr HKCU "${MADE_KEY}" "${RECORD}" $R1
  ${EndIf}
!macroend
!macro RecordBackShortcut DIR NAME RECORD OWN NEW OLD
  !insertmacro RecordBack "${RECORD}" ${OWN}
!macroend

; The identity of the folder or file $R0, the same whatever path leads to
; it: the volume's serial number and the index there, as "serial high low";
; empty if it cannot be opened. Its path as the system resolves it (every
; alias, short name and link followed, \\?\C:\a) in $R8.
Var FolderId
Function IdentifyFolder
  StrCpy $FolderId ""
  StrCpy $R8 ""
  System::Call 'kernel32::CreateFileW(w R0, i 0x80, i 7, p 0, i 3, i 0x02000000, p 0) p .r9'
  ${If} $9 P<> -1
    Call IdentifyHandle
    System::Call 'kernel32::GetFinalPathNameByHandleW(p r9, w .R8, i ${NSIS_MAX_STRLEN}, i 0)'
    System::Call 'kernel32::CloseHandle(p r9)'
  ${EndIf}
FunctionEnd
Function IdentifyHandle  ; of the handle $9, in $FolderId
  System::Call '*(&i52) p .r8'
  System::Call 'kernel32::GetFileInformationByHandle(p r9, p r8) i .r7'
  ${If} $7 <> 0
    ; BY_HANDLE_FILE_INFORMATION: the serial number at 28, the index at 44 (high) and 48 (low).
    System::Call '*$8(&i28, i .r5, &i12, i .r6, i .r7)'
    StrCpy $FolderId "$5 $6 $7"
  ${EndIf}
  System::Free $8
FunctionEnd

; $R0's identity in $R1, "" if it is not there.
Function Identify
  Push $R8
  Call IdentifyFolder
  Pop $R8
  StrCpy $R1 $FolderId
FunctionEnd

; Deletes the file $R0 only if it is the one whose identity is $R1, opened
; once, so that no other file can take its name between the check and the
; removal. $R2: "deleted"; "absent"; "other", a file that is not the one
; recorded, left; or "failed".
Function DeleteOwn
  System::Call 'kernel32::CreateFileW(w R0, i 0x10080, i 7, p 0, i 3, i 0x02000000, p 0) p .r9 ?e'
  Pop $5
  ${If} $9 P= -1
    StrCpy $R2 failed
    ${IfThen} $5 = 2 ${|} StrCpy $R2 absent ${|}  ; ERROR_FILE_NOT_FOUND
    ${IfThen} $5 = 3 ${|} StrCpy $R2 absent ${|}  ; ERROR_PATH_NOT_FOUND
    Return
  ${EndIf}
  StrCpy $FolderId ""
  Call IdentifyHandle
  StrCpy $R2 other
  ${If} $R1 != ""
  ${AndIf} $FolderId == $R1
    ; FILE_DISPOSITION_INFO: deleted when the handle is closed.
    System::Call 'kernel32::SetFileInformationByHandle(p r9, i 4, *i 1, i 4) i .r7'
    StrCpy $R2 failed
    ${IfThen} $7 <> 0 ${|} StrCpy $R2 deleted ${|}
  ${EndIf}
  System::Call 'kernel32::CloseHandle(p r9)'
FunctionEnd

; $R0 with a line break after every $R7 characters, in $R9: a text that
; holds a long path stays within the width it is given.
Function BreakLines
  StrCpy $R9 ""
  StrCpy $9 0
  ${Do}
    StrCpy $8 $R0 $R7 $9
    StrCpy $R9 "$R9$8"
    IntOp $9 $9 + $R7
    StrCpy $8 $R0 1 $9
    ${IfThen} $8 != "" ${|} StrCpy $R9 "$R9$\r$\n" ${|}
  ${LoopUntil} $8 == ""
FunctionEnd

; A running program's file cannot be opened for writing: while Quorvin.exe
; in $INSTDIR runs, the user is asked to close it. In silent mode, or when
; the user cancels, the run ends (exit status 2) with nothing changed.
Function WaitUntilQuorvinCloses
  ${Do}
    System::Call 'kernel32::CreateFileW(w "$INSTDIR\${PROGRAM}", i 0x40000000, i 7, p 0, i 3, i 0, p 0) p .r0 ?e'
    Pop $1
    ${If} $0 P<> -1
      System::Call 'kernel32::CloseHandle(p r0)'
    ${EndIf}
    ${If} $0 P<> -1
    ${OrIf} $1 <> 32  ; ERROR_SHARING_VIOLATION
      Return
    ${EndIf}
    StrCpy $R9 "Quorvin is running. Close it and click Retry."
    !insertmacro Say 0x35  ; MB_RETRYCANCEL|MB_ICONEXCLAMATION
    ${If} $R9 <> 4  ; IDRETRY
      StrCpy $Left "Nothing was changed."
      Abort "Quorvin is running."
    ${EndIf}
  ${Loop}
FunctionEnd

; The folder a setup run before chose is kept, so that running a newer setup
; over an installed one changes the program and nothing else. $DOCUMENTS is
; the user's own Documents folder, wherever it has been moved.
Function .onInit
  SetShellVarContext current
  ${If} $EXEFILE == "${UNINSTALLER}"
    Call RemovalInit
    Return
  ${EndIf}
  !insertmacro OneAtATime
  StrCpy $Caption "Quorvin Setup"
  StrCpy $Doing "Installing"
  StrCpy $Kept "Please wait while Quorvin is being installed."
  StrCpy $Done "Installation Complete"
  StrCpy $Failed "Installation Aborted"
  ; A newer Quorvin is never replaced by an older one.
  ReadRegStr $Installed HKCU "${UNINSTALL_KEY}" DisplayVersion
  StrCpy $Subtitle "Choose where Quorvin keeps your notes."
  ${If} $Installed != ""
    ${VersionCompare} $Installed "${VERSION}" $0
    ${If} $0 == 1
      !insertmacro Refuse "Quorvin $Installed is installed, which is newer than this setup's ${VERSION}: the setup changes nothing.$\r$\n$\r$\nTo go back to ${VERSION}, remove Quorvin first."
    ${ElseIf} $0 == 0
      StrCpy $Subtitle "Quorvin ${VERSION} is installed already: this setup installs it again."
    ${Else}
      StrCpy $Subtitle "This setup updates Quorvin from $Installed to ${VERSION}."
    ${EndIf}
  ${EndIf}

  ; /D=folder chooses the program's folder; an update stays where Quorvin
  ; is. It is read here as NSIS reads it, the rest of the command line, and
  ; quoted too, since NSIS drops without a word a folder it cannot use.
  ReadRegStr $1 HKCU "${UNINSTALL_KEY}" InstallLocation
  System::Call 'kernel32::GetCommandLineW() p .r0'
  System::Call 'msvcrt::wcsstr(p r0, w " /D=") p .r2'
  ${If} $2 P= 0
    System::Call 'msvcrt::wcsstr(p r0, w ` "/D=`) p .r2'
    ${IfThen} $2 P<> 0 ${|} IntOp $2 $2 + 2 ${|}
  ${EndIf}
  ${If} $2 P<> 0
    IntOp $2 $2 + 8
    System::Call 'kernel32::lstrcpynW(w .R0, p r2, i ${NSIS_MAX_STRLEN})'
    StrCpy $3 $R0 1 -1
    StrCpy $4 $R0 1
    ${If} $3 == '"'  ; "/D=folder", or a path pasted with its quotes
    ${AndIf} $4 != '"'
      StrCpy $R0 $R0 -1
    ${EndIf}
    Call CheckFolder
    ClearErrors
    ${WordFind} $R0 "%" "E#" $R8  ; the shell would expand %NAME% in the shortcuts' program
    ${IfNotThen} ${Errors} ${|} StrCpy $R1 "$R0 holds a %, which Windows would take for a %NAME% to expand." ${|}
    ${If} $R1 != ""
      !insertmacro Refuse "Quorvin cannot be installed in the folder given with /D=.$\r$\n$\r$\n$R1"
    ${EndIf}
    ; The installed folder, by whatever path it is given, is the installed folder.
    ${If} $1 != ""
      StrCpy $R5 $R0
      Call IdentifyFolder
      StrCpy $2 $FolderId
      StrCpy $R0 $1
      Call IdentifyFolder
      ${If} $1 != $R5
      ${AndIf} $FolderId == ""
      ${OrIf} $FolderId != $2
        !insertmacro Refuse "Quorvin is installed in $1. To install it in $R5, remove it first."
      ${EndIf}
      StrCpy $R0 $1
    ${EndIf}
    StrCpy $INSTDIR $R0
  ${ElseIf} $1 != ""
    StrCpy $INSTDIR $1
  ${Else}
    StrCpy $INSTDIR "$LOCALAPPDATA\Programs\Quorvin"
  ${EndIf}
  ; What the entry records as made, else an uninstaller on its way out.
  !insertmacro EachFile ReadOwn
  !insertmacro EachShortcut ReadOwnShortcut
  ${If} $1 == ""
    ReadRegStr $OwnUninstaller HKCU "${SETTINGS_KEY}" "${LEAVING}"
    Call CheckProgramFolder
    ${If} $R1 != ""
      !insertmacro Refuse "Quorvin cannot be installed in$\r$\n$INSTDIR:$\r$\n$R1$\r$\n$\r$\nThe setup installs only into a folder that is not there yet, or is empty. Give another with /D=."
    ${EndIf}
  ${EndIf}

  ReadRegStr $Notes HKCU "${SETTINGS_KEY}" "Notes folder"
  StrCpy $OldNotes $Notes
  ReadRegDWORD $OldSize HKCU "${UNINSTALL_KEY}" EstimatedSize
  ${If} $Notes == ""
    StrCpy $Notes "$DOCUMENTS\Notes"
  ${EndIf}
  ; /NOTES=folder, the command line split as every Windows program splits
  ; it, so that the option, or the folder, may be quoted. A relative folder
  ; is taken from the current folder.
  System::Call 'kernel32::GetCommandLineW() p .r0'
  System::Call 'shell32::CommandLineToArgvW(p r0, *i 0 r2) p .r1'
  IntOp $2 $2 - 1
  ${For} $3 1 $2
    IntOp $4 $3 * ${NSIS_PTR_SIZE}
    IntOp $4 $1 + $4
    System::Call '*$4(w .r5)'
    StrCpy $6 $5 7
    ${If} $6 == "/NOTES="
      StrCpy $Notes $5 "" 7
      StrCpy $NotesGiven 1
    ${EndIf}
  ${Next}
  System::Call 'kernel32::LocalFree(p r1)'
  ${If} $NotesGiven == 1
    StrCpy $R0 $Notes
    Call Unquote
    StrCpy $Notes $R0
    Call IsFullPath
    ${If} $R1 == ""
    ${AndIf} $Notes != ""
      System::Call 'kernel32::GetCurrentDirectoryW(i ${NSIS_MAX_STRLEN}, w .r0)'
      StrCpy $Notes "$0\$Notes"
    ${EndIf}
  ${EndIf}
  StrCpy $NotesTyped $Notes
FunctionEnd

; The folder page's check, when Install is clicked: a folder that cannot be
; used is said why, and the page stays.
Function NotesPageLeave
  ; As typed: the page's own copy has lost the characters Windows does not allow.
  System::Call 'user32::GetWindowTextW(p $mui.DirectoryPage.Directory, w .R0, i ${NSIS_MAX_STRLEN})'
  Call CheckFolder
  ${If} $R1 != ""
    StrCpy $R9 "$R1$\r$\n$\r$\nChoose another folder for your notes."
    !insertmacro Say 0x30  ; MB_ICONEXCLAMATION
    Abort
  ${EndIf}
  StrCpy $Notes $R0
FunctionEnd

; Whether $R0 begins as a full path does, with a drive (C:\) or a network
; share (\\server\share): $R1 is 1 if so.
Function IsFullPath
  StrCpy $R1 ""
  StrCpy $3 $R0 1 1
  StrCpy $4 $R0 1 2
  StrCpy $5 $R0 2
  ${If} $3 == ":"
    ${IfThen} $4 == "\" ${|} StrCpy $R1 1 ${|}
    ${IfThen} $4 == "/" ${|} StrCpy $R1 1 ${|}
  ${ElseIf} $5 == "\\"
  ${OrIf} $5 == "//"
    ${IfThen} $4 != "" ${|} StrCpy $R1 1 ${|}
  ${EndIf}
FunctionEnd

; $R3 in full, as Windows resolves it (".", ".." and "/" taken away), without
; a closing "\" unless it is a drive's root.
Function FullPath
  System::Call 'kernel32::GetFullPathNameW(w R3, i ${NSIS_MAX_STRLEN}, w .R3, p 0)'
  StrCpy $9 $R3 1 -1
  StrLen $8 $R3
  ${If} $9 == "\"
  ${AndIf} $8 > 3
    StrCpy $R3 $R3 -1
  ${EndIf}
FunctionEnd

; The folder above $R3, in $R3; at a drive's or a share's root, $R3 itself.
Function Parent
  StrCpy $R3 "$R3\.."
  Call FullPath
FunctionEnd

; $R1 names a problem with the path $R3, which the text says in full, in
; lines that fit a message box.
!macro Problem TEXT
  StrCpy $R6 $R0
  StrCpy $R0 $R3
  StrCpy $R7 48  ; characters a line, as in Quorvin's own messages
  Call BreakLines
  StrCpy $R0 $R6
  StrCpy $R1 "${TEXT}"
!macroend

; $R0 without the quotes of a path pasted with them, as Explorer's "Copy
; as path" gives it.
Function Unquote
  StrCpy $4 $R0 1
  StrCpy $5 $R0 1 -1
  StrLen $6 $R0
  ${If} $4 == '"'
  ${AndIf} $5 == '"'
  ${AndIf} $6 > 1
    StrCpy $R0 $R0 -1 1
  ${EndIf}
FunctionEnd

; Whether the folder $R0 can be used, before anything is made: $R1 says why
; not, or is empty; then $R0 is the folder in full. $R2 is 1 when its drive
; or network share cannot be reached.
Function CheckFolder
  StrCpy $R1 ""
  StrCpy $R2 ""
  Call Unquote
  StrCpy $R3 $R0
  ${If} $R0 == ""
    StrCpy $R1 "No folder was given."
    Return
  ${EndIf}
  ; Windows would take these characters away, or take the name as another.
  StrCpy $4 '<>"|?*'
  System::Call 'msvcrt::wcspbrk(w R0, w r4) p .r9'
  StrCpy $4 $R0 "" 2
  System::Call 'msvcrt::wcschr(w r4, i 58) p .r8'
  ${If} $9 P<> 0
  ${OrIf} $8 P<> 0
    !insertmacro Problem "$R9$\r$\ncannot be a folder: Windows allows none of < > : $\" | ? * in a folder's name."
    Return
  ${EndIf}
  StrCpy $3 0
  StrCpy $4 ""
  ${Do}
    StrCpy $5 $R0 1 $3
    ${If} $5 == "\"
    ${OrIf} $5 == "/"
    ${OrIf} $5 == ""
      StrCpy $6 $4 "" -1
      ${If} $6 == "."
      ${OrIf} $6 == " "
        ${If} $4 != "."
        ${AndIf} $4 != ".."
          !insertmacro Problem "$R9$\r$\ncannot be a folder: Windows allows no folder name that ends with a dot or a space."
          Return
        ${EndIf}
      ${EndIf}
      StrCpy $4 ""
    ${Else}
      StrCpy $4 "$4$5"
    ${EndIf}
    IntOp $3 $3 + 1
  ${LoopUntil} $5 == ""
  Call IsFullPath
  ${If} $R1 == ""
    !insertmacro Problem "$R9$\r$\nis not a full path. A folder's full path begins with its drive, as in C:\Notes, or with its network share, as in \\server\share\Notes."
    Return
  ${EndIf}
  StrCpy $R1 ""
  Call FullPath
  StrCpy $R0 $R3
  StrLen $4 $R0
  ${If} $4 > ${LONGEST_FOLDER}
    !insertmacro Problem "$R9$\r$\nis $4 characters long; a folder may have at most ${LONGEST_FOLDER}, so that the path of every note in it fits in the 259 characters that Windows allows."
    Return
  ${EndIf}
  ; The folder itself, else the nearest folder above it that is there.
  ${Do}
    System::Call 'kernel32::GetFileAttributesW(w R3) i .r9'
    ${If} $9 <> -1
      IntOp $9 $9 & 0x10
      ${IfThen} $9 <> 0 ${|} ${Break} ${|}
      !insertmacro Problem "$R9$\r$\nis a file, not a folder."
      Return
    ${EndIf}
    StrCpy $R4 $R3
    Call Parent
    ${If} $R3 == $R4
      StrCpy $R2 1
      StrCpy $4 $R3 2
      ${If} $4 == "\\"
        !insertmacro Problem "The network share $R9 cannot be reached."
      ${Else}
        !insertmacro Problem "There is no drive $R9 on this computer."
      ${EndIf}
      Return
    ${EndIf}
  ${Loop}
  StrCpy $R6 $R0
  Call IsUnderWindows
  StrCpy $R0 $R6
  ${If} $R7 == 1
    StrCpy $R3 $WINDIR
    !insertmacro Problem "Windows keeps its own folder, $R9, and every folder in it, to itself."
  ${EndIf}
FunctionEnd

; Whether the folder $R3, which is there, is the Windows folder or a folder
; in it, whatever path leads to it: each folder from it up, where the system
; resolves it to be, is compared with the Windows folder by identity. $R7
; is 1 if so.
Function IsUnderWindows
  StrCpy $R7 0
  StrCpy $R0 $WINDIR
  Call IdentifyFolder
  StrCpy $R5 $FolderId
  StrCpy $R0 $R3
  Call IdentifyFolder
  ; \\?\C:\a is C:\a, \\?\UNC\server\share is \\server\share.
  StrCpy $4 $R8 4
  ${If} $4 == "\\?\"
    StrCpy $R3 $R8 "" 4
    StrCpy $4 $R3 4
    ${If} $4 == "UNC\"
      StrCpy $R3 $R3 "" 3
      StrCpy $R3 "\$R3"
    ${EndIf}
  ${EndIf}
  ${Do}
    ${If} $FolderId != ""
    ${AndIf} $FolderId == $R5
      StrCpy $R7 1
      Return
    ${EndIf}
    StrCpy $R4 $R3
    Call Parent
    ${IfThen} $R3 == $R4 ${|} Return ${|}
    StrCpy $R0 $R3
    Call IdentifyFolder
  ${Loop}
FunctionEnd

; $R3, a full path, becomes the nearest folder at or above it that is there.
Function NearestThere
  ${Do}
    System::Call 'kernel32::GetFileAttributesW(w R3) i .r9'
    ${IfThen} $9 <> -1 ${|} Return ${|}
    StrCpy $R4 $R3
    Call Parent
    ${IfThen} $R3 == $R4 ${|} Return ${|}
  ${Loop}
FunctionEnd

; The folders from $R3 up to $R5, not $R5 itself, which the run made, go.
Function RemoveMadeFolders
  ${DoUntil} $R3 == $R5
    RMDir $R3
    StrCpy $R4 $R3
    Call Parent
    ${IfThen} $R3 == $R4 ${|} Return ${|}
  ${Loop}
FunctionEnd

; Whether $INSTDIR may take a first install: $R1 says why not, or is empty.
; It is not there yet, or it is empty but for an uninstaller of Quorvin's
; on its way out, which the setup replaces; never a drive's root.
Function CheckProgramFolder
  StrCpy $R1 ""
  StrCpy $R3 $INSTDIR
  Call Parent
  ${If} $R3 == $INSTDIR
    StrCpy $R1 "it is a drive's root."
    Return
  ${EndIf}
  System::Call 'kernel32::GetFileAttributesW(w "$INSTDIR") i .r9'
  ${IfThen} $9 = -1 ${|} Return ${|}
  IntOp $9 $9 & 0x10
  ${If} $9 = 0
    StrCpy $R1 "it is a file, not a folder."
    Return
  ${EndIf}
  FindFirst $3 $4 "$INSTDIR\*"
  ${DoWhile} $4 != ""
    ${If} $4 != "."
    ${AndIf} $4 != ".."
      StrCpy $R0 "$INSTDIR\$4"
      Call IdentifyFolder
      ${If} $4 != "${UNINSTALLER}"
      ${OrIf} $OwnUninstaller == ""
      ${OrIf} $FolderId != $OwnUninstaller
        StrCpy $R1 "it holds what Quorvin did not put there, such as $4."
        ${Break}
      ${EndIf}
    ${EndIf}
    FindNext $3 $4
  ${Loop}
  FindClose $3
FunctionEnd

; What was there before, as it was: the shortcuts, the files, the keys,
; the folders this run made. $Left says whether all of it is.
Var KeysWritten
Function PutBack
  ClearErrors
  !insertmacro EachShortcut PutBackShortcut
  !insertmacro EachFile PutBack
  ${If} $KeysWritten == 1
    ${If} $Installed == ""
      DeleteRegKey HKCU "${UNINSTALL_KEY}"
    ${Else}
      WriteRegStr HKCU "${UNINSTALL_KEY}" DisplayVersion $Installed
      WriteRegDWORD HKCU "${UNINSTALL_KEY}" EstimatedSize $OldSize
      !insertmacro EachFile RecordBack
      !insertmacro EachShortcut RecordBackShortcut
    ${EndIf}
    ${If} $OldNotes == ""
      DeleteRegValue HKCU "${SETTINGS_KEY}" "Notes folder"
      DeleteRegKey /ifempty HKCU "${SETTINGS_KEY}"
    ${Else}
      WriteRegStr HKCU "${SETTINGS_KEY}" "Notes folder" $OldNotes
    ${EndIf}
  ${EndIf}
  ; No folder can go while it is the setup's current folder.
  SetOutPath $TEMP
  ${If} $FirstThere != ""
    StrCpy $R3 $INSTDIR
    StrCpy $R5 $FirstThere
    Call RemoveMadeFolders
  ${EndIf}
  ${If} $MadeNotes == 1
    StrCpy $R3 $Notes
    StrCpy $R5 $NotesThere
    Call RemoveMadeFolders
  ${EndIf}
  StrCpy $Left "Nothing was changed."
  ${If} ${Errors}
    StrCpy $Left "Not all that the setup did could be undone: look in $INSTDIR and in the Start menu, and run the setup again."
  ${EndIf}
FunctionEnd

!macro FailBack WHAT
  Call PutBack
  !insertmacro Fail "${WHAT}$\r$\n$\r$\n$Left"
!macroend

Section "Quorvin" SectionProgram
  ; The notes folder, checked again (in silent mode for the first time). A
  ; notes folder an earlier setup was given, on a drive that is not there
  ; now (a USB stick, a network drive), is kept as it is.
  StrCpy $R0 $Notes
  Call CheckFolder
  ${If} $R1 != ""
    ${If} $R2 != 1
    ${OrIf} $NotesGiven == 1
    ${OrIf} $Installed == ""
      !insertmacro Fail "$R1$\r$\n$\r$\nChoose another folder for your notes and run the setup again."
    ${EndIf}
    StrCpy $KeepNotes 1
  ${EndIf}
  StrCpy $Notes $R0
  Call WaitUntilQuorvinCloses

  ; Before anything changes: each name the setup writes is free, or holds
  ; what it recorded making. The desktop's Today's note follows the notes
  ; folder only if the setup made it.
  !insertmacro EachFile MustBeOwn
  !insertmacro ShortcutMustBeOwn "${SHORTCUT}" $OwnToday
  !insertmacro ShortcutMustBeOwn "${PREVIOUS}" $OwnPrevious
  StrCpy $R0 "$DESKTOP\${SHORTCUT}"
  Call Identify
  ${If} $R1 != ""
  ${AndIf} $R1 == $OwnDesktop
    StrCpy $MadeDesktop 1
  ${EndIf}
  ; The shell expands %NAME% in a shortcut's "Start in", but not in its
  ; arguments: the notes folder is "Start in" (which need not be reachable
  ; now) unless it holds a %, and then the program's folder is.
  StrCpy $StartIn $Notes
  ClearErrors
  ${WordFind} $Notes "%" "E#" $R8  ; an error: no %
  ${IfNotThen} ${Errors} ${|} StrCpy $StartIn $INSTDIR ${|}

  ${IfThen} ${FileExists} "$INSTDIR\${PROGRAM}" ${|} StrCpy $Upgrade 1 ${|}
  StrCpy $R3 $INSTDIR
  Call NearestThere
  StrCpy $FirstThere $R3
  ClearErrors
  SetOutPath $INSTDIR
  ${IfNot} ${Errors}
    !insertmacro EachFile Tidy
    ; In silent mode File goes on past a file it cannot write, with the
    ; error flag set.
    File "/oname=${PROGRAM}.new" "${STAGED}\${PROGRAM}"
    File "/oname=README.txt.new" "${STAGED}\README.txt"
    File "/oname=LICENSE.txt.new" "${STAGED}\LICENSE.txt"
    CopyFiles /SILENT "$EXEPATH" "$INSTDIR\${UNINSTALLER}.new"
  ${EndIf}
  ${If} ${Errors}
    !insertmacro FailBack "Quorvin could not be written to$\r$\n$INSTDIR."
  ${EndIf}
  ; SHCreateDirectoryEx makes the missing folders of the path. A drive's
  ; root is there even when it is empty.
  ${If} $KeepNotes != 1
    StrCpy $R3 $Notes
    Call NearestThere
    StrCpy $NotesThere $R3
    ${If} $NotesThere != $Notes
      System::Call 'shell32::SHCreateDirectoryExW(p 0, w "$Notes", p 0) i .r0'
      ${If} $0 <> 0
        StrCpy $R0 $Notes
        StrCpy $R7 48
        Call BreakLines
        !insertmacro FailBack "The notes folder$\r$\n$R9$\r$\ncannot be made. Choose another folder and run the setup again."
      ${EndIf}
      StrCpy $MadeNotes 1
    ${EndIf}
  ${EndIf}
  !insertmacro EachFile Replace
  ${If} ${Errors}
    !insertmacro FailBack "Quorvin could not be installed in$\r$\n$INSTDIR."
  ${EndIf}

  ; Installed: now the shortcuts, the settings and "Apps & features".
  StrCpy $R2 $SMPROGRAMS
  StrCpy $R1 ""
  Call WriteShortcut
  StrCpy $NewToday $R3
  StrCpy $R1 "--previous "
  Call WriteShortcut
  StrCpy $NewPrevious $R3
  ${If} $MadeDesktop == 1
    StrCpy $R2 $DESKTOP
    StrCpy $R1 ""
    Call WriteShortcut
    StrCpy $NewDesktop $R3
  ${EndIf}
  ${If} ${Errors}
    !insertmacro FailBack "Quorvin's shortcuts could not be made in$\r$\n$SMPROGRAMS."
  ${EndIf}
  !insertmacro EachShortcut PlaceShortcut
  StrCpy $KeysWritten 1
  WriteRegStr HKCU "${SETTINGS_KEY}" "Notes folder" $Notes
  WriteRegStr HKCU "${UNINSTALL_KEY}" DisplayName "Quorvin"
  WriteRegStr HKCU "${UNINSTALL_KEY}" DisplayVersion "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" Publisher "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" DisplayIcon "$INSTDIR\${PROGRAM}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" InstallLocation "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" UninstallString '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" QuietUninstallString '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" NoModify 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" NoRepair 1
  !insertmacro EachFile Record
  !insertmacro EachShortcut RecordShortcut
  ; Every file, in KiB: those of the section, and the uninstaller.
  SectionGetSize ${SectionProgram} $1
  FileOpen $2 "$INSTDIR\${UNINSTALLER}" r
  FileSeek $2 0 END $3
  FileClose $2
  IntOp $3 $3 + 1023
  IntOp $3 $3 / 1024
  IntOp $1 $1 + $3
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" EstimatedSize $1
  ${If} ${Errors}
    !insertmacro FailBack "Quorvin's entry in Apps & features could not be made."
  ${EndIf}
  !insertmacro EachFile DropOld
  !insertmacro EachShortcut DropOldShortcut
  DeleteRegValue HKCU "${SETTINGS_KEY}" "${LEAVING}"
  StrCpy $R0 "$DESKTOP\${SHORTCUT}"
  Call Identify
  StrCpy $OwnDesktop $R1
  ${IfThen} $MadeDesktop != 1 ${|} StrCpy $OwnDesktop "" ${|}
  StrCpy $R0 $Notes
  StrCpy $R7 40  ; characters a line of the finish page's text
  Call BreakLines
  StrCpy $NotesShown $R9
SectionEnd

; Sets $R9 to the notes folder as Quorvin's argument, quoted as Windows
; splits a command line: a last backslash, as in D:\, is doubled, or the
; quote after it would be taken for part of the folder.
Function NotesArgument
  StrCpy $R9 $Notes "" -1
  ${If} $R9 == "\"
    StrCpy $R9 '"$Notes\"'
  ${Else}
    StrCpy $R9 '"$Notes"'
  ${EndIf}
FunctionEnd

; A shortcut that gives Quorvin the notes folder, written under a new name
; of its own in the folder $R2, which is left in $R3: "Today's note", which
; starts what "Open today's note now" does, or with $R1 "--previous "
; "Previous note". When it cannot be made, $R3 is "" or the error flag set.
Function WriteShortcut
  System::Call 'kernel32::GetTempFileNameW(w R2, w "qrv", i 0, w .R3) i .r9'
  ${If} $9 = 0
    StrCpy $R3 ""
    SetErrors
    Return
  ${EndIf}
  Call NotesArgument
  StrCpy $OUTDIR $StartIn
  ${If} $R1 == ""
    CreateShortcut "$R3" "$INSTDIR\${PROGRAM}" $R9 "$INSTDIR\${PROGRAM}" 0 \
      SW_SHOWNORMAL "" "Open today's note in $Notes"
  ${Else}
    CreateShortcut "$R3" "$INSTDIR\${PROGRAM}" "--previous $R9" \
      "$INSTDIR\${PROGRAM}" 0 SW_SHOWNORMAL "" "Open the last note before today's in $Notes"
  ${EndIf}
FunctionEnd

; Asked for on the finish page: a Today's note on the desktop, unless one
; the setup did not make is there, which stays as it is.
Function DesktopShortcut
  StrCpy $R0 "$DESKTOP\${SHORTCUT}"
  Call Identify
  ${If} $R1 != ""
  ${AndIf} $R1 != $OwnDesktop
    StrCpy $R9 "The desktop holds a Today's note shortcut that Quorvin did not make. It is left as it is, and Quorvin made none."
    !insertmacro Say 0x40  ; MB_ICONINFORMATION
    Return
  ${EndIf}
  ClearErrors
  StrCpy $R2 $DESKTOP
  StrCpy $R1 ""
  Call WriteShortcut
  ${If} $R3 != ""
    Delete "$DESKTOP\${SHORTCUT}"
    Rename $R3 "$DESKTOP\${SHORTCUT}"
  ${EndIf}
  ${If} ${Errors}
    ${IfThen} $R3 != "" ${|} Delete $R3 ${|}
    StrCpy $R9 "The desktop shortcut could not be made."
    !insertmacro Say 0x30
    Return
  ${EndIf}
  StrCpy $R0 "$DESKTOP\${SHORTCUT}"
  Call Identify
  WriteRegStr HKCU "${MADE_KEY}" "Desktop ${SHORTCUT}" $R1
FunctionEnd

; Exec starts a program in the setup's current folder, which SetOutPath sets.
Function OpenTodaysNote
  SetOutPath $Notes
  Call NotesArgument
  Exec '"$INSTDIR\${PROGRAM}" $R9'
FunctionEnd

; The text gets the room down to the ticks, which go to the foot of the
; page, and the folder comes in lines that fit it: any length fits.
!macro Place CONTROL LEFT TOP WIDTH HEIGHT
  System::Call '*(i ${LEFT}, i ${TOP}, i ${WIDTH}, i ${HEIGHT}) p .r0'
  System::Call 'user32::MapDialogRect(p $mui.FinishPage, p r0)'
  System::Call '*$0(i .r1, i .r2, i .r3, i .r4)'
  System::Free $0
  System::Call 'user32::SetWindowPos(p ${CONTROL}, p 0, i r1, i r2, i r3, i r4, i 0x14)'
!macroend
Function FinishPageShow
  !insertmacro Place $mui.FinishPage.Text 120 45 195 108
  !insertmacro Place $mui.FinishPage.Run 120 158 195 10
  !insertmacro Place $mui.FinishPage.ShowReadme 120 175 195 10
FunctionEnd

Function SkipWhenRemoving
  ${IfThen} $EXEFILE == "${UNINSTALLER}" ${|} Abort ${|}
FunctionEnd

!include "${__FILEDIR__}\uninstall.nsh"
