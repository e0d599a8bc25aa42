; The setup program of Parlevo for 64-bit Windows, made by scripts/check-windows:
;   makensis -DVERSION=<x.y> -DSTAGE=<folder of the files> -DFILES=<uninstall list> -DOUTFILE=<setup.exe> parlevo.nsi
; It installs into Program Files, adds a Start-menu entry and the folder to the PATH (so that
; parlevo-cli works from any console), and registers its uninstaller. The uninstaller removes the
; files it installed and nothing else: the user's data, which may sit beside the program when the
; folder is writable, stays.
Unicode true
SetCompressor /SOLID lzma

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "StrFunc.nsh"
!include "WinMessages.nsh"
!include "x64.nsh"
${StrStr}
${UnStrRep}

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Parlevo"
!define ENVIRONMENT_KEY "SYSTEM\CurrentControlSet\Control\Session Manager\Environment"

Name "Parlevo ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Parlevo"
InstallDirRegKey HKLM "Software\Parlevo" "InstallDir"
RequestExecutionLevel admin
BrandingText "Parlevo ${VERSION}"

!define MUI_ICON "${STAGE}\parlevo.ico"
!define MUI_UNICON "${STAGE}\parlevo.ico"
!define MUI_FINISHPAGE_RUN "$INSTDIR\parlevo.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "French"
!insertmacro MUI_LANGUAGE "English"

Function .onInit
    ${IfNot} ${RunningX64}
        MessageBox MB_ICONSTOP "Parlevo needs a 64-bit Windows."
        Abort
    ${EndIf}
    SetRegView 64
FunctionEnd

Function un.onInit
    SetRegView 64
FunctionEnd

Section "Parlevo"
    SetOutPath "$INSTDIR"
    File /r "${STAGE}\*.*"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateShortcut "$SMPROGRAMS\Parlevo.lnk" "$INSTDIR\parlevo.exe" "" "$INSTDIR\parlevo.ico"

    WriteRegStr HKLM "Software\Parlevo" "InstallDir" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Parlevo"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Parlevo"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\parlevo.ico"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1

    ; parlevo-cli from any console opened afterwards.
    ReadRegStr $0 HKLM "${ENVIRONMENT_KEY}" "Path"
    ${StrStr} $1 "$0" "$INSTDIR"
    ${If} $1 == ""
        WriteRegExpandStr HKLM "${ENVIRONMENT_KEY}" "Path" "$0;$INSTDIR"
        SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=5000
    ${EndIf}
SectionEnd

Section "Uninstall"
    ReadRegStr $0 HKLM "${ENVIRONMENT_KEY}" "Path"
    ${UnStrRep} $1 "$0" ";$INSTDIR" ""
    ${If} $1 != $0
        WriteRegExpandStr HKLM "${ENVIRONMENT_KEY}" "Path" "$1"
        SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=5000
    ${EndIf}
    Delete "$SMPROGRAMS\Parlevo.lnk"
    !include "${FILES}"
    Delete "$INSTDIR\uninstall.exe"
    ; Only when empty: the user's data may be there.
    RMDir "$INSTDIR"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    DeleteRegKey HKLM "Software\Parlevo"
SectionEnd
