; KarvexSetup.exe: installs the program, both widths of the Explorer
; extension, the help file and the translations for every user of the
; machine, and switches the Explorer menu on through the program itself.
;
;   makensis -INPUTCHARSET UTF8 -DDIST_DIR=<built files> -DART_DIR=<icons>
;            -DGEN_DIR=<folder of LangFiles.nsh> -DOUT_FILE=<setup.exe>
;            KarvexSetup.nsi
;
; Silent runs: KarvexSetup.exe /S [/NOMENU] [/D=<folder>]
;              Uninstall.exe /S [/REMOVESETTINGS]

Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true

!ifndef DIST_DIR | ART_DIR | GEN_DIR | OUT_FILE
  !error "DIST_DIR, ART_DIR, GEN_DIR and OUT_FILE must be defined"
!endif

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "x64.nsh"

; The version comes from the program's own version block, so the installer
; can never announce another version than the one it carries.
!getdllversion "${DIST_DIR}/KXer.exe" KX_VER_
!define KX_VERSION "${KX_VER_1}.${KX_VER_2}.${KX_VER_3}"
!define KX_FULL_VERSION "${KX_VER_1}.${KX_VER_2}.${KX_VER_3}.${KX_VER_4}"
; The program reads its version as major * 65536 + minor * 256 + build.
!define /math KX_VER_MAJOR_PART ${KX_VER_1} * 65536
!define /math KX_VER_MINOR_PART ${KX_VER_2} * 256
!define /math KX_VER_HIGH ${KX_VER_MAJOR_PART} + ${KX_VER_MINOR_PART}
!define /math KX_INTERNAL_VERSION ${KX_VER_HIGH} + ${KX_VER_3}

!define KX_PUBLISHER "Morvane"
!define KX_UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Karvex"
!define KX_APP_KEY "Software\Morvane\Karvex"
!define KX_MAKER_KEY "Software\Morvane"
!define KX_CLASS_KEY "CLSID\{E181CDB0-FDFD-4C52-997D-FDF496DCC9CB}"
!define KX_SHORTCUT "$SMPROGRAMS\Karvex.lnk"

Name "Karvex ${KX_VERSION}"
OutFile "${OUT_FILE}"
InstallDir "$PROGRAMFILES\Karvex"
; An update goes where the last install went.
InstallDirRegKey HKLM "${KX_UNINSTALL_KEY}" "InstallLocation"
BrandingText "Karvex ${KX_FULL_VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${KX_FULL_VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "Karvex"
VIAddVersionKey /LANG=1033 "CompanyName" "${KX_PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "Karvex Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${KX_FULL_VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${KX_FULL_VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) ${KX_PUBLISHER}"

!define MUI_ICON "${ART_DIR}/app.ico"
!define MUI_UNICON "${ART_DIR}/app.ico"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${ART_DIR}/setup-side.bmp"
!define MUI_COMPONENTSPAGE_NODESC
; The language asked for at the start is kept for the uninstaller, beside
; the rest of the installation's own entry.
!define MUI_LANGDLL_REGISTRY_ROOT HKLM
!define MUI_LANGDLL_REGISTRY_KEY "${KX_UNINSTALL_KEY}"
!define MUI_LANGDLL_REGISTRY_VALUENAME "InstallerLanguage"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "German"
!insertmacro MUI_RESERVEFILE_LANGDLL

!include "Texts.nsh"
; The shipped translations, listed by the build.
!include "${GEN_DIR}/LangFiles.nsh"

; A DLL that a running Explorer has loaded cannot be overwritten, but it can
; be renamed: the new file then serves every process started from now on,
; and the old one is removed at the next restart.
!macro KX_PUT_DLL NAME
  ClearErrors
  Delete "$INSTDIR\${NAME}"
  ${If} ${Errors}
    Delete /REBOOTOK "$INSTDIR\${NAME}.old"
    Rename "$INSTDIR\${NAME}" "$INSTDIR\${NAME}.old"
    Delete /REBOOTOK "$INSTDIR\${NAME}.old"
  ${EndIf}
  File "${DIST_DIR}/${NAME}"
!macroend

; The extension's class key lives in the system's own registry view.
!macro KX_SYSTEM_VIEW
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
!macroend

Section "!$(KX_SEC_PROGRAM)" SecProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  SetOverwrite on
  File "${DIST_DIR}/KXer.exe"
  File "${DIST_DIR}/KXHelp.chm"
  !insertmacro KX_PUT_DLL "KXMExt.dll"
  !insertmacro KX_PUT_DLL "KXMExt64.dll"
  SetOutPath "$INSTDIR\Lang"
  !insertmacro KX_PUT_LANG_FILES
  SetOutPath "$INSTDIR"

  SetShellVarContext all
  CreateShortCut "${KX_SHORTCUT}" "$INSTDIR\KXer.exe" "" "$INSTDIR\KXer.exe" 0
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  WriteRegDWORD HKLM "${KX_APP_KEY}" "InternalVersion" ${KX_INTERNAL_VERSION}

  WriteRegStr HKLM "${KX_UNINSTALL_KEY}" "DisplayName" "Karvex"
  WriteRegStr HKLM "${KX_UNINSTALL_KEY}" "DisplayVersion" "${KX_FULL_VERSION}"
  WriteRegDWORD HKLM "${KX_UNINSTALL_KEY}" "VersionMajor" ${KX_VER_1}
  WriteRegDWORD HKLM "${KX_UNINSTALL_KEY}" "VersionMinor" ${KX_VER_2}
  WriteRegStr HKLM "${KX_UNINSTALL_KEY}" "Publisher" "${KX_PUBLISHER}"
  WriteRegStr HKLM "${KX_UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\KXer.exe,0"
  WriteRegStr HKLM "${KX_UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${KX_UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${KX_UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${KX_UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${KX_UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${KX_UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "$(KX_SEC_MENU)" SecMenu
  ; The program registers the menu itself, as its own setup panel would. A
  ; caption the user chose before is kept across an update.
  !insertmacro KX_SYSTEM_VIEW
  ClearErrors
  ReadRegStr $1 HKCR "${KX_CLASS_KEY}" "CMenuCaption"
  SetRegView default
  ${If} $1 == ""
    StrCpy $2 "/REGCM"
  ${Else}
    StrCpy $2 '/REGCM:"$1"'
  ${EndIf}
  DetailPrint "$(KX_MENU_ON)"
  ClearErrors
  ExecWait '"$INSTDIR\KXer.exe" $2'
  ; The program's exit code tells nothing about the registration; the class
  ; key does.
  !insertmacro KX_SYSTEM_VIEW
  ClearErrors
  EnumRegKey $0 HKCR "${KX_CLASS_KEY}" 0
  ${If} ${Errors}
    SetRegView default
    DetailPrint "$(KX_MENU_FAILED)"
    ${IfNot} ${Silent}
      MessageBox MB_OK|MB_ICONEXCLAMATION "$(KX_MENU_FAILED)"
    ${EndIf}
  ${EndIf}
  SetRegView default
SectionEnd

Function .onInit
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/NOMENU" $1
  ${IfNot} ${Errors}
    SectionSetFlags ${SecMenu} 0
  ${EndIf}
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "admin"
    MessageBox MB_OK|MB_ICONSTOP "$(KX_NEED_ADMIN)" /SD IDOK
    SetErrorLevel 740
    Quit
  ${EndIf}
  !insertmacro MUI_LANGDLL_DISPLAY
FunctionEnd

; Only files, links and keys of this installation are removed, each by
; name: the folder itself goes only when nothing else is left in it.
Section "un.$(KX_SEC_PROGRAM)" UnSecProgram
  SectionIn RO
  ; The menu goes first, while the program that registered it is there.
  ${If} ${FileExists} "$INSTDIR\KXer.exe"
    DetailPrint "$(KX_MENU_OFF)"
    ExecWait '"$INSTDIR\KXer.exe" /UNREGCM'
  ${EndIf}
  ; Without the program, the extension is unregistered directly.
  !insertmacro KX_SYSTEM_VIEW
  ClearErrors
  EnumRegKey $0 HKCR "${KX_CLASS_KEY}" 0
  ${IfNot} ${Errors}
    ; The 32-bit regsvr32 hands a 64-bit DLL on to its 64-bit self.
    ${If} ${RunningX64}
      ExecWait '"$SYSDIR\regsvr32.exe" /s /u "$INSTDIR\KXMExt64.dll"'
    ${Else}
      ExecWait '"$SYSDIR\regsvr32.exe" /s /u "$INSTDIR\KXMExt.dll"'
    ${EndIf}
  ${EndIf}
  SetRegView default

  Delete "$INSTDIR\KXer.exe"
  Delete "$INSTDIR\KXHelp.chm"
  Delete /REBOOTOK "$INSTDIR\KXMExt.dll"
  Delete /REBOOTOK "$INSTDIR\KXMExt64.dll"
  Delete /REBOOTOK "$INSTDIR\KXMExt.dll.old"
  Delete /REBOOTOK "$INSTDIR\KXMExt64.dll.old"
  !insertmacro KX_REMOVE_LANG_FILES
  RMDir "$INSTDIR\Lang"
  Delete "$INSTDIR\Uninstall.exe"
  ; A folder that still holds a loaded extension goes with it at the next
  ; restart; any other only when it is empty now.
  ${If} ${RebootFlag}
    RMDir /REBOOTOK "$INSTDIR"
  ${Else}
    RMDir "$INSTDIR"
  ${EndIf}

  SetShellVarContext all
  Delete "${KX_SHORTCUT}"

  DeleteRegValue HKLM "${KX_APP_KEY}" "InternalVersion"
  DeleteRegKey /ifempty HKLM "${KX_APP_KEY}"
  DeleteRegKey /ifempty HKLM "${KX_MAKER_KEY}"
SectionEnd

Section /o "un.$(KX_SEC_SETTINGS)" UnSecSettings
  DeleteRegKey HKCU "${KX_APP_KEY}"
  DeleteRegKey /ifempty HKCU "${KX_MAKER_KEY}"
SectionEnd

; The entry in "Apps & features" goes last, so that an uninstallation that
; stopped half-way can be run again from there.
Section "-un.Entry"
  DeleteRegKey HKLM "${KX_UNINSTALL_KEY}"
SectionEnd

Function un.onInit
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/REMOVESETTINGS" $1
  ${IfNot} ${Errors}
    SectionSetFlags ${UnSecSettings} ${SF_SELECTED}
  ${EndIf}
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "admin"
    MessageBox MB_OK|MB_ICONSTOP "$(KX_NEED_ADMIN)" /SD IDOK
    SetErrorLevel 740
    Quit
  ${EndIf}
  !insertmacro MUI_UNGETLANGUAGE
FunctionEnd
