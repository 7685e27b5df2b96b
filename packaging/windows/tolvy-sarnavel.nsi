; The Windows installer: the deploy folder, a Start-menu shortcut and an uninstaller registered in
; Add/Remove Programs, for the current user or for all users. Built by scripts/windows.sh:
;
;   makensis -DVERSION=1.0 -DPRODUCT_HOST=<host> -DFILES=<file list> -DICON=<.ico>
;            -DNAME=<title> -DPUBLISHER=<publisher> -DEXECUTABLE=<file name, no .exe>
;            -DINSTANCE_MUTEX=<the running program's mutex> -DOUTFILE=<setup.exe>
;            [-DSIGN=<command that signs the file it is given>] tolvy-sarnavel.nsi
;
; FILES names an include file with two macros, TOLVY_INSTALL_FILES and TOLVY_REMOVE_FILES, written
; from the deploy folder, so that the uninstaller removes exactly what was installed and nothing
; a user may have put beside it. The user's settings (HKCU\Software\<organisation>) are theirs: the
; uninstaller leaves them, as removing the Debian package leaves the settings file.
;
; Command line: /S silent; /CurrentUser or /AllUsers chooses the mode (without either, an update
; keeps the mode of the install it updates, and a new install is for all users when the user is an
; administrator, for the current user otherwise); /D=<folder> (last) chooses the folder. A silent
; run that cannot go on (the program is running, or all users were asked for without the rights)
; changes nothing and ends with code 2.

; A 64-bit installer for a 64-bit program: it needs no 32-bit layer (Wine's included) and sees
; Program Files and the registry as the program does.
Target amd64-unicode
ManifestDPIAware true
SetCompressor /SOLID lzma
; Both start without elevation. An install or removal for all users asks for it when it is chosen,
; so that one for the current user never does, and writes into that user's own places.
RequestExecutionLevel user

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh
!include nsDialogs.nsh
!include "${FILES}"

!define EXE "${EXECUTABLE}.exe"
!define UNINSTALLER "uninstall.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${EXECUTABLE}"

Name "${NAME}"
OutFile "${OUTFILE}"
; No InstallDir: $INSTDIR is empty in .onInit unless the user named a folder with /D=.
BrandingText "${NAME} ${VERSION}"

VIProductVersion "${VERSION}.0.0"
VIFileVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=1033 "ProductName" "${NAME}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${NAME} ${VERSION} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) 2026 ${PUBLISHER}"

!ifdef SIGN
    !finalize '${SIGN} "%1"'
    !uninstfinalize '${SIGN} "%1"'
!endif

Var Mode ; AllUsers or CurrentUser
Var Parameters ; the command line, without /D=
Var NamedFolder ; the folder named with /D=, if any
Var EarlierFolder ; where an earlier install of this mode lies, if any
Var ModePage
Var ForAllUsers
Var ForMe

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
; No "start the program" box on the last page: an install for all users runs as administrator,
; and a program started from it would keep its settings in the administrator's registry.
Page custom ModePageShow ModePageLeave
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; What the installer and the uninstaller share; UN is "un." for the uninstaller's copies.
!macro TOLVY_SHARED UN
    ; Pushes 1 when this process has administrator rights, 0 otherwise.
    Function ${UN}IsElevated
        UserInfo::GetAccountType
        Pop $0
        ${If} $0 == "Admin"
            Push 1
        ${Else}
            Push 0
        ${EndIf}
    FunctionEnd

    ; Sets the shell folders and the registry root of $Mode.
    Function ${UN}UseMode
        ${If} $Mode == "AllUsers"
            SetShellVarContext all
        ${Else}
            SetShellVarContext current
        ${EndIf}
    FunctionEnd

    ; Runs this program again as administrator with the given parameters, waits for it and ends
    ; with its exit code: the user's answer to the elevation prompt decides.
    Function ${UN}RunElevated
        Exch $1
        Push $2
        Push $3
        ; SHELLEXECUTEINFOW as 64-bit Windows lays it out, SEE_MASK_NOCLOSEPROCESS.
        System::Call '*(i 112, i 0x40, p $HWNDPARENT, w "runas", w "$EXEPATH", w r1, p 0, i 1, i 0, \
                         p 0, p 0, p 0, p 0, i 0, i 0, p 0, p 0) p .r2'
        System::Call 'shell32::ShellExecuteExW(p r2) i .r3'
        ${If} $3 = 0
            System::Free $2
            ; Refused, or no way to ask.
            MessageBox MB_OK|MB_ICONSTOP "$(^Name) needs administrator rights for all users of this computer." /SD IDOK
            SetErrorLevel 2
            Quit
        ${EndIf}
        System::Call '*$2(i, i, p, p, p, p, p, i, i, p, p, p, p, i, i, p, p .r3)'
        System::Free $2
        HideWindow
        System::Call 'kernel32::WaitForSingleObject(p r3, i -1)'
        System::Call 'kernel32::GetExitCodeProcess(p r3, *i .r1)'
        System::Call 'kernel32::CloseHandle(p r3)'
        SetErrorLevel $1
        Quit
    FunctionEnd

    ; The running program holds its instance mutex for as long as it runs, and its files are in
    ; use: nothing is replaced or removed under it. A silent run ends with code 2 at once.
    Function ${UN}RefuseWhileRunning
        check:
        System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${INSTANCE_MUTEX}") p .r0 ?e'
        Pop $1
        ${If} $0 P<> 0
            System::Call 'kernel32::CloseHandle(p r0)'
        ${ElseIf} $1 <> 5 ; ERROR_ACCESS_DENIED: it exists all the same
            Return
        ${EndIf}
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${NAME} is running.$\r$\n$\r$\nClose it, then choose Retry." \
            /SD IDCANCEL IDRETRY check
        SetErrorLevel 2
        Quit
    FunctionEnd
!macroend
!insertmacro TOLVY_SHARED ""
!insertmacro TOLVY_SHARED "un."

; Reads where an earlier install of $Mode lies.
Function FindEarlier
    Call UseMode
    ReadRegStr $EarlierFolder SHCTX "${UNINSTALL_KEY}" "InstallLocation"
FunctionEnd

; With $Mode chosen: elevated when it needs to be, and the folder, unless the user named one.
Function SettleMode
    Call FindEarlier
    ${If} $Mode == "AllUsers"
        Call IsElevated
        Pop $0
        ${If} $0 = 0
            StrCpy $0 "$Parameters /AllUsers"
            ${If} $NamedFolder != ""
                StrCpy $0 "$0 /D=$NamedFolder"
            ${EndIf}
            Push $0
            Call RunElevated
        ${EndIf}
    ${EndIf}
    ${If} $NamedFolder != ""
        StrCpy $INSTDIR $NamedFolder
    ${ElseIf} $EarlierFolder != ""
        StrCpy $INSTDIR $EarlierFolder
    ${ElseIf} $Mode == "AllUsers"
        StrCpy $INSTDIR "$PROGRAMFILES64\${NAME}"
    ${Else}
        ; FOLDERID_UserProgramFiles, %LOCALAPPDATA%\Programs
        GetKnownFolderPath $0 {5CD7AEE2-2219-4A67-B85D-6C9CE15660CB}
        ${If} $0 == ""
            StrCpy $0 "$LOCALAPPDATA\Programs"
        ${EndIf}
        StrCpy $INSTDIR "$0\${NAME}"
    ${EndIf}
FunctionEnd

Function .onInit
    SetRegView 64
    StrCpy $NamedFolder $INSTDIR
    ${GetParameters} $Parameters
    ClearErrors
    ${GetOptions} $Parameters "/AllUsers" $0
    ${IfNot} ${Errors}
        StrCpy $Mode "AllUsers"
    ${Else}
        ClearErrors
        ${GetOptions} $Parameters "/CurrentUser" $0
        ${IfNot} ${Errors}
            StrCpy $Mode "CurrentUser"
        ${EndIf}
    ${EndIf}
    ${If} $Mode == ""
        ; An update keeps the mode of the install it updates.
        StrCpy $Mode "AllUsers"
        Call FindEarlier
        ${If} $EarlierFolder == ""
            StrCpy $Mode "CurrentUser"
            Call FindEarlier
            ${If} $EarlierFolder == ""
                StrCpy $Mode ""
            ${EndIf}
        ${EndIf}
    ${EndIf}
    ${If} $Mode == ""
        ; A new install: all users when the user is an administrator, elevated or able to be
        ; (a limited token of an administrator, TokenElevationTypeLimited), the current user otherwise.
        StrCpy $Mode "CurrentUser"
        Call IsElevated
        Pop $0
        System::Call 'kernel32::GetCurrentProcess() p .r1'
        System::Call 'advapi32::OpenProcessToken(p r1, i 8, *p .r1) i .r2'
        ${If} $2 <> 0
            System::Call 'advapi32::GetTokenInformation(p r1, i 18, *i .r3, i 4, *i .r4) i .r2'
            System::Call 'kernel32::CloseHandle(p r1)'
            ${If} $2 <> 0
            ${AndIf} $3 = 3
                StrCpy $0 1
            ${EndIf}
        ${EndIf}
        ${If} $0 = 1
            StrCpy $Mode "AllUsers"
        ${EndIf}
        ; The user chooses on the first page; a silent run takes this.
        ${If} ${Silent}
            Call SettleMode
        ${EndIf}
    ${Else}
        Call SettleMode
        ; Chosen already: no page asks.
        StrCpy $ModePage "settled"
    ${EndIf}
FunctionEnd

Function ModePageShow
    ${If} $ModePage == "settled"
        Abort
    ${EndIf}
    !insertmacro MUI_HEADER_TEXT "Choose Installation Options" "Who should ${NAME} be installed for?"
    nsDialogs::Create 1018
    Pop $ModePage
    ${NSD_CreateLabel} 0 0 100% 24u "Install ${NAME} for all users of this computer (administrator rights needed), or only for you (no administrator rights needed)."
    Pop $0
    ${NSD_CreateRadioButton} 10u 34u -10u 12u "&Anyone who uses this computer (all users)"
    Pop $ForAllUsers
    ReadEnvStr $1 USERNAME
    ${NSD_CreateRadioButton} 10u 52u -10u 12u "Only for &me ($1)"
    Pop $ForMe
    ${If} $Mode == "AllUsers"
        ${NSD_Check} $ForAllUsers
    ${Else}
        ${NSD_Check} $ForMe
    ${EndIf}
    nsDialogs::Show
FunctionEnd

Function ModePageLeave
    ${NSD_GetState} $ForAllUsers $0
    ${If} $0 = ${BST_CHECKED}
        StrCpy $Mode "AllUsers"
    ${Else}
        StrCpy $Mode "CurrentUser"
    ${EndIf}
    Call SettleMode
FunctionEnd

Section "Install"
    Call RefuseWhileRunning
    Call UseMode
    ; The earlier install of this mode goes first, by its own uninstaller, which knows its files:
    ; an update leaves nothing of the old version, and an install into another folder moves it.
    ${If} $EarlierFolder != ""
    ${AndIf} ${FileExists} "$EarlierFolder\${UNINSTALLER}"
        ExecWait '"$EarlierFolder\${UNINSTALLER}" /S _?=$EarlierFolder'
        Delete "$EarlierFolder\${UNINSTALLER}"
        RMDir "$EarlierFolder"
    ${EndIf}

    SetOutPath "$INSTDIR"
    !insertmacro TOLVY_INSTALL_FILES
    WriteUninstaller "$INSTDIR\${UNINSTALLER}"

    ; The shortcut starts the program in its own folder.
    SetOutPath "$INSTDIR"
    CreateShortcut "$SMPROGRAMS\${NAME}.lnk" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0 \
        SW_SHOWNORMAL "" "${NAME}"

    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${NAME}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${EXE},0"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "URLInfoAbout" "http://${PRODUCT_HOST}/"
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
    ; Add/Remove Programs shows the size in KiB.
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    IntFmt $0 "0x%08X" $0
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Function un.onInit
    SetRegView 64
    ; This uninstaller's install is the one registered with its folder.
    StrCpy $Mode "CurrentUser"
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 == $INSTDIR
        StrCpy $Mode "AllUsers"
        Call un.IsElevated
        Pop $0
        ${If} $0 = 0
            ${un.GetParameters} $0
            Push "$0 _?=$INSTDIR"
            Call un.RunElevated
        ${EndIf}
    ${EndIf}
    Call un.UseMode
FunctionEnd

Section "Uninstall"
    Call un.RefuseWhileRunning
    Delete "$SMPROGRAMS\${NAME}.lnk"
    !insertmacro TOLVY_REMOVE_FILES
    Delete "$INSTDIR\${UNINSTALLER}"
    ; Only when empty: whatever else is in the folder is not ours to remove.
    RMDir "$INSTDIR"
    ; Only the registration of this folder: another install's is not this uninstaller's.
    ReadRegStr $0 SHCTX "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 == $INSTDIR
        DeleteRegKey SHCTX "${UNINSTALL_KEY}"
    ${EndIf}
SectionEnd
