; The installer of Tidewell for Palm, built by the build (packaging.cmake)
; with makensis, which defines:
;   TW_VERSION   the product version, "major.minor"
;   TW_TARGET    x86-ansi (the shipping installer, Windows 95 onwards) or
;                amd64-unicode (the 64-bit build's, for the tests)
;   TW_BIN       the folder of twpalm.dll, twpalmui.dll and twpalm.chm
;   TW_REDIST    the folder of the conduits twdate.dll and twtask.dll and of
;                Palm's redistributable CondMgr.dll
;   TW_ICON      the product icon
;   TW_OUTFILE   the installer to write
;
; twpalm's exports return 0 whatever happened and show their own messages
; (unless silent), so Setup learns the outcome from what Palm Desktop's
; Conduit Manager ends up holding. Exit codes of Setup and of the uninstaller:
;   0  done: both conduits registered from the installation folder (Setup),
;      neither registered from it any more (uninstaller)
;   1  cancelled by the user
;   2  stopped by an error: a file, the uninstaller, the installation value
;      "Path" or the Add/Remove Programs entry that could not be written
;   3  the files are installed (removed), but the conduits are not registered
;      (may still be registered): Palm Desktop missing, a HotSync under way, ...
;   4  uninstaller only: its folder is not the installation recorded in "Path"
;      (an earlier installation's): it removed its own files and folder and
;      left the conduits, "Path", "PDPath" and the Add/Remove Programs entry
;   5  uninstaller only: a file could not be deleted (a program still uses
;      it) and is removed when Windows restarts
; Where more than one applies, the uninstaller reports 3, else 5, else 4.
; The uninstaller reports these only when it runs as itself, from a copy
; outside the folder ("uninstall.exe /S _?=<folder>"); started plainly it
; copies itself away, starts the copy and returns 0 at once.

Target ${TW_TARGET}
SetCompressor /SOLID lzma
RequestExecutionLevel admin
; A file that cannot be written stops Setup (exit code 2), silent or not,
; rather than leaving an older copy in place.
AllowSkipFiles off

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define PRODUCT "Tidewell for Palm"
!define PUBLISHER "Quillon Software"
; Read by twpalm: "Path" (written here) and "PDPath" (written by twpalm).
!define INSTALL_KEY "SOFTWARE\Quillon Software\Orvelle\Install"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tidewell for Palm"
!define EXIT_CONDUITS_NOT_DONE 3
!define EXIT_OTHER_INSTALLATION 4
!define EXIT_RESTART_NEEDED 5
!define LOAD_WITH_ALTERED_SEARCH_PATH 8

Name "${PRODUCT}"
OutFile "${TW_OUTFILE}"
!if "${TW_TARGET}" == "amd64-unicode"
  InstallDir "$PROGRAMFILES64\Tidewell for Palm"
!else
  InstallDir "$PROGRAMFILES\Tidewell for Palm"
!endif
; Installing again goes to the folder of the last installation.
InstallDirRegKey HKLM "${INSTALL_KEY}" "Path"
BrandingText "${PUBLISHER}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${TW_VERSION}.0.0"
VIAddVersionKey ProductName "${PRODUCT}"
VIAddVersionKey CompanyName "${PUBLISHER}"
VIAddVersionKey LegalCopyright "Copyright (C) ${PUBLISHER}"
VIAddVersionKey FileDescription "${PRODUCT} ${TW_VERSION} Setup"
VIAddVersionKey FileVersion "${TW_VERSION}"
VIAddVersionKey ProductVersion "${TW_VERSION}"

Var FinishText
Var OutcomeText
; The uninstaller's: "Path", 1 when the uninstaller's own folder is that
; installation (or none is recorded), and the files it could not delete.
Var InstalledIn
Var OwnInstallation
Var StayedFiles
Var ConduitsRemoved

!define MUI_ICON "${TW_ICON}"
!define MUI_UNICON "${TW_ICON}"
!define MUI_ABORTWARNING
; The log stays until the user moves on: it says whether the conduits are registered.
!define MUI_FINISHPAGE_NOAUTOCLOSE
!define MUI_UNFINISHPAGE_NOAUTOCLOSE
!define MUI_WELCOMEPAGE_TEXT "Setup will install ${PRODUCT} ${TW_VERSION}, which lets the HotSync Manager synchronize the Palm Date Book and To Do List with Almanor.$\r$\n$\r$\nInstall Palm Desktop before you continue, and do not start a HotSync operation while Setup runs.$\r$\n$\r$\n$_CLICK"
!define MUI_FINISHPAGE_TEXT "$FinishText"
!define MUI_INSTFILESPAGE_FINISHHEADER_SUBTEXT "$OutcomeText"
; The folder page's text, put back by .onVerifyInstDir after it said why a
; folder cannot be chosen.
!define FOLDER_PAGE_TEXT "Setup will install ${PRODUCT} in the following folder. To install in a different folder, click Browse and select another folder. Click Install to start the installation."
!define MUI_DIRECTORYPAGE_TEXT_TOP "${FOLDER_PAGE_TEXT}"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!define MUI_PAGE_CUSTOMFUNCTION_SHOW un.ConfirmPageShow
!insertmacro MUI_UNPAGE_CONFIRM
!define MUI_INSTFILESPAGE_FINISHHEADER_SUBTEXT "$OutcomeText"
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Both the installer and the uninstaller need these; "un." names the
; uninstaller's copies.
!macro ConduitFunctions un

; Calls twpalm's export named on the stack (InstallAllConduits or
; UninstallAllConduits) with Setup's window as owner; silent means quiet.
Function ${un}CallConduitExport
  Exch $0
  Push $1
  Push $2
  Push $3
  StrCpy $3 0
  ${If} ${Silent}
    StrCpy $3 1
  ${EndIf}
  System::Call 'kernel32::LoadLibraryEx(t "$INSTDIR\twpalm.dll", p 0, i ${LOAD_WITH_ALTERED_SEARCH_PATH}) p .r1'
  ${If} $1 P<> 0
    System::Call 'kernel32::GetProcAddress(p r1, m r0) p .r2'
    ${If} $2 P<> 0
      System::Call '::$2(p $HWNDPARENT, i r3) i'
    ${Else}
      DetailPrint "twpalm.dll has no $0."
    ${EndIf}
    System::Call 'kernel32::FreeLibrary(p r1)'
  ${Else}
    DetailPrint "twpalm.dll could not be loaded."
  ${EndIf}
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; Pushes 1 when Palm Desktop's Conduit Manager has the creator on the stack
; registered from the conduit library file below it on the stack (in the
; installation folder), 0 when not, -1 when it cannot be asked. Asks the copy
; of CondMgr.dll installed here.
Function ${un}RegisteredFromHere
  Exch $0 ; creator
  Exch
  Exch $1 ; conduit library file
  Push $2
  Push $3
  Push $4
  Push $5
  StrCpy $5 -1
  System::Call 'kernel32::LoadLibraryEx(t "$INSTDIR\CondMgr.dll", p 0, i ${LOAD_WITH_ALTERED_SEARCH_PATH}) p .r2'
  ${If} $2 P<> 0
    System::Call 'kernel32::GetProcAddress(p r2, m "CmGetCreatorName") p .r3'
    ${If} $3 P<> 0
      ; Non-zero: nothing registered for the creator.
      System::Call '::$3(m r0, m .r4, *i 260) i .r3'
      StrCpy $5 0
      ${If} $3 = 0
      ${AndIf} $4 == "$INSTDIR\$1"
        StrCpy $5 1
      ${EndIf}
    ${EndIf}
    System::Call 'kernel32::FreeLibrary(p r2)'
  ${EndIf}
  StrCpy $0 $5
  Pop $5
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

!macroend
!insertmacro ConduitFunctions ""
!insertmacro ConduitFunctions "un."

; Sets the text at the top of the folder page to the one on the stack; does
; nothing when the folder page is not the one shown.
Function SetFolderPageText
  Exch $0
  Push $1
  Push $2
  FindWindow $1 "#32770" "" $HWNDPARENT
  ${If} $1 <> 0
    ; The folder's edit box: only the folder page has it.
    GetDlgItem $2 $1 1019
    ${If} $2 <> 0
      GetDlgItem $2 $1 1006
      SendMessage $2 ${WM_SETTEXT} 0 "STR:$0"
    ${EndIf}
  ${EndIf}
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; Palm Desktop's own folder, which holds the HotSync Manager, also holds
; Palm's CondMgr.dll: Setup would overwrite it and the uninstaller delete it.
; Install is greyed out then, and the page says why.
Function .onVerifyInstDir
  ${If} ${FileExists} "$INSTDIR\HotSync.exe"
    Push "Palm Desktop is installed in this folder. Install ${PRODUCT} into a folder of its own: click Browse and select another folder."
    Call SetFolderPageText
    Abort
  ${EndIf}
  Push "${FOLDER_PAGE_TEXT}"
  Call SetFolderPageText
FunctionEnd

; twpalm, Palm's Conduit Manager and the HotSync Manager know files only by
; names in the system's ANSI code page: $0 is 1 when the whole folder name
; can be written in it, else 0. The ANSI Setup is always 1: it gets every
; name already in the code page (Windows puts a near letter or "?" for a
; character outside it, and Setup drops a "?" from a folder name).
Function FolderHasAnsiName
  StrCpy $0 1
!if "${TW_TARGET}" != "x86-ansi"
  Push $1
  Push $2
  Push $3
  ; Converted without best-fit letters (no "O" for an Omega): a character
  ; the code page lacks sets the used-default flag.
  System::Call 'kernel32::WideCharToMultiByte(i 0, i 0x400, w "$INSTDIR", i -1, m .r3, i ${NSIS_MAX_STRLEN}, p 0, *i 0 r1) i .r2'
  ${If} $2 = 0
  ${OrIf} $1 <> 0
    StrCpy $0 0
  ${EndIf}
  Pop $3
  Pop $2
  Pop $1
!endif
FunctionEnd

Section "Tidewell for Palm" SectionProduct
  SectionIn RO
  ${If} ${FileExists} "$INSTDIR\HotSync.exe"
    MessageBox MB_OK|MB_ICONSTOP "$INSTDIR is Palm Desktop's folder. Install ${PRODUCT} into a folder of its own." /SD IDOK
    Abort
  ${EndIf}
  Call FolderHasAnsiName
  ${If} $0 = 0
    MessageBox MB_OK|MB_ICONSTOP "The folder name $INSTDIR has characters that this system's language settings cannot write in file names, and Palm Desktop could not find ${PRODUCT} there. Install ${PRODUCT} into a folder whose name uses only characters of this system's language." /SD IDOK
    Abort
  ${EndIf}
  SetOutPath "$INSTDIR"
  File "${TW_BIN}/twpalm.dll"
  File "${TW_BIN}/twpalmui.dll"
  File "${TW_BIN}/twpalm.chm"
  File "${TW_REDIST}/twdate.dll"
  File "${TW_REDIST}/twtask.dll"
  File "${TW_REDIST}/CondMgr.dll"
  ; Each write is checked before anything clears the error flag (GetSize
  ; does): a failed one stops Setup with exit code 2, silent or not.
  ClearErrors
  WriteUninstaller "$INSTDIR\uninstall.exe"
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "Setup cannot write $INSTDIR\uninstall.exe. Close the program that uses it and run Setup again as an administrator." /SD IDOK
    Abort
  ${EndIf}

  WriteRegStr HKLM "${INSTALL_KEY}" "Path" "$INSTDIR"
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "Setup cannot write to the registry key HKEY_LOCAL_MACHINE\${INSTALL_KEY}. Run Setup as an administrator." /SD IDOK
    Abort
  ${EndIf}
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${TW_VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\uninstall.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${IfNot} ${Errors}
    ; "\." : GetSize drops trailing backslashes byte by byte, and in the ANSI
    ; Setup the last byte of a double-byte character may be one (CP932 "表").
    ${GetSize} "$INSTDIR\." "/S=0K" $0 $1 $2
    ClearErrors
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
  ${EndIf}
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "Setup cannot write to the registry key HKEY_LOCAL_MACHINE\${UNINSTALL_KEY}. Run Setup as an administrator." /SD IDOK
    Abort
  ${EndIf}

  DetailPrint "Registering the Date Book and To Do List conduits with Palm Desktop..."
  Push InstallAllConduits
  Call CallConduitExport
  Push twdate.dll
  Push date
  Call RegisteredFromHere
  Push twtask.dll
  Push todo
  Call RegisteredFromHere
  Pop $1
  Pop $0
  ${If} $0 = 1
  ${AndIf} $1 = 1
    DetailPrint "The conduits are registered."
    StrCpy $OutcomeText "Setup was completed successfully."
    StrCpy $FinishText "${PRODUCT} is installed. At the next HotSync operation the Palm Date Book and To Do List synchronize with Almanor.$\r$\n$\r$\nClick Finish to close Setup."
  ${Else}
    DetailPrint "The conduits are not registered with Palm Desktop."
    StrCpy $OutcomeText "The files are installed, but the conduits are not registered."
    StrCpy $FinishText "${PRODUCT} is installed, but its conduits are not registered with Palm Desktop.$\r$\n$\r$\nInstall Palm Desktop, or wait until the HotSync operation has finished, then run Setup again.$\r$\n$\r$\nClick Finish to close Setup."
    SetErrorLevel ${EXIT_CONDUITS_NOT_DONE}
  ${EndIf}
SectionEnd

; The folder on the stack as Windows names it, for comparing: full, without
; a trailing backslash ("\." is taken away whole, never a last byte, which in
; the ANSI uninstaller may be the second byte of a double-byte character),
; in its short form when it exists.
Function un.FolderForComparing
  Exch $0
  Push $1
  ClearErrors
  GetFullPathName /SHORT $1 "$0\."
  ${If} ${Errors}
  ${OrIf} $1 == ""
    GetFullPathName $1 "$0\."
  ${EndIf}
  StrCpy $0 $1
  Pop $1
  Exch $0
FunctionEnd

; An uninstaller left in an earlier installation's folder must not undo the
; installation recorded in "Path": the conduits, the values and the
; Add/Remove Programs entry are that one's. No "Path" at all: this folder's.
Function un.onInit
  StrCpy $OwnInstallation 1
  ReadRegStr $InstalledIn HKLM "${INSTALL_KEY}" "Path"
  ${If} $InstalledIn != ""
    Push $InstalledIn
    Call un.FolderForComparing
    Pop $0
    Push $INSTDIR
    Call un.FolderForComparing
    Pop $1
    ; StrCmp compares without regard to case, as the file system does.
    ${If} $0 != $1
      StrCpy $OwnInstallation 0
    ${EndIf}
  ${EndIf}
FunctionEnd

; The confirmation page of an earlier installation's uninstaller says what
; it leaves.
Function un.ConfirmPageShow
  ${If} $OwnInstallation = 0
    FindWindow $0 "#32770" "" $HWNDPARENT
    GetDlgItem $0 $0 1006
    SendMessage $0 ${WM_SETTEXT} 0 "STR:${PRODUCT} is installed in $InstalledIn. This removes only the files that an earlier installation left in the folder below, and leaves the installation in $InstalledIn as it is. Click Uninstall to start."
  ${EndIf}
FunctionEnd

; Deletes the installation folder's file named on the stack; one that cannot
; be deleted now (a program still uses it) is removed when Windows restarts
; and added to $StayedFiles.
Function un.RemoveFile
  Exch $0
  Delete /REBOOTOK "$INSTDIR\$0"
  ${If} ${FileExists} "$INSTDIR\$0"
    DetailPrint "$INSTDIR\$0 is in use: it will be removed when Windows restarts."
    ${If} $StayedFiles != ""
      StrCpy $StayedFiles "$StayedFiles$\r$\n"
    ${EndIf}
    StrCpy $StayedFiles "$StayedFiles$INSTDIR\$0"
  ${EndIf}
  Pop $0
FunctionEnd

Section "Uninstall"
  StrCpy $StayedFiles ""
  ${If} $OwnInstallation = 0
    DetailPrint "${PRODUCT} is installed in $InstalledIn: its conduits, its values and its Add/Remove Programs entry stay as they are."
    DetailPrint "Removing only the files of an earlier installation from $INSTDIR..."
    StrCpy $OutcomeText "Only this folder's files were removed: ${PRODUCT} stays installed in $InstalledIn."
    SetErrorLevel ${EXIT_OTHER_INSTALLATION}
  ${Else}
    Call un.RemoveConduits
  ${EndIf}

  Push twpalm.dll
  Call un.RemoveFile
  Push twpalmui.dll
  Call un.RemoveFile
  Push twpalm.chm
  Call un.RemoveFile
  Push twdate.dll
  Call un.RemoveFile
  Push twtask.dll
  Call un.RemoveFile
  Push CondMgr.dll
  Call un.RemoveFile
  Push uninstall.exe
  Call un.RemoveFile
  ; Only when empty: what the user put there stays.
  ${If} $StayedFiles == ""
    RMDir "$INSTDIR"
  ${Else}
    ; After the files that stayed, when it is empty then.
    RMDir /REBOOTOK "$INSTDIR"
  ${EndIf}

  ${If} $OwnInstallation = 1
    ; The user's settings and the saved registrations under HKEY_CURRENT_USER stay.
    DeleteRegValue HKLM "${INSTALL_KEY}" "Path"
    DeleteRegValue HKLM "${INSTALL_KEY}" "PDPath"
    DeleteRegKey /ifempty HKLM "${INSTALL_KEY}"
    DeleteRegKey /ifempty HKLM "SOFTWARE\Quillon Software\Orvelle"
    DeleteRegKey /ifempty HKLM "SOFTWARE\Quillon Software"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ${EndIf}

  ${If} $StayedFiles != ""
    SetRebootFlag true
    MessageBox MB_OK|MB_ICONEXCLAMATION "These files could not be removed, because a program still uses them:$\r$\n$\r$\n$StayedFiles$\r$\n$\r$\nThey will be removed when Windows restarts." /SD IDOK
    ; The exit code stays 3 when the conduits stayed too, which matters more.
    ${If} $OwnInstallation = 0
    ${OrIf} $ConduitsRemoved = 1
      StrCpy $OutcomeText "Some files are in use: restart Windows to finish removing them."
      SetErrorLevel ${EXIT_RESTART_NEEDED}
    ${Else}
      StrCpy $OutcomeText "The conduits may still be registered, and some files stay until Windows restarts."
    ${EndIf}
  ${EndIf}
SectionEnd

; Calls UninstallAllConduits, while twpalm.dll and CondMgr.dll are still
; here, and checks that neither conduit is registered from here any more.
Function un.RemoveConduits
  StrCpy $ConduitsRemoved 0
  DetailPrint "Removing the Date Book and To Do List conduits from Palm Desktop..."
  Push UninstallAllConduits
  Call un.CallConduitExport
  Push twdate.dll
  Push date
  Call un.RegisteredFromHere
  Push twtask.dll
  Push todo
  Call un.RegisteredFromHere
  Pop $1
  Pop $0
  ${If} $0 = 0
  ${AndIf} $1 = 0
    DetailPrint "The conduits are removed."
    StrCpy $OutcomeText "Uninstall was completed successfully."
    StrCpy $ConduitsRemoved 1
  ${Else}
    ; The files go all the same; the saved registrations stay with the user,
    ; so installing and uninstalling again puts Palm's conduits back.
    ${If} $0 = 1
    ${OrIf} $1 = 1
      DetailPrint "The conduits are still registered with Palm Desktop."
    ${Else}
      DetailPrint "Palm Desktop's Conduit Manager could not be asked whether the conduits are removed."
    ${EndIf}
    DetailPrint "Once no HotSync operation runs, install ${PRODUCT} again and uninstall it."
    StrCpy $OutcomeText "The files are removed, but the conduits may still be registered."
    SetErrorLevel ${EXIT_CONDUITS_NOT_DONE}
  ${EndIf}
FunctionEnd
