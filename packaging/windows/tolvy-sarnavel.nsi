; The Windows installer: the deploy folder under Program Files, a Start-menu shortcut and an
; uninstaller registered in Add/Remove Programs. Built by scripts/windows.sh:
;
;   makensis -DVERSION=1.0 -DPRODUCT_HOST=<host> -DDEPLOY=<deploy folder> -DFILES=<file list>
;            -DICON=<.ico> -DOUTFILE=<setup.exe> tolvy-sarnavel.nsi
;
; FILES names an include file with two macros, TOLVY_INSTALL_FILES and TOLVY_REMOVE_FILES, written
; from the deploy folder, so that the uninstaller removes exactly what was installed and nothing
; a user may have put beside it. The user's settings (HKCU\Software\Veldrane) are theirs: the
; uninstaller leaves them, as removing the Debian package leaves the settings file.

; A 64-bit installer for a 64-bit program: it needs no 32-bit layer (Wine's included) and sees
; Program Files and the registry as the program does.
Target amd64-unicode
ManifestDPIAware true
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh
!include "${FILES}"

!define NAME "Tolvy Sarnavel"
!define PUBLISHER "Veldrane Softwares"
!define EXE "tolvy-sarnavel.exe"
!define UNINSTALLER "uninstall.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\tolvy-sarnavel"

Name "${NAME}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${NAME}"
BrandingText "${NAME} ${VERSION}"

VIProductVersion "${VERSION}.0.0"
VIFileVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=1033 "ProductName" "${NAME}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${NAME} ${VERSION} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) 2026 ${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
; No "start the program" box on the last page: the installer runs as administrator, and a program
; started from it would keep its settings in the administrator's registry rather than the user's.
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Function .onInit
    SetRegView 64
    SetShellVarContext all
    ; An update goes where the last version went.
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 != ""
        StrCpy $INSTDIR $0
    ${EndIf}
FunctionEnd

Section "Install"
    SetOutPath "$INSTDIR"
    !insertmacro TOLVY_INSTALL_FILES
    WriteUninstaller "$INSTDIR\${UNINSTALLER}"

    ; The shortcut starts the program in its own folder.
    SetOutPath "$INSTDIR"
    CreateShortcut "$SMPROGRAMS\${NAME}.lnk" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0 \
        SW_SHOWNORMAL "" "${NAME}"

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${NAME}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${EXE},0"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "URLInfoAbout" "http://${PRODUCT_HOST}/"
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ; Add/Remove Programs shows the size in KiB.
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    IntFmt $0 "0x%08X" $0
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Function un.onInit
    SetRegView 64
    SetShellVarContext all
FunctionEnd

Section "Uninstall"
    Delete "$SMPROGRAMS\${NAME}.lnk"
    !insertmacro TOLVY_REMOVE_FILES
    Delete "$INSTDIR\${UNINSTALLER}"
    ; Only when empty: whatever else is in the folder is not ours to remove.
    RMDir "$INSTDIR"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
