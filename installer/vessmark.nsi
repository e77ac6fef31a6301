; The Vessmark installer: a per-user install that needs no administrator
; rights, into a folder the user may write (the settings file is saved beside
; the programs). make_release.cmake builds it:
;
;   makensis -INPUTCHARSET UTF8 -DVERSION=x.y.z -DSTAGE=dir -DOUTFILE=setup.exe
;            -DICON=vessmark.ico vessmark.nsi
;
; STAGE holds the files to install: Vessmark.scr, Vessmark.dll, README.txt.
;
; Command line (besides NSIS's own /S and /D=folder, which must come last):
;   /SETSAVER   tick "use as my screen saver" (for silent installs)
; A silent uninstall (Uninstall.exe /S) keeps the settings file.

Unicode true
; The programs are 64-bit only, and so is their installer: it then needs no
; 32-bit subsystem either (Wine without one runs it too).
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma

!ifndef VERSION | STAGE | OUTFILE | ICON
  !error "define VERSION, STAGE, OUTFILE and ICON (see the head of this file)"
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

Name "${PRODUCT}"
OutFile "${OUTFILE}"
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

; --- install -------------------------------------------------------------------

Section "!${PRODUCT}" SecPrograms
  SectionIn RO
  SetOutPath "$INSTDIR"
  ; The two programs only work side by side: the front end starts the
  ; renderer from its own folder.
  File "${STAGE}/Vessmark.scr"
  File "${STAGE}/Vessmark.dll"
  File "${STAGE}/README.txt"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Vessmark.scr,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  ; The uninstaller speaks the language chosen here.
  WriteRegStr HKCU "${UNINSTALL_KEY}" "${MUI_LANGDLL_REGISTRY_VALUENAME}" "$LANGUAGE"
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

Section /o "$(SaverSection)" SecSaver
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
  Call IsThisSaver
  ${If} $2 == 0
    ${If} $1 == ""
      DeleteRegValue HKCU "${UNINSTALL_KEY}" "${PREVIOUS_SAVER_VALUE}"
    ${Else}
      WriteRegStr HKCU "${UNINSTALL_KEY}" "${PREVIOUS_SAVER_VALUE}" "$1"
    ${EndIf}
  ${EndIf}
  WriteRegStr HKCU "${DESKTOP_KEY}" "${SAVER_VALUE}" "$0"
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
FunctionEnd

; $1: a value of SCRNSAVE.EXE. Sets $2 to 1 when it names Vessmark.scr in
; $INSTDIR, in the long or the short form, else to 0. Uses $3.
!macro IS_THIS_SAVER un
Function ${un}IsThisSaver
  StrCpy $2 0
  ${If} $1 != ""
    ; StrCmp, behind ==, ignores case, as Windows does with paths.
    GetFullPathName $3 "$INSTDIR\Vessmark.scr"
    ${If} $1 == $3
      StrCpy $2 1
    ${Else}
      ClearErrors
      GetFullPathName /SHORT $3 "$INSTDIR\Vessmark.scr"
      ${IfNot} ${Errors}
      ${AndIf} $1 == $3
        StrCpy $2 1
      ${EndIf}
    ${EndIf}
  ${EndIf}
FunctionEnd
!macroend
!insertmacro IS_THIS_SAVER ""
!insertmacro IS_THIS_SAVER "un."

; --- uninstall -----------------------------------------------------------------

Section "-un.${PRODUCT}" UnSecPrograms
  ; The screen saver setting goes only while it still names this program: a
  ; saver chosen since then stays. The one it replaced comes back if it is
  ; still there.
  ReadRegStr $1 HKCU "${DESKTOP_KEY}" "${SAVER_VALUE}"
  Call un.IsThisSaver
  ${If} $2 == 1
    ReadRegStr $3 HKCU "${UNINSTALL_KEY}" "${PREVIOUS_SAVER_VALUE}"
    ${If} $3 != ""
    ${AndIf} ${FileExists} "$3"
      WriteRegStr HKCU "${DESKTOP_KEY}" "${SAVER_VALUE}" "$3"
    ${Else}
      DeleteRegValue HKCU "${DESKTOP_KEY}" "${SAVER_VALUE}"
    ${EndIf}
  ${EndIf}

  ; Only what the installer put there: the folder may hold the user's own
  ; files (it can be any folder given with /D=), so never a recursive delete.
  Delete "$INSTDIR\Vessmark.scr"
  Delete "$INSTDIR\Vessmark.dll"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\Uninstall.exe"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd

Section /o "un.$(SettingsSection)" UnSecSettings
  Delete "$INSTDIR\${SETTINGS_FILE}"
SectionEnd

Section "-un.Folder"
  ; Removed only when empty: a kept settings file keeps it.
  RMDir "$INSTDIR"
SectionEnd

!insertmacro MUI_UNFUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${UnSecSettings} "$(SettingsDescription)"
!insertmacro MUI_UNFUNCTION_DESCRIPTION_END

Function un.onInit
  !insertmacro MUI_UNGETLANGUAGE
FunctionEnd
