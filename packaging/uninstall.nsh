; The setup's other part: run as Uninstall.exe, the copy of itself it puts
; in the program's folder, it removes Quorvin. It is no uninstaller made by
; WriteUninstaller (which copies itself to the temporary folder, starts the
; copy and returns at once): whoever runs it, "Apps & features" or a
; script, gets its exit status when the removal is done. 0 when Quorvin is
; removed; non-zero, with nothing removed, while Quorvin runs, or when it
; is not run from the folder Quorvin is installed in (a copy in Downloads
; removes nothing there). Only what the setup recorded making goes: each
; file and shortcut only if it is the one recorded, never another of the
; same name, nor a note or the notes folder, which may be anywhere, even
; inside the program's folder.
;
; A running program cannot delete its own file: once everything else is
; gone, a copy of it in a temporary folder waits for it to end, then
; deletes Uninstall.exe, if it is still the file the uninstaller ran from,
; and the program's folder if that is then empty. The system's command
; processor runs that copy, and deletes it after.

!macro RemoveOwn PATH OWN
  StrCpy $R0 "${PATH}"
  StrCpy $R1 ${OWN}
  Call DeleteOwn
  ${If} $R2 == failed
    StrCpy $Left "$Left$\r$\n${PATH}"
  ${EndIf}
!macroend

Section /o "-Remove" SectionRemove
  ; Nothing goes while Quorvin runs.
  Call WaitUntilQuorvinCloses
  StrCpy $R0 "$INSTDIR\${PROGRAM}"
  StrCpy $R1 $OwnProgram
  Call DeleteOwn
  ${If} $R2 == failed
    !insertmacro Fail "Quorvin.exe could not be removed from $INSTDIR. Nothing was changed."
  ${EndIf}
  !insertmacro RemoveOwn "$SMPROGRAMS\${SHORTCUT}" $OwnToday
  !insertmacro RemoveOwn "$SMPROGRAMS\${PREVIOUS}" $OwnPrevious
  !insertmacro RemoveOwn "$DESKTOP\${SHORTCUT}" $OwnDesktop
  !insertmacro RemoveOwn "$INSTDIR\README.txt" $OwnReadme
  !insertmacro RemoveOwn "$INSTDIR\LICENSE.txt" $OwnLicence
  ${If} $Left != ""
    StrCpy $R9 $Left
    StrCpy $Left "Quorvin.exe is removed; run the uninstaller again for the rest."
    !insertmacro Fail "Quorvin could not be removed completely. These are left:$R9"
  ${EndIf}
  StrCpy $R0 $EXEPATH
  Call Identify
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  DeleteRegKey HKCU "${SETTINGS_KEY}"
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" InstallLocation
  ${If} $0 != ""
    StrCpy $Left "Quorvin.exe is removed; run the uninstaller again for the rest."
    !insertmacro Fail "Quorvin's entry in Apps & features could not be removed."
  ${EndIf}
  WriteRegStr HKCU "${SETTINGS_KEY}" "${LEAVING}" $R1

  ; The copy that removes this file and its folder, in a temporary folder of
  ; its own: the command processor's command line names only that folder,
  ; and the copy learns the program's folder and this file's identity from
  ; its environment.
  GetTempFileName $0
  Delete $0
  CreateDirectory $0
  CopyFiles /SILENT "$EXEPATH" "$0\${UNINSTALLER}"
  ${GetFileName} $0 $1
  System::Call 'kernel32::SetEnvironmentVariableW(w "QUORVIN_UNINSTALLED", w "$INSTDIR")'
  System::Call 'kernel32::SetEnvironmentVariableW(w "QUORVIN_UNINSTALLER", w R1)'
  StrCpy $OUTDIR $TEMP
  ExecShell "" "$SYSDIR\cmd.exe" '/d /c start "" /wait "$1\${UNINSTALLER}" /S /AFTER & del "$1\${UNINSTALLER}" & rd "$1"' SW_HIDE
SectionEnd

; Run as Uninstall.exe: the copy's part (/AFTER), or the removal, only from
; the folder Quorvin is installed in, whatever path led there, and asked
; for unless silent.
Function RemovalInit
  StrCpy $Caption "Remove Quorvin"
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/AFTER" $1
  ${IfNot} ${Errors}
    Call RemoveAfterExit
    Quit
  ${EndIf}
  !insertmacro OneAtATime
  StrCpy $Doing "Removing Quorvin"
  StrCpy $Kept "Your notes and their folder are kept."
  StrCpy $Done "Quorvin is removed"
  StrCpy $Failed "Quorvin was not removed"
  SectionSetFlags ${SectionProgram} 0
  SectionSetFlags ${SectionRemove} ${SF_SELECTED}
  StrCpy $INSTDIR $EXEDIR
  ReadRegStr $R0 HKCU "${UNINSTALL_KEY}" InstallLocation
  ${If} $R0 == ""
    !insertmacro Refuse "Quorvin is not installed, so this uninstaller removes nothing."
  ${EndIf}
  Call IdentifyFolder
  StrCpy $2 $FolderId
  StrCpy $R0 $EXEDIR
  Call IdentifyFolder
  ${If} $2 == ""
  ${OrIf} $2 != $FolderId
    StrCpy $R7 48  ; characters a line, as in Quorvin's own messages
    Call BreakLines
    !insertmacro Refuse "This uninstaller is not in the folder Quorvin is installed in, so it removes nothing:$\r$\n$\r$\n$R9$\r$\n$\r$\nRemove Quorvin in Apps & features."
  ${EndIf}
  !insertmacro EachFile ReadOwn
  !insertmacro EachShortcut ReadOwnShortcut
  StrCpy $R9 "Remove Quorvin? Your notes and their folder are kept."
  !insertmacro Say 0x21  ; MB_OKCANCEL|MB_ICONQUESTION
  ${If} $R9 = 2  ; IDCANCEL
    SetErrorLevel 1
    Quit
  ${EndIf}
FunctionEnd

; The copy's part: as soon as the uninstaller's file can be deleted, its
; program has ended. Only that file goes, judged by identity: a setup run
; meanwhile may have put its own Uninstall.exe there, which stays, and so
; does the program's folder then.
Function RemoveAfterExit
  ReadEnvStr $0 QUORVIN_UNINSTALLED
  ReadEnvStr $R1 QUORVIN_UNINSTALLER
  ${IfThen} $0 == "" ${|} Return ${|}
  StrCpy $R0 "$0\${UNINSTALLER}"
  ${For} $1 1 600
    Call DeleteOwn
    ${IfThen} $R2 != failed ${|} ${Break} ${|}
    Sleep 100
  ${Next}
  ${IfThen} $R2 == deleted ${|} RMDir $0 ${|}
  ReadRegStr $2 HKCU "${SETTINGS_KEY}" "${LEAVING}"
  ${If} $2 == $R1
    DeleteRegValue HKCU "${SETTINGS_KEY}" "${LEAVING}"
    DeleteRegKey /ifempty HKCU "${SETTINGS_KEY}"
  ${EndIf}
FunctionEnd
