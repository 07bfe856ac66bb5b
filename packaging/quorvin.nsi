; Quorvin's setup for Windows. It installs for the user who runs it, without
; administrator rights, asks only where the notes are kept, and puts a
; "Today's note" and a "Previous note" shortcut in the Start menu that give
; Quorvin that folder.
;
; An install or an update either completes or leaves what was there as it
; was: the files are written first, under names of their own, and replace
; the old ones only once all are written; the shortcuts and the keys of
; "Apps & features" come last.
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
!define MUI_INSTFILESPAGE_ABORTHEADER_SUBTEXT "Nothing was changed."
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

; A failure: said (in silent mode a message box takes its /SD answer, so
; only the exit status tells) and the run ends with exit status 2.
!macro Fail WHAT
  MessageBox MB_ICONSTOP|MB_OK "${WHAT}" /SD IDOK
  Abort "${WHAT}"
!macroend

; A refusal before anything is done: said, and the run ends with exit status
; 2. In .onInit NSIS's own message box would have no title yet.
!macro Refuse WHAT
  ${IfNot} ${Silent}
    StrCpy $R9 "${WHAT}"
    System::Call 'user32::MessageBoxW(p 0, w R9, w "$Caption", i 0x10)'  ; MB_ICONSTOP
  ${EndIf}
  SetErrorLevel 2
  Quit
!macroend

; The identity of the folder $R0, the same whatever path leads to it: the
; volume's serial number and the folder's index there, as "serial high low";
; empty if it cannot be opened. Its path as the system resolves it (every
; alias, short name and link followed, \\?\C:\a) in $R8.
Var FolderId
Function IdentifyFolder
  StrCpy $FolderId ""
  StrCpy $R8 ""
  System::Call 'kernel32::CreateFileW(w R0, i 0x80, i 7, p 0, i 3, i 0x02000000, p 0) p .r9'
  ${If} $9 P<> -1
    System::Call '*(&i52) p .r8'
    System::Call 'kernel32::GetFileInformationByHandle(p r9, p r8) i .r7'
    ${If} $7 <> 0
      ; BY_HANDLE_FILE_INFORMATION: the serial number at 28, the index at 44 (high) and 48 (low).
      System::Call '*$8(&i28, i .r5, &i12, i .r6, i .r7)'
      StrCpy $FolderId "$5 $6 $7"
    ${EndIf}
    System::Free $8
    System::Call 'kernel32::GetFinalPathNameByHandleW(p r9, w .R8, i ${NSIS_MAX_STRLEN}, i 0)'
    System::Call 'kernel32::CloseHandle(p r9)'
  ${EndIf}
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
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Quorvin is running. Close it and click Retry." \
      /SD IDCANCEL IDRETRY +2
    Abort "Quorvin is running."
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
    ${IfThen} $3 == '"' ${|} StrCpy $R0 $R0 -1 ${|}
    Call CheckFolder
    ClearErrors
    ${WordFind} $R0 "%" "E#" $R8  ; the shell would expand %NAME% in the shortcuts' program
    ${IfNotThen} ${Errors} ${|} StrCpy $R1 "$R0 holds a %, which Windows would take for a %NAME% to expand." ${|}
    ${If} $R1 != ""
      !insertmacro Refuse "Quorvin cannot be installed in the folder given with /D=.$\r$\n$\r$\n$R1"
    ${EndIf}
    StrCpy $INSTDIR $R0
    ${If} $1 != ""
    ${AndIf} $1 != $INSTDIR
      !insertmacro Refuse "Quorvin is installed in $1. To install it in $INSTDIR, remove it first."
    ${EndIf}
  ${ElseIf} $1 != ""
    StrCpy $INSTDIR $1
  ${Else}
    StrCpy $INSTDIR "$LOCALAPPDATA\Programs\Quorvin"
  ${EndIf}

  ReadRegStr $Notes HKCU "${SETTINGS_KEY}" "Notes folder"
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
    MessageBox MB_ICONEXCLAMATION|MB_OK "$R1$\r$\n$\r$\nChoose another folder for your notes."
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

; Whether the folder $R0 can be used, before anything is made: $R1 says why
; not, or is empty; then $R0 is the folder in full. $R2 is 1 when its drive
; or network share cannot be reached.
Function CheckFolder
  StrCpy $R1 ""
  StrCpy $R2 ""
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

; The files, each written first beside the one it replaces as NAME.new,
; then put in its place, the one it replaces kept as NAME.old until all are.
!macro EachFile STEP
  !insertmacro ${STEP} ${PROGRAM}
  !insertmacro ${STEP} ${UNINSTALLER}
  !insertmacro ${STEP} README.txt
  !insertmacro ${STEP} LICENSE.txt
!macroend
!macro Tidy NAME  ; what an earlier setup that was stopped left
  Delete "$INSTDIR\${NAME}.new"
  ${IfThen} ${FileExists} "$INSTDIR\${NAME}" ${|} Delete "$INSTDIR\${NAME}.old" ${|}
!macroend
!macro Replace NAME
  ${IfThen} ${FileExists} "$INSTDIR\${NAME}" ${|} Rename "$INSTDIR\${NAME}" "$INSTDIR\${NAME}.old" ${|}
  Rename "$INSTDIR\${NAME}.new" "$INSTDIR\${NAME}"
!macroend
!macro PutBack NAME
  Delete "$INSTDIR\${NAME}.new"
  ${If} ${FileExists} "$INSTDIR\${NAME}.old"
    Delete "$INSTDIR\${NAME}"
    Rename "$INSTDIR\${NAME}.old" "$INSTDIR\${NAME}"
  ${ElseIf} $Upgrade != 1
    Delete "$INSTDIR\${NAME}"
  ${EndIf}
!macroend
!macro DropOld NAME
  Delete "$INSTDIR\${NAME}.old"
!macroend

; What was there before, as it was: the files, the program's folder if this
; setup made it, the notes folder if it did.
Function PutBack
  !insertmacro EachFile PutBack
  ${IfThen} $Upgrade != 1 ${|} RMDir $INSTDIR ${|}
  ${IfThen} $MadeNotes == 1 ${|} RMDir $Notes ${|}
FunctionEnd

!macro FailBack WHAT
  Call PutBack
  !insertmacro Fail "${WHAT}"
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

  ${IfThen} ${FileExists} "$INSTDIR\${PROGRAM}" ${|} StrCpy $Upgrade 1 ${|}
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
    !insertmacro FailBack "Quorvin could not be written to$\r$\n$INSTDIR.$\r$\n$\r$\nNothing was changed."
  ${EndIf}
  ; SHCreateDirectoryEx makes the missing folders of the path.
  ${If} $KeepNotes != 1
  ${AndIfNot} ${FileExists} "$Notes\*"
    System::Call 'shell32::SHCreateDirectoryExW(p 0, w "$Notes", p 0) i .r0'
    ${If} $0 <> 0
      StrCpy $R0 $Notes
      StrCpy $R7 48
      Call BreakLines
      !insertmacro FailBack "The notes folder$\r$\n$R9$\r$\ncannot be made. Choose another folder and run the setup again."
    ${EndIf}
    StrCpy $MadeNotes 1
  ${EndIf}
  !insertmacro EachFile Replace
  ${If} ${Errors}
    !insertmacro FailBack "Quorvin could not be installed in$\r$\n$INSTDIR.$\r$\n$\r$\nNothing was changed."
  ${EndIf}
  !insertmacro EachFile DropOld

  ; Installed: now the shortcuts (a desktop one of an earlier setup follows
  ; a notes folder that moved), the settings and "Apps & features".
  StrCpy $0 $SMPROGRAMS
  Call WriteShortcuts
  ${If} ${FileExists} "$DESKTOP\${SHORTCUT}"
    Call DesktopShortcut
  ${EndIf}
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
    !insertmacro Fail "Quorvin is installed in $INSTDIR, but its shortcut or its entry in Apps & features could not be made. Run the setup again."
  ${EndIf}
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

; The program's shortcuts in the folder $0 (the Start menu's or the
; desktop): "Today's note", which starts what "Open today's note now" does,
; and in the Start menu "Previous note". They give Quorvin the notes folder as its argument. The
; shell expands %NAME% in a shortcut's "Start in", but not in its
; arguments: the notes folder is "Start in" (which need not be reachable
; now) unless it holds a %, and then the program's folder is.
Function WriteShortcuts
  Call NotesArgument
  StrCpy $OUTDIR $Notes
  ClearErrors
  ${WordFind} $Notes "%" "E#" $R8  ; an error: no %
  ${IfNot} ${Errors}
    StrCpy $OUTDIR $INSTDIR
  ${EndIf}
  CreateShortcut "$0\${SHORTCUT}" "$INSTDIR\${PROGRAM}" $R9 "$INSTDIR\${PROGRAM}" 0 \
    SW_SHOWNORMAL "" "Open today's note in $Notes"
  ${If} $0 == $SMPROGRAMS
    CreateShortcut "$0\${PREVIOUS}" "$INSTDIR\${PROGRAM}" "--previous $R9" \
      "$INSTDIR\${PROGRAM}" 0 SW_SHOWNORMAL "" "Open the last note before today's in $Notes"
  ${EndIf}
FunctionEnd

Function DesktopShortcut
  StrCpy $0 $DESKTOP
  Call WriteShortcuts
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
