; Quillon's setup for Windows: a per-user install, no administrator rights needed.
;
;   makensis -DVERSION=1.0.0 -DSOURCE=build-windows/Quillon -DICON=quillon.ico
;            -DFILES=files.nsh -DOUTFILE=Quillon-1.0.0-setup.exe packaging/windows/Quillon.nsi
;
; FILES lists every file and folder of SOURCE (Quillon_File and Quillon_Folder lines), so that
; the uninstaller removes exactly what the setup put there and nothing else.

; Quillon is a 64-bit program, and so is its setup.
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma

!define APP "Quillon"
!define PUBLISHER "Quillon developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${APP}"
!define APPLICATION_KEY "Software\Classes\Applications\${APP}.exe"
!define PROGID "Quillon.Video"

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"

Name "${APP}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${APP}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${APP} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1040 "ProductName" "${APP}"
VIAddVersionKey /LANG=1040 "FileDescription" "Installazione di ${APP}"
VIAddVersionKey /LANG=1040 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1040 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1040 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1040 "LegalCopyright" "${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\${APP}.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Italian"

!macro OpenWith ext
    WriteRegStr HKCU "${APPLICATION_KEY}\SupportedTypes" "${ext}" ""
    WriteRegStr HKCU "Software\Classes\${ext}\OpenWithProgids" "${PROGID}" ""
!macroend
; Deletes HKCU\key only when it holds neither keys nor values: what the user keeps there stays.
!macro un.DeleteKeyIfEmpty key
    System::Call 'advapi32::RegOpenKeyExW(p 0x80000001, w "${key}", i 0, i 0x20019, *p .r1) i .r0'
    ${If} $0 = 0
        System::Call 'advapi32::RegQueryInfoKeyW(p r1, p 0, p 0, p 0, *i .r2, p 0, p 0, *i .r3, p 0, p 0, p 0, p 0) i .r0'
        System::Call 'advapi32::RegCloseKey(p r1)'
        ${If} $0 = 0
        ${AndIf} $2 = 0
        ${AndIf} $3 = 0
            DeleteRegKey HKCU "${key}"
        ${EndIf}
    ${EndIf}
!macroend
; Takes back only its own entry.
!macro un.OpenWith ext
    DeleteRegValue HKCU "Software\Classes\${ext}\OpenWithProgids" "${PROGID}"
    !insertmacro un.DeleteKeyIfEmpty "Software\Classes\${ext}\OpenWithProgids"
    !insertmacro un.DeleteKeyIfEmpty "Software\Classes\${ext}"
!macroend

!macro Quillon_File path
    Delete "$INSTDIR\${path}"
!macroend
!macro Quillon_Folder path
    RMDir "$INSTDIR\${path}"
!macroend

Section "Quillon"
    SetShellVarContext current
    ; An older copy goes first, by its own uninstaller, so that none of its files stays behind.
    ${If} ${FileExists} "$INSTDIR\Uninstall.exe"
        ExecWait '"$INSTDIR\Uninstall.exe" /S _?=$INSTDIR'
        Delete "$INSTDIR\Uninstall.exe"
    ${EndIf}

    SetOutPath "$INSTDIR"
    File /r "${SOURCE}\*"
    WriteUninstaller "$INSTDIR\Uninstall.exe"
    CreateShortcut "$SMPROGRAMS\${APP}.lnk" "$INSTDIR\${APP}.exe" "" "$INSTDIR\${APP}.exe" 0

    ; The user's list of programs.
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${APP}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${APP}.exe,0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0

    ; Offered under "Open With" for its videos; the user's default program stays as it is.
    WriteRegStr HKCU "${APPLICATION_KEY}" "FriendlyAppName" "${APP}"
    WriteRegStr HKCU "${APPLICATION_KEY}\DefaultIcon" "" "$INSTDIR\${APP}.exe,0"
    WriteRegStr HKCU "${APPLICATION_KEY}\shell\open\command" "" '"$INSTDIR\${APP}.exe" "%1"'
    WriteRegStr HKCU "Software\Classes\${PROGID}" "" "Video"
    WriteRegStr HKCU "Software\Classes\${PROGID}\DefaultIcon" "" "$INSTDIR\${APP}.exe,0"
    WriteRegStr HKCU "Software\Classes\${PROGID}\shell\open\command" "" '"$INSTDIR\${APP}.exe" "%1"'
    !insertmacro OpenWith ".avi"
    !insertmacro OpenWith ".flv"
    !insertmacro OpenWith ".mp4"
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd

Section "Uninstall"
    SetShellVarContext current
    !include "${FILES}"
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"
    Delete "$SMPROGRAMS\${APP}.lnk"

    DeleteRegKey HKCU "${UNINSTALL_KEY}"
    DeleteRegKey HKCU "${APPLICATION_KEY}"
    DeleteRegKey HKCU "Software\Classes\${PROGID}"
    !insertmacro un.OpenWith ".avi"
    !insertmacro un.OpenWith ".flv"
    !insertmacro un.OpenWith ".mp4"
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd
