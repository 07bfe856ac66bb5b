; The setup's other part: run as Uninstall.exe, the copy of itself it puts
; in the program's folder, it removes Quorvin. It is no uninstaller made by
; WriteUninstaller (which copies itself to the temporary folder, starts the
; copy and returns at once): whoever runs it, "Apps & features" or a
; script, gets its exit status when the removal is done. 0 when Quorvin is
; removed; non-zero, with nothing removed, while Quorvin runs, or when it
; is not run from the folder Quorvin is installed in (a copy in Downloads
; removes nothing there). Only what the setup made goes, by name: never a
; note or the notes folder, which may be anywhere, even inside the
; program's folder.
;
; A running program cannot delete its own file: once everything else is
; gone, a copy of it in a temporary folder waits for it to end, then
; deletes Uninstall.exe, and the program's folder if that is then empty.
; The system's command processor runs that copy, and deletes it after.

Section /o "-Remove" SectionRemove
  ; Nothing goes while Quorvin runs.
  Call WaitUntilQuorvinCloses
  ClearErrors
  Delete "$INSTDIR\${PROGRAM}"
  ${If} ${Errors}
    !insertmacro Fail "Quorvin.exe could not be removed from $INSTDIR. Nothing was changed."
  ${EndIf}
  Delete "$SMPROGRAMS\${SHORTCUT}"
  Delete "$SMPROGRAMS\${PREVIOUS}"
  Delete "$DESKTOP\${SHORTCUT}"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE.txt"
  ${If} ${Errors}
    !insertmacro Fail "Quorvin could not be removed completely from $INSTDIR."
  ${EndIf}
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  DeleteRegKey HKCU "${SETTINGS_KEY}"
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" InstallLocation
  ${If} $0 != ""
    !insertmacro Fail "Quorvin's entry in Apps & features could not be removed."
  ${EndIf}

  ; The copy that removes this file and its folder, in a temporary folder of
  ; its own: the command processor's command line names only that folder,
  ; and the copy learns the program's folder from its environment.
  GetTempFileName $0
  Delete $0
  CreateDirectory $0
  CopyFiles /SILENT "$EXEPATH" "$0\${UNINSTALLER}"
  ${GetFileName} $0 $1
  System::Call 'kernel32::SetEnvironmentVariableW(w "QUORVIN_UNINSTALLED", w "$INSTDIR")'
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
  StrCpy $Doing "Removing Quorvin"
  StrCpy $Kept "Your notes and their folder are kept."
  StrCpy $Done "Quorvin is removed"
  StrCpy $Failed "Quorvin was not removed"
  SectionSetFlags ${SectionProgram} 0
  SectionSetFlags ${SectionRemove} ${SF_SELECTED}
  StrCpy $INSTDIR $EXEDIR
  ReadRegStr $R0 HKCU "${UNINSTALL_KEY}" InstallLocation
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
  ${IfNot} ${Silent}
    StrCpy $R9 "Remove Quorvin? Your notes and their folder are kept."
    System::Call 'user32::MessageBoxW(p 0, w R9, w "$Caption", i 0x21) i .r0'  ; MB_OKCANCEL|MB_ICONQUESTION
    ${If} $0 <> 1  ; IDOK
      SetErrorLevel 1
      Quit
    ${EndIf}
  ${EndIf}
FunctionEnd

; The copy's part: as soon as the uninstaller's file can be deleted, its
; program has ended; then the program's folder goes, if nothing is left in it.
Function RemoveAfterExit
  ReadEnvStr $0 QUORVIN_UNINSTALLED
  ${IfThen} $0 == "" ${|} Return ${|}
  ${For} $1 1 600
    ClearErrors
    Delete "$0\${UNINSTALLER}"
    ${IfNot} ${Errors}
    ${AndIfNot} ${FileExists} "$0\${UNINSTALLER}"
      ${Break}
    ${EndIf}
    Sleep 100
  ${Next}
  RMDir $0
FunctionEnd
