; The setup program of the ZUV import plug-in. It installs the DLL into Korvun's
; program folder, from which the host loads its import plug-ins, the manual
; into that folder's Korvun\ZUV, where the access-data dialog opens it, the
; column map files and an empty staging database into the data folder, the
; settings key and an entry in "Programs and Features".
; scripts/package-windows builds it; makensis gets:
;   -DVERSION=2.2.2 -DARCH=x86|x64 -DDLL=... -DMANUAL=... -DMAPDIR=...
;   -DSTAGINGDB=... -DOUTFILE=...
; ARCH x64 makes the installer of the 64-bit test build.
; Command line: /S (silent), /PLUGINDIR=, /DATADIR=, /URL=, /TIMEOUT=,
; /IMPORTDB=, /LANG=de|en; the uninstaller: /S, /REMOVEDATA.

!if "${ARCH}" == "x64"
  Target amd64-unicode
  !define REGVIEW 64
  !define DEFAULT_HOST_DIR "$PROGRAMFILES64\Brenhalt\Korvun"
  !define DISPLAY_NAME "KorvunZUV (64 Bit)"
!else
  Target x86-unicode
  !define REGVIEW 32
  !define DEFAULT_HOST_DIR "$PROGRAMFILES32\Brenhalt\Korvun"
  !define DISPLAY_NAME "KorvunZUV"
!endif

!define SETTINGS_KEY "Software\Brenhalt\Tarvo\Korvun\ZUV"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\KorvunZUV"
; $APPDATA is ProgramData once SetShellVarContext all is set.
!define DEFAULT_DATA_DIR "$APPDATA\Brenhalt\Korvun\ZUV"
; Below the host folder: the manual, where the dialog looks, and the uninstaller.
!define OWN_DIR "Korvun\ZUV"
!define MANUAL_NAME "Die Schnittstelle zur ZUV.pdf"
!define UNINSTALLER "KorvunZUV-Deinstallation.exe"

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include "command_line.nsh"

Name "${DISPLAY_NAME} ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
BrandingText "KorvunZUV ${VERSION}"
InstallDir "${DEFAULT_HOST_DIR}"
; An update goes where the last installation went; /D= and /PLUGINDIR= win.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "KorvunZUV"
VIAddVersionKey /LANG=0 "CompanyName" "Brenhalt"
VIAddVersionKey /LANG=0 "FileDescription" "KorvunZUV ${VERSION} Setup"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "LegalCopyright" "2026 KorvunZUV developers"

Var DataDir          ; without the closing backslash, as NSIS keeps folders
Var DataDirFound     ; what DataDir was before the pages
Var GivenDataDir     ; DataDir to write, ending with "\"; empty when not chosen
Var GivenUrl
Var GivenTimeout
Var GivenImportDb
Var DataLocation     ; the uninstaller's: the data folder the setup filled

!define MUI_ABORTWARNING
!define MUI_UNABORTWARNING
!define MUI_LANGDLL_REGISTRY_ROOT HKLM
!define MUI_LANGDLL_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MUI_LANGDLL_REGISTRY_VALUENAME "Language"
!define MUI_LANGDLL_WINDOWTITLE "KorvunZUV ${VERSION}"
!define MUI_LANGDLL_INFO "Bitte wählen Sie die Sprache des Setups.$\r$\nPlease select the setup's language."
; The log stays on screen until the user goes on.
!define MUI_FINISHPAGE_NOAUTOCLOSE
!define MUI_UNFINISHPAGE_NOAUTOCLOSE

!define MUI_WELCOMEPAGE_TEXT "$(WelcomeText)"
!insertmacro MUI_PAGE_WELCOME
!define MUI_PAGE_HEADER_TEXT "$(HostDirHeader)"
!define MUI_PAGE_HEADER_SUBTEXT "$(HostDirSubheader)"
!define MUI_DIRECTORYPAGE_TEXT_TOP "$(HostDirText)"
!define MUI_DIRECTORYPAGE_TEXT_DESTINATION "$(HostDirLabel)"
!insertmacro MUI_PAGE_DIRECTORY
!define MUI_PAGE_HEADER_TEXT "$(DataDirHeader)"
!define MUI_PAGE_HEADER_SUBTEXT "$(DataDirSubheader)"
!define MUI_DIRECTORYPAGE_TEXT_TOP "$(DataDirText)"
!define MUI_DIRECTORYPAGE_TEXT_DESTINATION "$(DataDirLabel)"
!define MUI_DIRECTORYPAGE_VARIABLE $DataDir
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE DataDirPageLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_COMPONENTSPAGE_TEXT_TOP "$(UnComponentsText)"
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "German"
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_RESERVEFILE_LANGDLL
!include "texts.nsh"

Function .onInit
  SetShellVarContext all
  SetRegView ${REGVIEW}
  ; German first, whatever the system's language; English is offered. An
  ; update takes the language chosen before without asking.
  StrCpy $LANGUAGE ${LANG_GERMAN}
  !insertmacro MUI_LANGDLL_DISPLAY
  ; Administrators deploy silently: German unless /LANG says otherwise.
  ${If} ${Silent}
    StrCpy $LANGUAGE ${LANG_GERMAN}
  ${EndIf}
  !insertmacro OptionValue LANG $0
  ${If} $0 == "en"
    StrCpy $LANGUAGE ${LANG_ENGLISH}
  ${ElseIf} $0 == "de"
    StrCpy $LANGUAGE ${LANG_GERMAN}
  ${EndIf}

  !insertmacro OptionValue PLUGINDIR $0
  ${IfNot} ${Errors}
    StrCpy $INSTDIR $0
  ${EndIf}
  ; The data folder the plug-in reads now, else the default.
  ReadRegStr $DataDir HKLM "${SETTINGS_KEY}" "DataDir"
  ${If} $DataDir == ""
    StrCpy $DataDir "${DEFAULT_DATA_DIR}"
  ${EndIf}
  !insertmacro OptionValue DATADIR $0
  ${IfNot} ${Errors}
    StrCpy $DataDir $0
    StrCpy $GivenDataDir "-"
  ${EndIf}
  ; A path NSIS way: no closing backslash (unless it is a drive's root).
  Push $DataDir
  Call TrimBackslashes
  Pop $DataDir
  StrCpy $DataDirFound $DataDir

  !insertmacro OptionValue URL $GivenUrl
  !insertmacro OptionValue IMPORTDB $GivenImportDb
  !insertmacro OptionValue TIMEOUT $GivenTimeout
  ${If} $GivenTimeout != ""
    IntOp $0 $GivenTimeout + 0
    ${If} "$0" != "$GivenTimeout"
      StrCpy $0 $GivenTimeout
      MessageBox MB_ICONSTOP "$(BadTimeout)" /SD IDOK
      SetErrorLevel 2
      Quit
    ${EndIf}
  ${EndIf}
FunctionEnd

; Removes closing backslashes from the path on the stack.
Function TrimBackslashes
  Exch $0
  Push $1
  ${Do}
    StrCpy $1 $0 1 -1
    ${If} $1 != "\"
      ${ExitDo}
    ${EndIf}
    StrCpy $0 $0 -1
  ${Loop}
  Pop $1
  Exch $0
FunctionEnd

Function DataDirPageLeave
  ${If} $DataDir != $DataDirFound
    StrCpy $GivenDataDir "-"
  ${EndIf}
FunctionEnd

; WriteSetting NAME GIVEN DEFAULT: GIVEN on the command line (or chosen on a
; page) is written; otherwise DEFAULT only where the value is absent, so an
; update keeps what an administrator set. Every value is a string: the
; plug-in stops reading its settings at a value of another type.
!macro WriteSetting NAME GIVEN DEFAULT
  Push "${NAME}"
  Push "${GIVEN}"
  Push "${DEFAULT}"
  Call WriteSetting
!macroend

Function WriteSetting
  Exch $2
  Exch
  Exch $1
  Exch 2
  Exch $0
  Push $3
  ${If} $1 != ""
    WriteRegStr HKLM "${SETTINGS_KEY}" $0 $1
  ${ElseIf} $2 != ""
    ; Errors and nothing read: absent. A number stored by hand reads as text
    ; with the error flag: present.
    ClearErrors
    ReadRegStr $3 HKLM "${SETTINGS_KEY}" $0
    ${If} ${Errors}
    ${AndIf} $3 == ""
      ClearErrors
      WriteRegStr HKLM "${SETTINGS_KEY}" $0 $2
    ${EndIf}
  ${EndIf}
  Pop $3
  Pop $0
  Pop $1
  Pop $2
FunctionEnd

Section "-KorvunZUV" SecMain
  ; Moved to another host folder: the plug-in leaves the old one.
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
  ${AndIf} $0 != $INSTDIR
    Delete "$0\KorvunZUV.dll"
    Delete "$0\${OWN_DIR}\${MANUAL_NAME}"
    Delete "$0\${OWN_DIR}\${UNINSTALLER}"
    RMDir "$0\${OWN_DIR}"
    RMDir "$0\Korvun"
    RMDir "$0"
  ${EndIf}

  SetOverwrite on
  SetOutPath "$INSTDIR"
  File "/oname=KorvunZUV.dll" "${DLL}"
  SetOutPath "$INSTDIR\${OWN_DIR}"
  File "/oname=${MANUAL_NAME}" "${MANUAL}"
  WriteUninstaller "$INSTDIR\${OWN_DIR}\${UNINSTALLER}"
  SetOutPath "$DataDir"
  File "${MAPDIR}\BESTAND.txt"
  File "${MAPDIR}\TRANSAKT.txt"
  ; The staging database and the error logs are the user's: never replaced.
  SetOverwrite off
  File "/oname=FFBDB.IDB" "${STAGINGDB}"
  SetOverwrite on

  ${If} $GivenDataDir != ""
    StrCpy $GivenDataDir "$DataDir\"
  ${EndIf}
  ClearErrors
  !insertmacro WriteSetting "DownloadSrvUrl" "$GivenUrl" ""
  !insertmacro WriteSetting "DataDir" "$GivenDataDir" "$DataDir\"
  ; ".\" stands for the data folder, so the database follows DataDir.
  !insertmacro WriteSetting "ImportDB" "$GivenImportDb" ".\FFBDB.IDB"
  !insertmacro WriteSetting "Timeout" "$GivenTimeout" "300"
  !insertmacro WriteSetting "DebugMode" "" "0"
  ${If} ${Errors}
    MessageBox MB_ICONSTOP "$(SettingsNotWritten)" /SD IDOK
    SetErrorLevel 2
    Abort
  ${EndIf}

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${DISPLAY_NAME}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Brenhalt"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${OWN_DIR}\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${OWN_DIR}\${UNINSTALLER}" /S'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DataLocation" "$DataDir"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Language" "$LANGUAGE"
  SectionGetSize ${SecMain} $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; The user's data: only when asked for (the check box, /REMOVEDATA).
Section /o "un.$(UnDataSection)" SecUnData
  Delete "$DataLocation\FFBDB.IDB"
  Delete "$DataLocation\bst_error.log"
  Delete "$DataLocation\tra_error.log"
  ; What a run cut short leaves behind.
  Delete "$DataLocation\bestaende.zip"
  Delete "$DataLocation\transaktionen.zip"
  Delete "$DataLocation\bestaende.csv"
  Delete "$DataLocation\transaktionen.csv"
SectionEnd

Section "-un.KorvunZUV"
  Delete "$INSTDIR\KorvunZUV.dll"
  Delete "$INSTDIR\${OWN_DIR}\${MANUAL_NAME}"
  Delete "$INSTDIR\${OWN_DIR}\${UNINSTALLER}"
  RMDir "$INSTDIR\${OWN_DIR}"
  RMDir "$INSTDIR\Korvun"
  RMDir "$INSTDIR"
  Delete "$DataLocation\BESTAND.txt"
  Delete "$DataLocation\TRANSAKT.txt"
  RMDir "$DataLocation"
  ; The maker's folders of the defaults, when nothing else is in them.
  RMDir "$APPDATA\Brenhalt\Korvun"
  RMDir "$APPDATA\Brenhalt"
  RMDir "${DEFAULT_HOST_DIR}"
  ${GetParent} "${DEFAULT_HOST_DIR}" $0
  RMDir "$0"

  DeleteRegKey HKLM "${SETTINGS_KEY}"
  DeleteRegKey /ifempty HKLM "Software\Brenhalt\Tarvo\Korvun"
  DeleteRegKey /ifempty HKLM "Software\Brenhalt\Tarvo"
  DeleteRegKey /ifempty HKLM "Software\Brenhalt"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd

Function un.onInit
  SetShellVarContext all
  SetRegView ${REGVIEW}
  !insertmacro MUI_UNGETLANGUAGE
  ; The uninstaller lies in <host folder>\Korvun\ZUV; the pages name the
  ; host folder.
  ${GetParent} "$INSTDIR" $INSTDIR
  ${GetParent} "$INSTDIR" $INSTDIR
  ReadRegStr $DataLocation HKLM "${UNINSTALL_KEY}" "DataLocation"
  ${If} $DataLocation == ""
    StrCpy $DataLocation "${DEFAULT_DATA_DIR}"
  ${EndIf}
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/REMOVEDATA" $1
  ${IfNot} ${Errors}
    SectionSetFlags ${SecUnData} ${SF_SELECTED}
  ${EndIf}
FunctionEnd
