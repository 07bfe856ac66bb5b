; Quorvin's setup for Windows. It installs for the user who runs it, without
; administrator rights, asks only where the notes are kept, and puts a
; "Today's note" shortcut in the Start menu whose "Start in" is that folder:
; Quorvin makes its notes in the folder it is started in. The uninstaller
; removes what the setup made and never a note or the notes folder.
;
; Built by the package target, which defines VERSION (the project's version,
; four numbers), PUBLISHER, COPYRIGHT, ICON, STAGED (the folder holding the
; files of the zip) and OUTFILE.
;
; For scripts and administrators:
;   quorvin-VERSION-setup.exe /S [/NOTES=folder]
; installs without a question, into the folder that an earlier setup was
; given, else into Documents\Notes; the exit status is 0 only when it worked.

Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!include MUI2.nsh
!include LogicLib.nsh

!define PROGRAM "Quorvin.exe"
!define SHORTCUT "Today's note.lnk"
!define SETTINGS_KEY "Software\Quorvin"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quorvin"

Name "Quorvin"
OutFile "${OUTFILE}"
BrandingText "Quorvin ${VERSION}"
; No InstallDir: the program's folder is fixed (see .onInit), and without one
; the folder page does not append "Quorvin" to a notes folder picked with
; Browse.
AllowRootDirInstall true
ShowInstDetails nevershow
ShowUninstDetails nevershow

Var Notes

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"

!define MUI_PAGE_HEADER_TEXT "Notes folder"
!define MUI_PAGE_HEADER_SUBTEXT "Choose where Quorvin keeps your notes."
!define MUI_DIRECTORYPAGE_TEXT_TOP "Quorvin keeps one plain-text note per day, named from the date (for example 2026_12_07.txt). The Today's note shortcut opens today's note in the folder below, and makes the note if it is not there yet.$\r$\n$\r$\nThe folder is made if it does not exist. To keep your notes somewhere else, click Browse and choose another folder. Click Install to start."
!define MUI_DIRECTORYPAGE_TEXT_DESTINATION "Notes folder"
!define MUI_DIRECTORYPAGE_VARIABLE $Notes
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TITLE "Quorvin is installed"
!define MUI_FINISHPAGE_TEXT "Click Today's note in the Start menu to open today's note in $Notes.$\r$\n$\r$\nTo remove Quorvin, use Apps && features; your notes stay where they are."
!define MUI_FINISHPAGE_SHOWREADME
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Put a Today's note shortcut on the desktop too"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!define MUI_FINISHPAGE_SHOWREADME_FUNCTION DesktopShortcut
!insertmacro MUI_PAGE_FINISH

!define MUI_UNCONFIRMPAGE_TEXT_TOP "Quorvin will be removed from the folder below. Your notes and their folder are kept. Click Uninstall to start."
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE English

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} ProductName "Quorvin"
VIAddVersionKey /LANG=${LANG_ENGLISH} ProductVersion "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} CompanyName "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} FileDescription "Quorvin setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} FileVersion "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} LegalCopyright "${COPYRIGHT}"

; The folder a setup run before chose is kept, so that running a newer setup
; over an installed one changes the program and nothing else. $DOCUMENTS is
; the user's own Documents folder, wherever it has been moved.
Function .onInit
  SetShellVarContext current
  StrCpy $INSTDIR "$LOCALAPPDATA\Programs\Quorvin"
  ReadRegStr $Notes HKCU "${SETTINGS_KEY}" "Notes folder"
  ${If} $Notes == ""
    StrCpy $Notes "$DOCUMENTS\Notes"
  ${EndIf}
  ; /NOTES=folder, the command line split as every Windows program splits
  ; it, so that the option, or the folder, may be quoted.
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
    ${EndIf}
  ${Next}
  System::Call 'kernel32::LocalFree(p r1)'
FunctionEnd

; In silent mode a message box takes its /SD answer, so every failure ends
; the setup with a non-zero exit status (Abort gives 2).
!macro Fail WHAT
  MessageBox MB_ICONSTOP|MB_OK "${WHAT}" /SD IDOK
  Abort "${WHAT}"
!macroend

Section "Quorvin" SectionProgram
  ; A relative folder given with /NOTES= is taken from the current folder,
  ; and the shortcut gets it whole. Windows makes no folder of 248
  ; characters or more for a setup, and a /NOTES= longer than NSIS strings
  ; hold comes here cut short: another folder than the one asked for.
  StrCpy $R0 $Notes
  System::Call 'kernel32::GetFullPathNameW(w R0, i ${NSIS_MAX_STRLEN}, w .R1, p 0) i .R2'
  ${If} $Notes == ""
    !insertmacro Fail "No notes folder was given. Choose a folder and run the setup again."
  ${ElseIf} $R2 == 0
  ${OrIf} $R2 >= 248
    !insertmacro Fail "The notes folder $Notes cannot be used: its name is too long or not valid. Choose another folder and run the setup again."
  ${EndIf}
  ; The Windows folder is where Windows starts a program whose "Start in"
  ; it cannot use: Quorvin keeps no notes there.
  StrLen $R3 $WINDIR
  StrCpy $R4 $R1 $R3
  StrCpy $R5 $R1 1 $R3
  ${If} $R4 == $WINDIR
    ${If} $R5 == ""
    ${OrIf} $R5 == "\"
      !insertmacro Fail "Notes cannot be kept in the Windows folder $WINDIR. Choose another folder and run the setup again."
    ${EndIf}
  ${EndIf}
  ; SHCreateDirectoryEx makes the missing folders of the path and, unlike
  ; CreateDirectory, refuses a name with characters Windows does not allow
  ; rather than make one without them.
  System::Call 'shell32::SHCreateDirectoryExW(p 0, w R1, p 0) i .R3'
  ${IfNot} ${FileExists} "$R1\*"
    !insertmacro Fail "The notes folder $R1 cannot be made. Choose another folder and run the setup again."
  ${EndIf}
  StrCpy $Notes $R1

  ClearErrors
  SetOutPath $INSTDIR
  File "${STAGED}/${PROGRAM}"
  File "${STAGED}/README.txt"
  File "${STAGED}/LICENSE.txt"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  ; A shortcut's "Start in" is the output folder at the time it is made.
  SetOutPath $Notes
  CreateShortcut "$SMPROGRAMS\${SHORTCUT}" "$INSTDIR\${PROGRAM}" "" "$INSTDIR\${PROGRAM}" 0 \
    SW_SHOWNORMAL "" "Open today's note in $Notes"
  ; A desktop shortcut of an earlier setup follows a notes folder that moved.
  ${If} ${FileExists} "$DESKTOP\${SHORTCUT}"
    Call DesktopShortcut
  ${EndIf}
  WriteRegStr HKCU "${SETTINGS_KEY}" "Notes folder" $Notes

  ; What "Apps & features" shows and runs.
  WriteRegStr HKCU "${UNINSTALL_KEY}" DisplayName "Quorvin"
  WriteRegStr HKCU "${UNINSTALL_KEY}" DisplayVersion "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" Publisher "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" DisplayIcon "$INSTDIR\${PROGRAM}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" InstallLocation "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" UninstallString '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" QuietUninstallString '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" NoModify 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" NoRepair 1
  SectionGetSize ${SectionProgram} $1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" EstimatedSize $1
  ; A file that could not be written (in silent mode File ignores it) or a
  ; key that could not be set leaves the error flag.
  ${If} ${Errors}
    !insertmacro Fail "Quorvin could not be installed completely in $INSTDIR. Close Quorvin if it is running and run the setup again."
  ${EndIf}
SectionEnd

Function DesktopShortcut
  SetOutPath $Notes
  CreateShortcut "$DESKTOP\${SHORTCUT}" "$INSTDIR\${PROGRAM}" "" "$INSTDIR\${PROGRAM}" 0 \
    SW_SHOWNORMAL "" "Open today's note in $Notes"
FunctionEnd

Function un.onInit
  SetShellVarContext current
FunctionEnd

; Only what the setup made, by name: the notes folder may be anywhere, even
; inside the program's folder, and RMDir without /r leaves a folder that
; still holds anything.
Section Uninstall
  ; A running Quorvin cannot be deleted: stop before anything is removed,
  ; rather than leave the program without its entry in "Apps & features".
  ClearErrors
  Delete "$INSTDIR\${PROGRAM}"
  ${If} ${Errors}
    !insertmacro Fail "Quorvin is running. Close it and remove Quorvin again."
  ${EndIf}
  Delete "$SMPROGRAMS\${SHORTCUT}"
  Delete "$DESKTOP\${SHORTCUT}"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir $INSTDIR
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  DeleteRegKey HKCU "${SETTINGS_KEY}"
SectionEnd
