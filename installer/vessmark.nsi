; The Vessmark installer: a per-user install that needs no administrator
; rights, into a folder the user may write (the settings file is saved beside
; the programs). make_release.cmake builds it:
;
;   makensis -INPUTCHARSET UTF8 -DVERSION=x.y.z -DSTAGE=dir -DOUTFILE=setup.exe
;            -DICON=vessmark.ico -DSIZE_SCR=n -DSIZE_DLL=n -DSIZE_README=n
;            [-DSIGN=command] vessmark.nsi
;
; STAGE holds the files to install: Vessmark.scr, Vessmark.dll, README.txt;
; the SIZE_ values are their sizes in bytes, which every installed file must
; read back with. SIGN, when given, signs one program in place: the
; uninstaller before it is packed, the installer once it is made.
;
; Command line (besides NSIS's own /S and /D=folder, which must come last):
;   /SETSAVER   tick "use as my screen saver" (for silent installs)
; The installer adds two Start menu entries: make Vessmark the screen saver
; again, and its settings.
; A silent uninstall (Uninstall.exe /S) keeps the settings file. Run in place
; (Uninstall.exe /S _?=folder) it waits until it is done and ends with one of
; the exit codes below; its own file goes right after it has ended.
;
; Nothing is reported as done that was not: the installer writes the
; uninstall entry and the screen saver setting only once every file reads
; back as packed, and takes back what it wrote when a step fails; the
; uninstaller removes its entry only once nothing is left or what is still
; in use is arranged to go at the next sign-in.

Unicode true
; The programs are 64-bit only, and so is their installer: it then needs no
; 32-bit subsystem either (Wine without one runs it too).
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma

!ifndef VERSION | STAGE | OUTFILE | ICON | SIZE_SCR | SIZE_DLL | SIZE_README
  !error "define VERSION, STAGE, OUTFILE, ICON and the SIZE_ values (see the head of this file)"
!endif

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh
!include Sections.nsh

!define PRODUCT "Vessmark"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vessmark"
!define DESKTOP_KEY "Control Panel\Desktop"
!define SAVER_VALUE "SCRNSAVE.EXE"
; Kept in the uninstall entry: what SCRNSAVE.EXE held before this install
; made Vessmark the screen saver, so that uninstalling gives it back.
!define PREVIOUS_SAVER_VALUE "PreviousScreenSaver"
!define SETTINGS_FILE "Vessmark.ini"
; Per user, so no administrator is needed to run something at the next sign-in.
!define RUNONCE_KEY "Software\Microsoft\Windows\CurrentVersion\RunOnce"
; The name of the entry that removes a folder's leftovers at the next
; sign-in: this, the folder's short path, and ")".
!define RUNONCE_PREFIX "${PRODUCT} ("
; Windows' screen saver settings list a per-user saver only while it is the
; chosen one; entries here bring it back in one click, and open its settings.
!define START_MENU_FOLDER "$SMPROGRAMS\${PRODUCT}"
; Exit codes besides NSIS's own 0 (done) and 1 (cancelled by the user); the
; README lists them. 2: nothing was done, everything is as before. 3: the
; installer found Vessmark running from the folder and changed nothing; the
; uninstaller removed Vessmark, but programs still running go at the next sign-in.
!define EXIT_NOT_DONE 2
!define EXIT_IN_USE 3
; An earlier install's file is kept under this suffix until the new one
; reads back, so that a failure can put it back.
!define KEPT ".old"
; How the programs' windows are known: the settings dialog and the preview
; close on request (the dialog's close box saves nothing; the preview's
; program ends with its window); a show's windows do not, by design.
!define DIALOG_CAPTION "<Vessmark>"
!define PREVIEW_CAPTION "Preview Window"
!define RENDERER_CAPTION "VessmarkVC"
!define SHOW_CAPTION "Tavisk_Main"
!define PROCESS_QUERY_LIMITED_INFORMATION 0x1000

Var Failure      ; what went wrong, as the user is told it; empty while all goes well
Var FailureCode  ; the exit code that goes with it
Var Written      ; the files this install has written, one bit each (FOR_EACH_FILE)
Var CreatedFrom  ; the outermost folder this install created, or empty
Var OtherFolder  ; an installation registered in another folder, or empty
Var WasSaver     ; 1 when the screen saver setting names the copy being removed
Var Closable     ; settings dialogs and previews from the folder still open
Var Shows        ; windows of shows from the folder
Var Leftover     ; the programs the uninstaller could not remove, for its message
Var TakenBack    ; sign-in removals of the folder this install took back, kept on the stack

Name "${PRODUCT}"
OutFile "${OUTFILE}"
!ifdef SIGN
  !uninstfinalize '"${SIGN}" "%1"' = 0
  !finalize '"${SIGN}" "%1"' = 0
!endif
; Per user: Windows keeps such programs in the user's own Programs folder.
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
; A reinstall or an update goes where the last install went.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileDescription" "${PRODUCT} ${VERSION} Setup"
VIAddVersionKey /LANG=0 "CompanyName" "${PRODUCT}"
VIAddVersionKey /LANG=0 "LegalCopyright" "Copyright (C) 2026 the Vessmark developers"
VIAddVersionKey /LANG=0 "OriginalFilename" "${PRODUCT}-${VERSION}-setup.exe"

; --- pages ---------------------------------------------------------------------

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
; Every language on every system: the installer is Unicode.
!define MUI_LANGDLL_ALLLANGUAGES
!define MUI_LANGDLL_REGISTRY_ROOT HKCU
!define MUI_LANGDLL_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MUI_LANGDLL_REGISTRY_VALUENAME "Installer Language"

!define MUI_WELCOMEPAGE_TEXT "$(WelcomeText)"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE DirectoryLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

; English first: it is the language of systems that are not Japanese.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Japanese"
!include "texts_english.nsh"
!include "texts_japanese.nsh"

!insertmacro MUI_RESERVEFILE_LANGDLL

; --- helpers of both ---------------------------------------------------------------

; A step of the install runs only while the ones before it went well.
!macro STEP function
  ${If} $Failure == ""
    Call ${function}
  ${EndIf}
!macroend
!define Step "!insertmacro STEP"

; Each installed file with its bit in $Written and its size as packed.
!macro FOR_EACH_FILE action
  !insertmacro ${action} "Vessmark.scr" 1 ${SIZE_SCR}
  !insertmacro ${action} "Vessmark.dll" 2 ${SIZE_DLL}
  !insertmacro ${action} "README.txt" 4 ${SIZE_README}
!macroend
!define UNINSTALLER_BIT 8

!macro LIST_IF_THERE name
  ${If} ${FileExists} "$INSTDIR\${name}"
    ${If} $Leftover == ""
      StrCpy $Leftover "${name}"
    ${Else}
      StrCpy $Leftover "$Leftover, ${name}"
    ${EndIf}
  ${EndIf}
!macroend

!macro PLACE_FILE name bit size
  StrCpy $R0 "${name}"
  ${Step} KeepEarlier
  ${If} $Failure == ""
    ClearErrors
    File "${STAGE}/${name}"
    StrCpy $R1 ${size}
    StrCpy $R3 ${bit}
    Call CheckWritten
  ${EndIf}
!macroend

!macro UNDO_FILE name bit size
  StrCpy $R0 "${name}"
  StrCpy $R3 ${bit}
  Call UndoFile
!macroend

!macro DROP_KEPT name bit size
  Delete "$INSTDIR\${name}${KEPT}"
!macroend

!macro COUNT_TOP_LEVEL un caption closable
  StrCpy $R5 ${closable}
  StrCpy $R0 0
  ${Do}
    FindWindow $R0 "" "${caption}" 0 $R0
    ${IfThen} $R0 = 0 ${|} ${ExitDo} ${|}
    Call ${un}CountWindow
  ${Loop}
!macroend

!macro HELPERS un
; $R0, $R1: two folders. Sets $R2 to 1 when they are the same one, whatever
; the letter case or the short or long form of their names. Uses $R3, $R4.
Function ${un}SameFolder
  StrCpy $R2 0
  ; StrCmp, behind ==, ignores case, as Windows does with paths.
  ${If} $R0 == $R1
    StrCpy $R2 1
  ${Else}
    GetFullPathName /SHORT $R3 $R0
    GetFullPathName /SHORT $R4 $R1
    ${If} $R3 != ""
    ${AndIf} $R3 == $R4
      StrCpy $R2 1
    ${EndIf}
  ${EndIf}
FunctionEnd

; $1: a value of SCRNSAVE.EXE, $4: a folder. Sets $2 to 1 when it names
; Vessmark.scr in that folder, in the long or the short form, else to 0. Uses $3.
Function ${un}IsThisSaver
  StrCpy $2 0
  ${If} $1 != ""
    GetFullPathName $3 "$4\Vessmark.scr"
    ${If} $1 == $3
      StrCpy $2 1
    ${Else}
      ClearErrors
      GetFullPathName /SHORT $3 "$4\Vessmark.scr"
      ${IfNot} ${Errors}
      ${AndIf} $1 == $3
        StrCpy $2 1
      ${EndIf}
    ${EndIf}
  ${EndIf}
FunctionEnd

; $R0: a window; $R5: 1 when it closes on request. Counts it when its program
; runs from $INSTDIR: in $Closable (asking it to close, each time it is seen:
; a look through the windows can miss one while others come and go, and a
; program asked twice closes once) or in $Shows. Uses $R1 to $R4.
Function ${un}CountWindow
  System::Call 'user32::GetWindowThreadProcessId(p R0, *i .R1) i'
  System::Call 'kernel32::OpenProcess(i ${PROCESS_QUERY_LIMITED_INFORMATION}, i 0, i R1) p .R2'
  ${IfThen} $R2 P= 0 ${|} Return ${|}
  System::Call 'kernel32::QueryFullProcessImageNameW(p R2, i 0, w .R3, *i ${NSIS_MAX_STRLEN}) i .R4'
  System::Call 'kernel32::CloseHandle(p R2)'
  ${IfThen} $R4 = 0 ${|} Return ${|}
  ${GetParent} $R3 $R3
  GetFullPathName /SHORT $R3 $R3
  GetFullPathName /SHORT $R4 $INSTDIR
  ${If} $R3 == ""
  ${OrIf} $R3 != $R4
    Return
  ${EndIf}
  ${If} $R5 = 1
    IntOp $Closable $Closable + 1
    System::Call 'user32::PostMessageW(p R0, i ${WM_CLOSE}, p 0, p 0) i'
  ${Else}
    IntOp $Shows $Shows + 1
  ${EndIf}
FunctionEnd

; Counts the windows of Vessmark programs running from $INSTDIR (see
; CountWindow). Uses $R0 to $R8.
Function ${un}CountPrograms
  StrCpy $Closable 0
  StrCpy $Shows 0
  !insertmacro COUNT_TOP_LEVEL "${un}" "${DIALOG_CAPTION}" 1
  !insertmacro COUNT_TOP_LEVEL "${un}" "${RENDERER_CAPTION}" 0
  !insertmacro COUNT_TOP_LEVEL "${un}" "${SHOW_CAPTION}" 0
  ; A preview is a child of the display settings' pane, at whatever depth:
  ; every window is looked into, depth first ($R6 the parent, $R7 its child).
  StrCpy $R5 1
  StrCpy $R6 0
  StrCpy $R7 0
  Push "end"
  ${Do}
    FindWindow $R7 "" "" $R6 $R7
    ${If} $R7 = 0
      Pop $R7
      ${IfThen} $R7 == "end" ${|} ${ExitDo} ${|}
      Pop $R6
    ${Else}
      StrCpy $R0 0
      ${Do}
        FindWindow $R0 "" "${PREVIEW_CAPTION}" $R7 $R0
        ${IfThen} $R0 = 0 ${|} ${ExitDo} ${|}
        Call ${un}CountWindow
      ${Loop}
      Push $R6
      Push $R7
      StrCpy $R6 $R7
      StrCpy $R7 0
    ${EndIf}
  ${Loop}
FunctionEnd

; Closes the settings dialogs and previews of Vessmark running from $INSTDIR
; and waits up to 10 s for them to go. A show is left alone: it ignores
; requests from other programs, and only its user ends it. $Closable + $Shows
; is what still runs afterwards. Uses $R0 to $R9.
Function ${un}EndPrograms
  Call ${un}CountPrograms
  StrCpy $R9 0
  ${DoWhile} $Closable > 0
    ${IfThen} $R9 >= 100 ${|} ${ExitDo} ${|}
    Sleep 100
    IntOp $R9 $R9 + 1
    Call ${un}CountPrograms
  ${Loop}
FunctionEnd
!macroend
!insertmacro HELPERS ""
!insertmacro HELPERS "un."

; --- install -------------------------------------------------------------------

Section "!${PRODUCT}" SecPrograms
  SectionIn RO
  ; A file that cannot be written is reported below, in the installer's own
  ; words, rather than by NSIS's Abort/Retry/Ignore box (whose silent answer
  ; is to skip the file and carry on).
  SetOverwrite try
  StrCpy $Failure ""
  StrCpy $FailureCode ${EXIT_NOT_DONE}
  StrCpy $Written 0
  StrCpy $CreatedFrom ""
  StrCpy $TakenBack 0
  Call CheckInstallFolder
  ${Step} EndProgramsBeforeInstall
  ${Step} MakeInstallFolder
  ; The two programs only work side by side: the front end starts the
  ; renderer from its own folder.
  !insertmacro FOR_EACH_FILE PLACE_FILE
  ${Step} PlaceUninstaller
  ${Step} TakeBackRemovalAtSignIn
  ${Step} RemoveOtherCopy
  ${If} $Failure != ""
    Call RollBack
    DetailPrint "$Failure"
    MessageBox MB_OK|MB_ICONSTOP "$(NotInstalled)" /SD IDOK
    SetErrorLevel $FailureCode
    Abort
  ${EndIf}
  !insertmacro FOR_EACH_FILE DROP_KEPT
  Delete "$INSTDIR\Uninstall.exe${KEPT}"
  ${DoWhile} $TakenBack > 0
    Pop $R0
    Pop $R0
    IntOp $TakenBack $TakenBack - 1
  ${Loop}
  Call MakeStartMenuEntries

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Vessmark.scr,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  ; In place, so that the caller waits for the work and gets its exit code.
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S _?=$INSTDIR'
  ; The uninstaller speaks the language chosen here.
  WriteRegStr HKCU "${UNINSTALL_KEY}" "${MUI_LANGDLL_REGISTRY_VALUENAME}" "$LANGUAGE"
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

Section /o "$(SaverSection)" SecSaver
  Call MakeScreenSaver
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecPrograms} "$(ProgramsDescription)"
  !insertmacro MUI_DESCRIPTION_TEXT ${SecSaver} "$(SaverDescription)"
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Function .onInit
  !insertmacro MUI_LANGDLL_DISPLAY
  ; /SETSAVER, in any case, ticks the option (silent installs have no page).
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/SETSAVER" $1
  ${IfNot} ${Errors}
  ${AndIf} $1 == ""
    !insertmacro SelectSection ${SecSaver}
  ${EndIf}
  Call KeepRequestedFolder
FunctionEnd

; NSIS quietly puts the default (or the registered) folder in place of one
; given with /D= that cannot be a folder (a file, a relative path). The folder
; asked for is kept, so that the install refuses it instead of going elsewhere.
Function KeepRequestedFolder
  System::Call 'kernel32::GetCommandLineW() w .R0'
  StrLen $R1 $R0
  StrCpy $R2 0
  ${DoWhile} $R2 < $R1
    StrCpy $R3 $R0 4 $R2
    ${If} $R3 S== " /D="
      IntOp $R2 $R2 + 4
      StrCpy $R3 $R0 "" $R2
      ; As NSIS reads it: to the end of the line, without trailing backslashes.
      ${Do}
        StrCpy $R4 $R3 1 -1
        ${IfThen} $R4 != "\" ${|} ${ExitDo} ${|}
        StrCpy $R3 $R3 -1
      ${Loop}
      ${IfThen} $R3 != $INSTDIR ${|} StrCpy $INSTDIR $R3 ${|}
      Return
    ${EndIf}
    IntOp $R2 $R2 + 1
  ${Loop}
FunctionEnd

; The folder is checked, and a move confirmed, before anything is written.
Function DirectoryLeave
  StrCpy $Failure ""
  Call CheckInstallFolder
  ${If} $Failure != ""
    MessageBox MB_OK|MB_ICONEXCLAMATION "$Failure"
    Abort
  ${EndIf}
  Call FindOtherCopy
  ; An entry whose folder holds no uninstaller any more has nothing to move.
  ${If} $OtherFolder != ""
  ${AndIf} ${FileExists} "$OtherFolder\Uninstall.exe"
    MessageBox MB_OKCANCEL|MB_ICONQUESTION "$(MoveQuestion)" IDOK move
    Abort
    move:
  ${EndIf}
FunctionEnd

; A folder can be installed in when its path is a full one (a drive or a
; network share) that leads through folders only.
Function CheckInstallFolder
  StrCpy $R0 $INSTDIR 2 1
  StrCpy $R1 $INSTDIR 2
  ${If} $R0 != ":\"
  ${AndIf} $R1 != "\\"
    StrCpy $Failure "$(NotAFolder)"
    Return
  ${EndIf}
  StrCpy $R0 $INSTDIR
  ${Do}
    System::Call 'kernel32::GetFileAttributesW(w R0) i .R1'
    ; -1: nothing there yet; 0x10: a folder, and so is everything above it.
    ${If} $R1 <> -1
      IntOp $R1 $R1 & 0x10
      ${IfThen} $R1 = 0 ${|} StrCpy $Failure "$(NotAFolder)" ${|}
      ${ExitDo}
    ${EndIf}
    ${GetParent} $R0 $R0
  ${LoopUntil} $R0 == ""
FunctionEnd

; Reinstalling over a running copy: its settings dialog and previews close;
; a show must end first, as programs cannot be replaced while they run.
Function EndProgramsBeforeInstall
  ${Do}
    Call EndPrograms
    IntOp $R0 $Closable + $Shows
    ${IfThen} $R0 = 0 ${|} ${ExitDo} ${|}
    ${IfNot} ${Silent}
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(StillRunning)$\r$\n$\r$\n$(RetryOrLeave)" IDRETRY retry
    ${EndIf}
    StrCpy $Failure "$(StillRunning)"
    StrCpy $FailureCode ${EXIT_IN_USE}
    ${ExitDo}
    retry:
  ${Loop}
FunctionEnd

; Creates the folder, noting the outermost one created for the rollback, and
; proves that it can be written.
Function MakeInstallFolder
  StrCpy $R0 $INSTDIR
  ${Do}
    System::Call 'kernel32::GetFileAttributesW(w R0) i .R1'
    ${IfThen} $R1 <> -1 ${|} ${ExitDo} ${|}
    StrCpy $CreatedFrom $R0
    ${GetParent} $R0 $R0
  ${LoopUntil} $R0 == ""
  ClearErrors
  CreateDirectory $INSTDIR
  ${If} ${Errors}
    StrCpy $Failure "$(FolderNotCreated)"
    Return
  ${EndIf}
  ClearErrors
  FileOpen $R0 "$INSTDIR\Vessmark.write-test" w
  ${If} ${Errors}
    StrCpy $Failure "$(FolderNotWritable)"
    Return
  ${EndIf}
  FileClose $R0
  Delete "$INSTDIR\Vessmark.write-test"
  SetOutPath $INSTDIR
FunctionEnd

; $R0: a file name. An earlier install's file of that name is set aside
; until the new one reads back.
Function KeepEarlier
  ; One set aside by an install that was cut short is of no use.
  Delete "$INSTDIR\$R0${KEPT}"
  ${If} ${FileExists} "$INSTDIR\$R0"
    ClearErrors
    Rename "$INSTDIR\$R0" "$INSTDIR\$R0${KEPT}"
    ${If} ${Errors}
      StrCpy $Failure "$(FileNotWritten)"
    ${EndIf}
  ${EndIf}
FunctionEnd

; $R0: the file just written (the error flag tells whether that failed); $R1:
; its size as packed, or -1 for any size but 0; $R3: its bit in $Written.
; The file must read back whole. Uses $R2, $R4.
Function CheckWritten
  ${If} ${Errors}
    StrCpy $Failure "$(FileNotWritten)"
    Return
  ${EndIf}
  IntOp $Written $Written | $R3
  StrCpy $R2 -1
  ClearErrors
  FileOpen $R4 "$INSTDIR\$R0" r
  ${IfNot} ${Errors}
    FileSeek $R4 0 END $R2
    FileClose $R4
  ${EndIf}
  ${If} $R1 = -1
    ${IfThen} $R2 <= 0 ${|} StrCpy $Failure "$(FileNotVerified)" ${|}
  ${ElseIf} $R2 <> $R1
    StrCpy $Failure "$(FileNotVerified)"
  ${EndIf}
FunctionEnd

Function PlaceUninstaller
  StrCpy $R0 "Uninstall.exe"
  Call KeepEarlier
  ${If} $Failure == ""
    ClearErrors
    WriteUninstaller "$INSTDIR\Uninstall.exe"
    StrCpy $R1 -1
    StrCpy $R3 ${UNINSTALLER_BIT}
    Call CheckWritten
  ${EndIf}
FunctionEnd

; Sets $OtherFolder to the folder of an installation registered somewhere
; other than $INSTDIR, or to "".
Function FindOtherCopy
  ReadRegStr $OtherFolder HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $OtherFolder != ""
    StrCpy $R0 $OtherFolder
    StrCpy $R1 $INSTDIR
    Call SameFolder
    ${IfThen} $R2 = 1 ${|} StrCpy $OtherFolder "" ${|}
  ${EndIf}
FunctionEnd

; One Vessmark per user: an installation registered in another folder moves
; here. Its own uninstaller removes it, run in place so that this waits for
; it; the settings file it keeps comes along. Last of the steps, once the new
; copy is known to be whole.
Function RemoveOtherCopy
  Call FindOtherCopy
  ${IfThen} $OtherFolder == "" ${|} Return ${|}
  ${IfNot} ${FileExists} "$OtherFolder\Uninstall.exe"
    ; Its uninstaller is gone: an entry left behind (the folder deleted by
    ; hand, say) is replaced; programs still there cannot be removed here.
    ${If} ${FileExists} "$OtherFolder\Vessmark.scr"
    ${OrIf} ${FileExists} "$OtherFolder\Vessmark.dll"
      StrCpy $Failure "$(OtherCopyNotRemoved)"
    ${EndIf}
    Return
  ${EndIf}
  ; The screen saver stays Vessmark when that copy was it.
  ReadRegStr $1 HKCU "${DESKTOP_KEY}" "${SAVER_VALUE}"
  StrCpy $4 $OtherFolder
  Call IsThisSaver
  StrCpy $WasSaver $2
  ExecWait '"$OtherFolder\Uninstall.exe" /S _?=$OtherFolder'
  ReadRegStr $R1 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $R1 != ""
    ; Its entry is still there: it was not uninstalled.
    StrCpy $Failure "$(OtherCopyNotRemoved)"
    Return
  ${EndIf}
  ; Run in place, an uninstaller leaves its own file for later.
  Delete "$OtherFolder\Uninstall.exe"
  ${If} ${FileExists} "$OtherFolder\${SETTINGS_FILE}"
  ${AndIfNot} ${FileExists} "$INSTDIR\${SETTINGS_FILE}"
    ClearErrors
    Rename "$OtherFolder\${SETTINGS_FILE}" "$INSTDIR\${SETTINGS_FILE}"
    ${If} ${Errors}
      ; Another volume.
      CopyFiles /SILENT "$OtherFolder\${SETTINGS_FILE}" "$INSTDIR"
      ${If} ${FileExists} "$INSTDIR\${SETTINGS_FILE}"
        Delete "$OtherFolder\${SETTINGS_FILE}"
      ${EndIf}
    ${EndIf}
  ${EndIf}
  RMDir "$OtherFolder"
  ${If} $WasSaver = 1
    Call MakeScreenSaver
  ${EndIf}
FunctionEnd

; An uninstall while a show ran left the removal of this folder's programs
; to the next sign-in (RunOnce): installed anew, they would go then. Each
; entry taken back is kept on the stack (its command, then its name) until
; the install is known to succeed, for RollBack to put back; another
; folder's entry is left alone. Uses $R0 to $R8.
Function TakeBackRemovalAtSignIn
  StrLen $R5 "${RUNONCE_PREFIX}"
  StrCpy $R6 0
  ${Do}
    ClearErrors
    EnumRegValue $R7 HKCU "${RUNONCE_KEY}" $R6
    ${If} ${Errors}
    ${OrIf} $R7 == ""
      ${ExitDo}
    ${EndIf}
    IntOp $R6 $R6 + 1
    StrCpy $R0 $R7 $R5
    ${IfThen} $R0 != "${RUNONCE_PREFIX}" ${|} ${Continue} ${|}
    StrCpy $R0 $R7 -1 $R5
    StrCpy $R1 $INSTDIR
    Call SameFolder
    ${IfThen} $R2 <> 1 ${|} ${Continue} ${|}
    ReadRegStr $R8 HKCU "${RUNONCE_KEY}" $R7
    ClearErrors
    DeleteRegValue HKCU "${RUNONCE_KEY}" $R7
    ${If} ${Errors}
      StrCpy $Failure "$(RemovalNotTakenBack)"
      ${ExitDo}
    ${EndIf}
    Push $R8
    Push $R7
    IntOp $TakenBack $TakenBack + 1
    ; The values after it have moved up by one.
    IntOp $R6 $R6 - 1
  ${Loop}
FunctionEnd

Function MakeStartMenuEntries
  SetOutPath $INSTDIR
  ; Entries left by an install in the other language go too.
  Delete "${START_MENU_FOLDER}\*.lnk"
  ClearErrors
  CreateDirectory "${START_MENU_FOLDER}"
  ; What right-click > Install on a .scr file runs, the path unquoted as there.
  CreateShortCut "${START_MENU_FOLDER}\$(SaverShortcut).lnk" "$SYSDIR\rundll32.exe" \
    "desk.cpl,InstallScreenSaver $INSTDIR\Vessmark.scr" "$INSTDIR\Vessmark.scr" 0
  CreateShortCut "${START_MENU_FOLDER}\$(SettingsShortcut).lnk" "$INSTDIR\Vessmark.scr" "/c" \
    "$INSTDIR\Vessmark.scr" 0
  ; The programs are installed all the same; only the shortcuts are missing.
  ${If} ${Errors}
    DetailPrint "$(NoStartMenuEntries)"
  ${EndIf}
FunctionEnd

; $R0: a file name, $R3: its bit. What this install wrote goes; an earlier
; install's file comes back. Uses $R4.
Function UndoFile
  IntOp $R4 $Written & $R3
  ${If} $R4 <> 0
    Delete "$INSTDIR\$R0"
  ${EndIf}
  ${If} ${FileExists} "$INSTDIR\$R0${KEPT}"
    Rename "$INSTDIR\$R0${KEPT}" "$INSTDIR\$R0"
  ${EndIf}
FunctionEnd

; Takes back what a failed install wrote: its files, and the folders it
; created once they are empty again (the user's own files are never touched).
Function RollBack
  !insertmacro FOR_EACH_FILE UNDO_FILE
  !insertmacro UNDO_FILE "Uninstall.exe" ${UNINSTALLER_BIT} -1
  ${DoWhile} $TakenBack > 0
    Pop $R7
    Pop $R8
    WriteRegStr HKCU "${RUNONCE_KEY}" $R7 $R8
    IntOp $TakenBack $TakenBack - 1
  ${Loop}
  ; Not the current folder any more, or it could not be removed.
  SetOutPath $TEMP
  ${If} $CreatedFrom != ""
    StrCpy $R0 $INSTDIR
    ${Do}
      RMDir $R0
      ${IfThen} $R0 == $CreatedFrom ${|} ${ExitDo} ${|}
      ${GetParent} $R0 $R0
    ${LoopUntil} $R0 == ""
  ${EndIf}
FunctionEnd

Function MakeScreenSaver
  ; Windows itself stores the short form where the volume has one.
  ClearErrors
  GetFullPathName /SHORT $0 "$INSTDIR\Vessmark.scr"
  ${If} ${Errors}
  ${OrIf} $0 == ""
    StrCpy $0 "$INSTDIR\Vessmark.scr"
  ${EndIf}

  ; Remember the screen saver this replaces, unless it is this one (a
  ; reinstall), so that uninstalling can give it back.
  ReadRegStr $1 HKCU "${DESKTOP_KEY}" "${SAVER_VALUE}"
  StrCpy $4 $INSTDIR
  Call IsThisSaver
  ${If} $2 == 0
    ${If} $1 == ""
      DeleteRegValue HKCU "${UNINSTALL_KEY}" "${PREVIOUS_SAVER_VALUE}"
    ${Else}
      WriteRegStr HKCU "${UNINSTALL_KEY}" "${PREVIOUS_SAVER_VALUE}" "$1"
    ${EndIf}
  ${EndIf}
  WriteRegStr HKCU "${DESKTOP_KEY}" "${SAVER_VALUE}" "$0"
FunctionEnd

; --- uninstall -----------------------------------------------------------------

Section "-un.${PRODUCT}" UnSecPrograms
  StrCpy $Failure ""
  ; Asked while the program is there: a path to a file that is gone has no
  ; full form.
  ReadRegStr $1 HKCU "${DESKTOP_KEY}" "${SAVER_VALUE}"
  StrCpy $4 $INSTDIR
  Call un.IsThisSaver
  StrCpy $WasSaver $2
  Call un.RemovePrograms
  ${If} $Leftover != ""
    Call un.RemoveAtSignIn
    ${If} $Failure != ""
      ; Nothing would remove them: Vessmark stays installed, to be
      ; uninstalled again once it no longer runs.
      DetailPrint "$Failure"
      MessageBox MB_OK|MB_ICONSTOP "$Failure" /SD IDOK
      SetErrorLevel ${EXIT_NOT_DONE}
      Abort
    ${EndIf}
    SetErrorLevel ${EXIT_IN_USE}
  ${EndIf}
  ; Only what the installer put there: the folder may hold the user's own
  ; files (it can be any folder given with /D=), so never a recursive delete.
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\Uninstall.exe"

  ; The screen saver setting goes only while it still names this program: a
  ; saver chosen since then stays. The one it replaced comes back if it is
  ; still there.
  ${If} $WasSaver = 1
    ReadRegStr $3 HKCU "${UNINSTALL_KEY}" "${PREVIOUS_SAVER_VALUE}"
    ${If} $3 != ""
    ${AndIf} ${FileExists} "$3"
      WriteRegStr HKCU "${DESKTOP_KEY}" "${SAVER_VALUE}" "$3"
    ${Else}
      DeleteRegValue HKCU "${DESKTOP_KEY}" "${SAVER_VALUE}"
    ${EndIf}
  ${EndIf}
  ; Only this installation's entry (a copy left by an earlier release may
  ; be removed after the installation that now owns the entry).
  ReadRegStr $R0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  StrCpy $R1 $INSTDIR
  Call un.SameFolder
  ${If} $R2 = 1
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ${EndIf}
  ; Its Start menu entries likewise, and any with no installation left.
  ${If} $R2 = 1
  ${OrIf} $R0 == ""
    Delete "${START_MENU_FOLDER}\*.lnk"
    RMDir "${START_MENU_FOLDER}"
  ${EndIf}
  ${If} $Leftover != ""
    DetailPrint "$(RemovedAtSignIn)"
    MessageBox MB_OK|MB_ICONINFORMATION "$(RemovedAtSignIn)" /SD IDOK
  ${EndIf}
SectionEnd

Section /o "un.$(SettingsSection)" UnSecSettings
  Delete "$INSTDIR\${SETTINGS_FILE}"
SectionEnd

Section "-un.Folder"
  ; Removed only when empty: a kept settings file keeps it.
  RMDir "$INSTDIR"
  ; Run in place, the uninstaller cannot delete its own file while it runs.
  ${If} ${FileExists} "$INSTDIR\Uninstall.exe"
    Call un.RemoveSelfAfterExit
  ${EndIf}
SectionEnd

!insertmacro MUI_UNFUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${UnSecSettings} "$(SettingsDescription)"
!insertmacro MUI_UNFUNCTION_DESCRIPTION_END

Function un.onInit
  ; The copy that finishes an uninstall run in place (see RemoveSelfAfterExit).
  ClearErrors
  ${GetOptions} $CMDLINE "/FINISH" $R0
  ${IfNot} ${Errors}
    Call un.FinishRemoval
    Quit
  ${EndIf}
  ; The copy that NSIS starts from %TEMP% gets the folder with a backslash
  ; at its end; the folder comparisons want it without.
  StrCpy $R0 $INSTDIR 1 -1
  ${IfThen} $R0 == "\" ${|} StrCpy $INSTDIR $INSTDIR -1 ${|}
  !insertmacro MUI_UNGETLANGUAGE
FunctionEnd

; Removes the two programs, after closing what closes on request. A program
; still running cannot be deleted: the user is asked to end it (a show ends
; on the mouse or a key); what stays is named in $Leftover.
Function un.RemovePrograms
  ${Do}
    Call un.EndPrograms
    ; A program that has just closed its window may take a moment to end.
    StrCpy $R1 0
    ${Do}
      Delete "$INSTDIR\Vessmark.scr"
      Delete "$INSTDIR\Vessmark.dll"
      StrCpy $Leftover ""
      !insertmacro LIST_IF_THERE "Vessmark.scr"
      !insertmacro LIST_IF_THERE "Vessmark.dll"
      IntOp $R1 $R1 + 1
      ${IfThen} $Leftover == "" ${|} ${ExitDo} ${|}
      Sleep 100
      Push $R1
      Call un.CountPrograms ; and asks again what it finds
      Pop $R1
    ${LoopUntil} $R1 >= 20
    ${If} $Leftover == ""
    ${OrIf} ${Silent}
      ${ExitDo}
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(StillRunning)$\r$\n$\r$\n$(RetryOrLater)" IDRETRY retry
    ${ExitDo}
    retry:
  ${Loop}
FunctionEnd

; What is still in use goes at the user's next sign-in: a per-user RunOnce
; entry, which needs no administrator, deletes whatever of the installation is
; left, and the folder once that leaves it empty. Short names keep the command
; within the length Windows runs from there. Sets $Failure when it cannot be
; written.
Function un.RemoveAtSignIn
  GetFullPathName /SHORT $R0 $INSTDIR
  ${IfThen} $R0 == "" ${|} StrCpy $R0 $INSTDIR ${|}
  ClearErrors
  WriteRegStr HKCU "${RUNONCE_KEY}" "${PRODUCT} ($R0)" \
    '"$SYSDIR\cmd.exe" /c cd /d "$R0" && del /f /q Vessmark.scr Vessmark.dll README.txt Uninstall.exe 2>nul & cd .. & rd "$R0"'
  ${If} ${Errors}
    StrCpy $Failure "$(NotUninstalled)"
  ${EndIf}
FunctionEnd

; Starts a copy of this uninstaller from %TEMP% that deletes Uninstall.exe
; and the folder once this one has ended.
Function un.RemoveSelfAfterExit
  ClearErrors
  GetTempFileName $R0
  CopyFiles /SILENT "$EXEPATH" "$R0"
  ; The copy must not hold the folder as its current one.
  SetOutPath $TEMP
  Exec '"$R0" /FINISH _?=$INSTDIR'
  ${If} ${Errors}
    Call un.RemoveAtSignIn
  ${EndIf}
FunctionEnd

; The copy's work: Uninstall.exe can go as soon as the uninstaller that ran in
; place has ended (tried for 30 s); failing that, at the next sign-in.
Function un.FinishRemoval
  StrCpy $R1 0
  ${Do}
    Delete "$INSTDIR\Uninstall.exe"
    ${IfNotThen} ${FileExists} "$INSTDIR\Uninstall.exe" ${|} ${ExitDo} ${|}
    IntOp $R1 $R1 + 1
    Sleep 100
  ${LoopUntil} $R1 >= 300
  RMDir "$INSTDIR"
  ${If} ${FileExists} "$INSTDIR\Uninstall.exe"
    Call un.RemoveAtSignIn
  ${EndIf}
FunctionEnd
