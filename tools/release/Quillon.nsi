; Quillon's setup and uninstaller, made by tools/release.sh with makensis from the same stripped
; files as the zip. Per user by default (no administrator rights): the program in
; %LOCALAPPDATA%\Programs\Quillon, a Start menu shortcut, an entry in the user's list of
; installed programs, and, when chosen, a start at sign-in. /ALLUSERS installs for every user
; (administrators only).
;
; Command line (setup): /S silent; /AUTOSTART=1|0 start Quillon at sign-in (default: the
; previous install's choice, else on); /RUN start Quillon when setup ends; /ALLUSERS; /D=folder
; (last). Uninstaller: /S.
; Exit codes: 0 done; 1 cancelled; 2 failed; 3 another setup or uninstall is running;
; 4 the install folder cannot be written; 5 Quillon is running and did not exit when asked;
; 6 /ALLUSERS without administrator rights.
;
; makensis -DVERSION=x.y.z -DSOURCE=<staged files> -DOUTFILE=<setup.exe> -DICON=<quillon.ico>
;          -DSIZE_KB=<n> [-DX64] Quillon.nsi

Unicode true
!ifdef X64
  Target amd64-unicode
!endif
!include MUI2.nsh
!include nsDialogs.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include WinMessages.nsh

!define PRODUCT "Quillon"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillon"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
; The running Quillon's hidden window (app/shell/InstanceWindow.h): WM_CLOSE makes it exit as
; its tray menu's Exit does.
!define INSTANCE_CLASS "QuillonInstance"
!define SETUP_MUTEX "Quillon.Setup"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\Quillon"
InstallDirRegKey HKCU "${UNINST_KEY}" "InstallLocation"
SetCompressor /SOLID lzma
ManifestDPIAware true
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails nevershow
ShowUninstDetails nevershow

Var StartAtSignIn   ; "1" or "0"
Var RunWhenDone     ; "1" when /RUN was given
Var AllUsers        ; "1" for /ALLUSERS
Var SignInBox       ; the options page's check box

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_FUNCTION StartQuillon
!define MUI_FINISHPAGE_TEXT "$(FinishText)"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\README.txt"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "$(ShowNotes)"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
Page custom OptionsPage OptionsPageLeave
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The user's interface language picks one: Chinese where it is Chinese, else English.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "SimpChinese"
!include /CHARSET=UTF8 "Quillon-strings.nsh"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${PRODUCT} ${VERSION} Setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "${PRODUCT}"

; ---- shared by setup and the uninstaller ----

; One setup or uninstall at a time: a second one says so and changes nothing (exit code 3).
!macro HoldSetupMutex
  System::Call 'kernel32::CreateMutexW(p 0, i 0, w "${SETUP_MUTEX}") p .r1 ?e'
  Pop $0
  ${If} $0 = 183 ; ERROR_ALREADY_EXISTS
    MessageBox MB_ICONEXCLAMATION|MB_OK "$(AlreadyRunning)" /SD IDOK
    SetErrorLevel 3
    Quit
  ${EndIf}
!macroend

; Asks every running Quillon of this user to exit through its own window, and waits for each
; process to end. $0 is "ok", or "busy" when one did not end within 20 s.
!macro CloseQuillon un
Function ${un}CloseQuillon
  Push $1
  Push $2
  Push $3
  Push $4
  StrCpy $4 0
  loop:
    FindWindow $1 "${INSTANCE_CLASS}"
    ${If} $1 = 0
      StrCpy $0 "ok"
      Goto done
    ${EndIf}
    IntOp $4 $4 + 1
    ${If} $4 > 5
      StrCpy $0 "busy"
      Goto done
    ${EndIf}
    System::Call 'user32::GetWindowThreadProcessId(p r1, *i .r2) i'
    System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i r2) p .r3' ; SYNCHRONIZE
    SendMessage $1 ${WM_CLOSE} 0 0 /TIMEOUT=5000
    ${If} $3 != 0
      System::Call 'kernel32::WaitForSingleObject(p r3, i 20000) i .r2'
      System::Call 'kernel32::CloseHandle(p r3)'
      ${If} $2 <> 0
        StrCpy $0 "busy"
        Goto done
      ${EndIf}
    ${Else}
      Sleep 1000
    ${EndIf}
    Goto loop
  done:
  Pop $4
  Pop $3
  Pop $2
  Pop $1
FunctionEnd
!macroend
!insertmacro CloseQuillon ""
!insertmacro CloseQuillon "un."

!macro EndRunningQuillon un
  Call ${un}CloseQuillon
  ${If} $0 != "ok"
    MessageBox MB_ICONSTOP|MB_OK "$(QuillonBusy)" /SD IDOK
    SetErrorLevel 5
    Quit
  ${EndIf}
!macroend

; The files setup puts in the install folder; the uninstaller removes exactly these.
!macro ProgramFiles action
  !insertmacro ${action} "Quillon.exe"
  !insertmacro ${action} "zov.dll"
  !insertmacro ${action} "lua5.1.dll"
  !insertmacro ${action} "share.dll"
  !insertmacro ${action} "kelp.dll"
  !insertmacro ${action} "wistro.dll"
  !insertmacro ${action} "anipic.dll"
  !insertmacro ${action} "skin.zip"
  !insertmacro ${action} "README.txt"
  !if /FileExists "${SOURCE}\Quillon.apk"
    !insertmacro ${action} "Quillon.apk"
  !endif
!macroend
!macro PutFile name
  File "${SOURCE}\${name}"
!macroend
!macro RemoveFile name
  Delete "$INSTDIR\${name}"
!macroend

; ---- setup ----

Function .onInit
  !insertmacro HoldSetupMutex
  ${GetParameters} $R0
  StrCpy $AllUsers "0"
  ClearErrors
  ${GetOptions} $R0 "/ALLUSERS" $R1
  ${IfNot} ${Errors}
    StrCpy $AllUsers "1"
    UserInfo::GetAccountType
    Pop $R1
    ${If} $R1 != "Admin"
      MessageBox MB_ICONSTOP|MB_OK "$(NeedsAdmin)" /SD IDOK
      SetErrorLevel 6
      Quit
    ${EndIf}
    StrCpy $R2 "$LOCALAPPDATA\Programs\Quillon" ; the per-user default, unless /D gave another
    SetShellVarContext all
    ReadRegStr $R1 HKLM "${UNINST_KEY}" "InstallLocation"
    ${If} $R1 != ""
      StrCpy $INSTDIR $R1
    ${ElseIf} $INSTDIR == $R2
      StrCpy $INSTDIR "$PROGRAMFILES\Quillon"
      !ifdef X64
        StrCpy $INSTDIR "$PROGRAMFILES64\Quillon"
      !endif
    ${EndIf}
  ${EndIf}
  ; The sign-in choice: the switch, else what the previous install chose, else on.
  ReadRegStr $StartAtSignIn SHCTX "${UNINST_KEY}" "StartAtSignIn"
  ${If} $StartAtSignIn == ""
    StrCpy $StartAtSignIn "1"
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/AUTOSTART=" $R1
  ${IfNot} ${Errors}
    ${If} $R1 == "0"
      StrCpy $StartAtSignIn "0"
    ${Else}
      StrCpy $StartAtSignIn "1"
    ${EndIf}
  ${EndIf}
  StrCpy $RunWhenDone "0"
  ClearErrors
  ${GetOptions} $R0 "/RUN" $R1
  ${IfNot} ${Errors}
    StrCpy $RunWhenDone "1"
  ${EndIf}
FunctionEnd

Function OptionsPage
  !insertmacro MUI_HEADER_TEXT "$(OptionsTitle)" "$(OptionsSubtitle)"
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateCheckbox} 0 0 100% 12u "$(SignInOption)"
  Pop $SignInBox
  ${If} $StartAtSignIn == "1"
    ${NSD_Check} $SignInBox
  ${EndIf}
  nsDialogs::Show
FunctionEnd

Function OptionsPageLeave
  ${NSD_GetState} $SignInBox $0
  ${If} $0 == ${BST_CHECKED}
    StrCpy $StartAtSignIn "1"
  ${Else}
    StrCpy $StartAtSignIn "0"
  ${EndIf}
FunctionEnd

Function StartQuillon
  Exec '"$INSTDIR\Quillon.exe"'
FunctionEnd

; Nothing is written anywhere before the install folder is known to take files.
Function CheckFolderWritable
  ${IfNot} ${FileExists} "$INSTDIR\*.*"
    ClearErrors
    CreateDirectory "$INSTDIR"
  ${EndIf}
  ClearErrors
  FileOpen $0 "$INSTDIR\setup-write-check.tmp" w
  ${If} ${Errors}
    RMDir "$INSTDIR" ; only when empty: a folder made just now
    MessageBox MB_ICONSTOP|MB_OK "$(FolderNotWritable)" /SD IDOK
    SetErrorLevel 4
    Quit
  ${EndIf}
  FileClose $0
  Delete "$INSTDIR\setup-write-check.tmp"
FunctionEnd

Section "Quillon"
  !insertmacro EndRunningQuillon ""
  Call CheckFolderWritable
  SetOutPath "$INSTDIR"
  SetOverwrite on
  !insertmacro ProgramFiles PutFile
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  CreateShortcut "$SMPROGRAMS\Quillon.lnk" "$INSTDIR\Quillon.exe" "" "$INSTDIR\Quillon.exe" 0

  WriteRegStr SHCTX "${UNINST_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr SHCTX "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINST_KEY}" "Publisher" "${PRODUCT}"
  WriteRegStr SHCTX "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\Quillon.exe,0"
  WriteRegStr SHCTX "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINST_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr SHCTX "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD SHCTX "${UNINST_KEY}" "EstimatedSize" ${SIZE_KB}
  WriteRegDWORD SHCTX "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINST_KEY}" "NoRepair" 1
  WriteRegStr SHCTX "${UNINST_KEY}" "StartAtSignIn" "$StartAtSignIn"

  ${If} $StartAtSignIn == "1"
    WriteRegStr SHCTX "${RUN_KEY}" "Quillon" '"$INSTDIR\Quillon.exe" --tray'
  ${Else}
    DeleteRegValue SHCTX "${RUN_KEY}" "Quillon"
  ${EndIf}

  ; For every user, setup runs as an administrator: it lets phones on the local network reach
  ; Quillon through the firewall. A refusal leaves Quillon installed; the window can still ask.
  ${If} $AllUsers == "1"
    ExecWait '"$INSTDIR\Quillon.exe" --allow-firewall' $0
    DetailPrint "Firewall rules for phones on the local network: exit code $0"
  ${EndIf}
SectionEnd

Function .onInstSuccess
  ${If} ${Silent}
  ${AndIf} $RunWhenDone == "1"
    Call StartQuillon
  ${EndIf}
FunctionEnd

; ---- uninstaller ----

Function un.onInit
  !insertmacro HoldSetupMutex
  ; Installed for every user when the machine-wide entry names this folder.
  ReadRegStr $0 HKLM "${UNINST_KEY}" "InstallLocation"
  ${If} $0 == $INSTDIR
    SetShellVarContext all
  ${EndIf}
FunctionEnd

Section "Uninstall"
  !insertmacro EndRunningQuillon "un."
  ; The firewall rules Quillon added (from setup for every user, or its window's action).
  ${If} ${FileExists} "$INSTDIR\Quillon.exe"
    ExecWait '"$INSTDIR\Quillon.exe" --remove-firewall' $0
  ${EndIf}
  !insertmacro ProgramFiles RemoveFile
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR" ; kept when it holds anything setup did not put there
  Delete "$SMPROGRAMS\Quillon.lnk"
  DeleteRegValue SHCTX "${RUN_KEY}" "Quillon"
  DeleteRegKey SHCTX "${UNINST_KEY}"
SectionEnd
