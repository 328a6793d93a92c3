; Installer of DWX Tavrel Translator for 64-bit Windows. Built by scripts/build-windows:
;   makensis -DVERSION=1.0.0 -DSOURCE=<portable folder> -DOUTFILE=<setup.exe> -DICON=<ico> installer.nsi
; The program writes Translator.ini and Logs beside itself, so it goes into a folder its users can write to,
; not into Program Files. Silent use: setup.exe /S [/D=C:\Other Folder]   (/D last, without quotes)
Target amd64-unicode
SetCompressor /SOLID lzma

!define PRODUCT "DWX Tavrel Translator"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\DWX Tavrel Translator"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "C:\${PRODUCT}"
RequestExecutionLevel admin
Icon "${ICON}"
UninstallIcon "${ICON}"
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "CompanyName" "DWX"
VIAddVersionKey /LANG=1033 "LegalCopyright" "DWX"

!include "MUI2.nsh"
!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\tavrel-translator.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start ${PRODUCT}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "${PRODUCT}" SecProgram
    SectionIn RO
    SetShellVarContext all
    SetOutPath "$INSTDIR"
    File /r "${SOURCE}/*.*"
    ; Station users write Translator.ini and Logs here (S-1-5-32-545: the Users group, named in any language).
    nsExec::ExecToLog 'icacls "$INSTDIR" /grant *S-1-5-32-545:(OI)(CI)M /T /Q'
    Pop $0
    WriteUninstaller "$INSTDIR\Uninstall.exe"

    CreateDirectory "$SMPROGRAMS\${PRODUCT}"
    CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\tavrel-translator.exe"
    CreateShortcut "$SMPROGRAMS\${PRODUCT}\Program folder.lnk" "$INSTDIR"
    CreateShortcut "$SMPROGRAMS\${PRODUCT}\Uninstall ${PRODUCT}.lnk" "$INSTDIR\Uninstall.exe"

    SetRegView 64
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "DWX"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tavrel-translator.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section /o "Start at log-on" SecAutostart
    SetShellVarContext all
    CreateShortcut "$SMSTARTUP\${PRODUCT}.lnk" "$INSTDIR\tavrel-translator.exe"
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
    !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} "The window, tavrel-watch.exe and tavrel-convert.exe."
    !insertmacro MUI_DESCRIPTION_TEXT ${SecAutostart} "Start the window when a user logs on."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

; Removes what the installer put there; Translator.ini, DWX.INI, RT-IN1.LST and Logs are the station's and stay.
Section "Uninstall"
    SetShellVarContext all
    Delete "$INSTDIR\tavrel-translator.exe"
    Delete "$INSTDIR\tavrel-watch.exe"
    Delete "$INSTDIR\tavrel-convert.exe"
    Delete "$INSTDIR\*.dll"
    Delete "$INSTDIR\README.txt"
    ; Left behind by a program that was ended in Task Manager.
    Delete "$INSTDIR\tavrel.lock"
    RMDir /r "$INSTDIR\platforms"
    RMDir /r "$INSTDIR\styles"
    RMDir /r "$INSTDIR\Examples"
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"

    Delete "$SMSTARTUP\${PRODUCT}.lnk"
    RMDir /r "$SMPROGRAMS\${PRODUCT}"
    SetRegView 64
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
