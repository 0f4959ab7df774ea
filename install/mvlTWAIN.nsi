; The installer of one model: the data source with its device, effect and language libraries and
; the help files in C:\Windows\twain_64\<model>\, the product profile in the Windows folder and the
; user-interface language the user chooses (the system's language unless changed) in the registry;
; an uninstaller that takes all of it away again. It never installs, replaces or removes a TWAIN
; source manager. Built by makensis from the defines the build passes (install/CMakeLists.txt):
;   MODEL, PRODUCT, VERSION, PUBLISHER, BINDIR, PROFILE, PREFIX, REGKEY, SETTING_FOLDER,
;   SETTING_PATH, OUTFILE
; Options: /S installs (or uninstalls) without asking; /LANGUAGE=<name> ("German", "Simplified_Chinese"
; ... the names of the "Language" registry value) chooses the language without the question.
Unicode true
Target amd64-unicode
SetCompressor zlib

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

Name "${PRODUCT} TWAIN"
OutFile "${OUTFILE}"
InstallDir "$WINDIR\twain_64\${MODEL}"
RequestExecutionLevel admin
ShowInstDetails show
ShowUninstDetails show
!define UNINSTKEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PREFIX}TWAIN-${MODEL}"

!define MUI_ICON "${NSISDIR}\Contrib\Graphics\Icons\modern-install.ico"
!define MUI_UNICON "${NSISDIR}\Contrib\Graphics\Icons\modern-uninstall.ico"
!define MUI_LANGDLL_ALLLANGUAGES
!define MUI_LANGDLL_INFO "Please select the language of the scanner software."
; The uninstaller speaks the language chosen at installation.
!define MUI_LANGDLL_REGISTRY_ROOT HKLM
!define MUI_LANGDLL_REGISTRY_KEY "${UNINSTKEY}"
!define MUI_LANGDLL_REGISTRY_VALUENAME "Installer Language"
!define MUI_LANGDLL_ALWAYSSHOW
!define MUI_WELCOMEPAGE_TITLE_3LINES
!define MUI_FINISHPAGE_TITLE_3LINES
!define MUI_FINISHPAGE_NOAUTOCLOSE
!define MUI_UNFINISHPAGE_NOAUTOCLOSE
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The languages of the product, each with the name the data source reads from the registry.
!macro PRODUCT_LANGUAGES DO
  !insertmacro ${DO} "English" 1033 "English"
  !insertmacro ${DO} "SimpChinese" 2052 "Simplified_Chinese"
  !insertmacro ${DO} "TradChinese" 1028 "Traditional_Chinese"
  !insertmacro ${DO} "Japanese" 1041 "Japanese"
  !insertmacro ${DO} "Korean" 1042 "Korean"
  !insertmacro ${DO} "Russian" 1049 "Russian"
  !insertmacro ${DO} "PortugueseBR" 1046 "Portuguese"
  !insertmacro ${DO} "SpanishInternational" 3082 "Spanish"
  !insertmacro ${DO} "French" 1036 "French"
  !insertmacro ${DO} "Polish" 1045 "Polish"
  !insertmacro ${DO} "German" 1031 "German"
  !insertmacro ${DO} "Italian" 1040 "Italian"
  !insertmacro ${DO} "Arabic" 1025 "Arabic"
  !insertmacro ${DO} "Turkish" 1055 "Turkish"
  !insertmacro ${DO} "Czech" 1029 "Czech"
  !insertmacro ${DO} "Norwegian" 1044 "Norwegian"
  !insertmacro ${DO} "Swedish" 1053 "Swedish"
  !insertmacro ${DO} "Hungarian" 1038 "Hungarian"
  !insertmacro ${DO} "Hebrew" 1037 "Hebrew"
  !insertmacro ${DO} "Romanian" 1048 "Romanian"
  !insertmacro ${DO} "Bulgarian" 1026 "Bulgarian"
  !insertmacro ${DO} "Thai" 1054 "Thai"
  !insertmacro ${DO} "Greek" 1032 "Greek"
!macroend

!macro ADD_LANGUAGE NSIS ID NAME
  !insertmacro MUI_LANGUAGE "${NSIS}"
!macroend
!insertmacro PRODUCT_LANGUAGES ADD_LANGUAGE
!insertmacro MUI_RESERVEFILE_LANGDLL

; $0 (a language id) -> $1 the registry name of the product language, empty for none.
!macro NAME_FROM_ID NSIS ID NAME
  ${If} $0 = ${ID}
    StrCpy $1 "${NAME}"
  ${EndIf}
!macroend
; $0 (a registry name) -> $1 the language id, empty for none.
!macro ID_FROM_NAME NSIS ID NAME
  ${If} $0 S== "${NAME}"
    StrCpy $1 ${ID}
  ${EndIf}
!macroend

; The system's language as the data source maps it: the exact language, else the same primary
; language (Traditional Chinese for Hong Kong and Macao), else English.
Function SystemLanguage
  System::Call 'kernel32::GetSystemDefaultLangID() i .r0'
  StrCpy $1 ""
  !insertmacro PRODUCT_LANGUAGES NAME_FROM_ID
  ${If} $1 == ""
    IntOp $2 $0 & 0x3FF
    ${If} $0 = 0x0C04
    ${OrIf} $0 = 0x1404
      StrCpy $0 1028
    ${ElseIf} $0 = 0x1004
      StrCpy $0 2052
    ${ElseIf} $2 = 0x0A
      StrCpy $0 3082
    ${Else}
      ; every other variant of a language of the product: its first listed id
      StrCpy $0 $2
      ${Select} $2
        ${Case} 0x01
          StrCpy $0 1025
        ${Case} 0x07
          StrCpy $0 1031
        ${Case} 0x0C
          StrCpy $0 1036
        ${Case} 0x10
          StrCpy $0 1040
        ${Case} 0x14
          StrCpy $0 1044
        ${Case} 0x16
          StrCpy $0 1046
        ${Case} 0x1D
          StrCpy $0 1053
      ${EndSelect}
    ${EndIf}
    StrCpy $1 ""
    !insertmacro PRODUCT_LANGUAGES NAME_FROM_ID
    ${If} $1 == ""
      StrCpy $0 1033
    ${EndIf}
  ${EndIf}
  StrCpy $LANGUAGE $0
FunctionEnd

Function .onInit
  SetRegView 64
  Call SystemLanguage
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/LANGUAGE=" $0
  ${IfNot} ${Errors}
    StrCpy $1 ""
    !insertmacro PRODUCT_LANGUAGES ID_FROM_NAME
    ${If} $1 == ""
      MessageBox MB_ICONSTOP "Unknown language: $0" /SD IDOK
      SetErrorLevel 2
      Abort
    ${EndIf}
    StrCpy $LANGUAGE $1
  ${Else}
    ; Asks, with the system's language chosen.
    !insertmacro MUI_LANGDLL_DISPLAY
  ${EndIf}
FunctionEnd

Section "Install"
  SetRegView 64
  SetOutPath "$INSTDIR"
  File "${BINDIR}/mvlTWAIN64.ds"
  File "${BINDIR}/${PREFIX}lld.dll"
  File "${BINDIR}/${PREFIX}ImgEffect.dll"
  File "${BINDIR}/${PREFIX}twrc*.dll"
  File "${BINDIR}/${PREFIX}tw*.chm"
  File "${BINDIR}/${PREFIX}App*.chm"
  SetOutPath "$WINDIR"
  File "${PROFILE}"
  StrCpy $0 $LANGUAGE
  !insertmacro PRODUCT_LANGUAGES NAME_FROM_ID
  WriteRegStr HKLM "${REGKEY}" "Language" $1
  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${UNINSTKEY}" "Installer Language" $LANGUAGE
  WriteRegStr HKLM "${UNINSTKEY}" "DisplayName" "${PRODUCT} TWAIN"
  WriteRegStr HKLM "${UNINSTKEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTKEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTKEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTKEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTKEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTKEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTKEY}" "NoRepair" 1
SectionEnd

Function un.onInit
  SetRegView 64
  !insertmacro MUI_UNGETLANGUAGE
FunctionEnd

; $0: "1" when another model of the family still has its data source installed.
Function un.OtherModelInstalled
  StrCpy $0 "0"
  FindFirst $1 $2 "$WINDIR\twain_64\*"
  ${DoWhile} $2 != ""
    ${If} $2 != "."
    ${AndIf} $2 != ".."
    ${AndIf} $2 != "${MODEL}"
    ${AndIf} ${FileExists} "$WINDIR\twain_64\$2\mvlTWAIN64.ds"
      StrCpy $0 "1"
    ${EndIf}
    FindNext $1 $2
  ${Loop}
  FindClose $1
FunctionEnd

Section "Uninstall"
  SetRegView 64
  ; Only the model folder this uninstaller was installed into.
  ${If} "$INSTDIR" == "$WINDIR\twain_64\${MODEL}"
    RMDir /r /REBOOTOK "$INSTDIR"
  ${EndIf}
  DeleteRegKey HKLM "${UNINSTKEY}"
  ; What the models of the family share goes with the last of them: the profile, the language
  ; and network values in the registry, and the user's settings.
  Call un.OtherModelInstalled
  ${If} $0 == "0"
    Delete "$WINDIR\mvlTWAIN.ini"
    DeleteRegKey HKLM "${REGKEY}"
    ${GetParent} "${REGKEY}" $1
    DeleteRegKey /ifempty HKLM "$1"
    SetShellVarContext current
    RMDir /r "$APPDATA\${SETTING_PATH}"
    RMDir "$APPDATA\${SETTING_FOLDER}"
  ${EndIf}
SectionEnd
