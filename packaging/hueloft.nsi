; SPDX-License-Identifier: MIT
; The Windows installer of hueloft (RGB Tintora), made by scripts/package-windows.sh with
; makensis -DVERSION=<n.nn> -DVERSION_QUAD=<n.n.n.n> -DSOURCE=<folder of the files>
; -DOUTFILE=<installer> -DICON=<hueloft.ico> -DCOPYRIGHT=<text> -DPUBLISHER=<text>.
;
; It installs for every user (under Program Files, needs an administrator) or for the current
; user only (under %LOCALAPPDATA%\Programs, no administrator needed), chosen on its first page
; or by /AllUsers or /CurrentUser on the command line; with neither, a silent install (/S) is
; for every user when it may be. An upgrade keeps the earlier choice and folder. A chosen
; folder that holds other files gets the program in a subfolder "hueloft": no file the
; installer did not put there is ever overwritten, and the uninstaller removes exactly what
; was installed. The user's own settings (HUELOFT.INI) stay.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
!include "x64.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\hueloft"
; Written beside the program, so that the program and a later installer know an installed copy.
!define MARKER "hueloft.installed"
!define RUNNING_TEXT "RGB Tintora is running. Close it, then press Retry."

; Every user or the current user (the usual NSIS choice, with /AllUsers and /CurrentUser).
!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_INSTALLMODE_INSTDIR "hueloft"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallLocation"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME "InstallLocation"
; The uninstaller knows its kind from where it lies (un.onInit).
!define MULTIUSER_NOUNINSTALL
!include "MultiUser.nsh"
!include "MUI2.nsh"

Name "RGB Tintora"
Caption "RGB Tintora ${VERSION} Setup"
UninstallCaption "RGB Tintora ${VERSION} Uninstall"
OutFile "${OUTFILE}"
ShowInstDetails show
BrandingText "RGB Tintora ${VERSION}"
!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"

VIProductVersion "${VERSION_QUAD}"
VIFileVersion "${VERSION_QUAD}"
VIAddVersionKey /LANG=1033 "ProductName" "RGB Tintora for Windows 95"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "RGB Tintora ${VERSION} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${COPYRIGHT}"

; A second run says on its first pages that the program is installed, and what going on does.
!define MULTIUSER_PAGE_CUSTOMFUNCTION_SHOW SayInstalled
!insertmacro MULTIUSER_PAGE_INSTALLMODE
!define MUI_PAGE_CUSTOMFUNCTION_SHOW SayInstalled
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!define MUI_FINISHPAGE_TITLE "RGB Tintora is removed"
!define MUI_FINISHPAGE_TEXT "RGB Tintora has been removed from this computer.$\r$\n$\r$\nEach user's settings and custom colors stay, in the file HUELOFT.INI in the folder %APPDATA%\hueloft. Delete that folder to remove them too."
!insertmacro MUI_UNPAGE_FINISH
!insertmacro MUI_LANGUAGE "English"

; The page's header names the installed copy (for this user, else for every user), if any.
Function SayInstalled
    ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
    ReadRegStr $1 HKCU "${UNINSTALL_KEY}" "DisplayVersion"
    ${If} $0 == ""
        ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
        ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "DisplayVersion"
    ${EndIf}
    ${If} $0 != ""
    ${AndIf} ${FileExists} "$0\hueloft.exe"
        !insertmacro MUI_HEADER_TEXT "RGB Tintora $1 is installed" \
            "in $0. Go on to upgrade or repair it; your settings stay."
    ${EndIf}
FunctionEnd

Var chosenFolder

Function .onInit
    SetRegView 64
    ; A folder given with /D= stays the chosen one; the kind of install sets only the default.
    StrCpy $chosenFolder $INSTDIR
    !insertmacro MULTIUSER_INIT
    ${If} $chosenFolder != ""
        StrCpy $INSTDIR $chosenFolder
    ${EndIf}
FunctionEnd

Function un.onInit
    SetRegView 64
    ; Installed for the current user when that user's entry names this folder.
    ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 == $INSTDIR
        SetShellVarContext current
    ${Else}
        SetShellVarContext all
    ${EndIf}
FunctionEnd

; Sets $0 to 1 when the folder $0 is missing or empty, else to 0.
!macro FOLDER_IS_EMPTY UN
Function ${UN}FolderIsEmpty
    Push $1
    Push $2
    FindFirst $1 $2 "$0\*"
    StrCpy $0 1
    ${DoWhile} $2 != ""
        ${If} $2 != "."
        ${AndIf} $2 != ".."
            StrCpy $0 0
            ${Break}
        ${EndIf}
        FindNext $1 $2
    ${Loop}
    FindClose $1
    Pop $2
    Pop $1
FunctionEnd
!macroend
!insertmacro FOLDER_IS_EMPTY ""

; Sets $0 to 1 when $INSTDIR may take the files: it is missing or empty, or holds an earlier
; installation (the marker, or the folder of the one listed among the installed programs).
Function FolderTakesFiles
    ReadRegStr $1 SHCTX "${UNINSTALL_KEY}" "InstallLocation"
    ${If} ${FileExists} "$INSTDIR\${MARKER}"
    ${OrIf} $1 == $INSTDIR
        StrCpy $0 1
    ${Else}
        StrCpy $0 $INSTDIR
        Call FolderIsEmpty
    ${EndIf}
FunctionEnd

; The folder the files go to: the chosen one when it may take them, else its subfolder
; "hueloft" under the same rule, else none: the install stops and nothing is written.
Function ChooseFolder
    Call FolderTakesFiles
    ${If} $0 == 0
        StrCpy $INSTDIR "$INSTDIR\hueloft"
        DetailPrint "The chosen folder holds other files: installing in $INSTDIR"
        Call FolderTakesFiles
        ${If} $0 == 0
            MessageBox MB_OK|MB_ICONSTOP "$INSTDIR holds other files. Choose an empty folder." /SD IDOK
            SetErrorLevel 2
            Quit
        ${EndIf}
    ${EndIf}
FunctionEnd

; Waits until File (a program file) may be replaced or deleted: while the program runs, it
; cannot be, and the user is asked to close it (also in a silent run, which would fail else).
!macro WAIT_WHILE_RUNNING UN
Function ${UN}WaitWhileRunning
    Exch $0
    Push $1
    ${DoWhile} ${FileExists} $0
        ClearErrors
        FileOpen $1 $0 a
        ${IfNot} ${Errors}
            FileClose $1
            ${Break}
        ${EndIf}
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${RUNNING_TEXT}" IDRETRY retry
        SetErrorLevel 2
        Quit
      retry:
    ${Loop}
    Pop $1
    Pop $0
FunctionEnd
!macroend
!insertmacro WAIT_WHILE_RUNNING ""
!insertmacro WAIT_WHILE_RUNNING "un."

; Adds the size of the file $1 (bytes) to $2.
!macro ADD_FILE_SIZE
    ClearErrors
    FileOpen $3 $1 r
    ${IfNot} ${Errors}
        FileSeek $3 0 END $4
        FileClose $3
        IntOp $2 $2 + $4
    ${EndIf}
!macroend

Section "RGB Tintora"
    Call ChooseFolder
    Push "$INSTDIR\hueloft.exe"
    Call WaitWhileRunning
    Push "$INSTDIR\swatchy.dll"
    Call WaitWhileRunning

    ; The folder above the program's that this install makes (%LOCALAPPDATA%\Programs on a
    ; first install for the current user), for the uninstaller to remove once empty.
    ${GetParent} $INSTDIR $0
    ${IfNot} ${FileExists} "$0\*.*"
        WriteRegStr SHCTX "${UNINSTALL_KEY}" "MadeFolder" $0
    ${EndIf}
    SetOutPath "$INSTDIR"
    File "${SOURCE}\hueloft.exe"
    File "${SOURCE}\swatchy.dll"
    File "${SOURCE}\LICENSE.txt"
    File "${SOURCE}\README.txt"
    FileOpen $0 "$INSTDIR\${MARKER}" w
    FileWrite $0 "This folder holds RGB Tintora as its installer put it here; its uninstaller removes it.$\r$\n"
    FileWrite $0 "Each user's settings are in %APPDATA%\hueloft\HUELOFT.INI; they stay when the program is removed.$\r$\n"
    FileClose $0
    WriteUninstaller "$INSTDIR\uninstall.exe"

    ; The Start-menu entry for the users the program is installed for (MultiUser set the
    ; shell context: every user, or the current one).
    CreateShortcut "$SMPROGRAMS\RGB Tintora.lnk" "$INSTDIR\hueloft.exe" "" "$INSTDIR\hueloft.exe" 0

    Call InstalledSize

    ; SHCTX: HKLM for every user, HKCU for the current one.
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "RGB Tintora"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\hueloft.exe"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $2
SectionEnd

; Sets $2 to the size of the installed files, the uninstaller included, in KB rounded up.
Function InstalledSize
    StrCpy $2 0
    StrCpy $1 "$INSTDIR\hueloft.exe"
    !insertmacro ADD_FILE_SIZE
    StrCpy $1 "$INSTDIR\swatchy.dll"
    !insertmacro ADD_FILE_SIZE
    StrCpy $1 "$INSTDIR\LICENSE.txt"
    !insertmacro ADD_FILE_SIZE
    StrCpy $1 "$INSTDIR\README.txt"
    !insertmacro ADD_FILE_SIZE
    StrCpy $1 "$INSTDIR\${MARKER}"
    !insertmacro ADD_FILE_SIZE
    StrCpy $1 "$INSTDIR\uninstall.exe"
    !insertmacro ADD_FILE_SIZE
    IntOp $2 $2 + 1023
    IntOp $2 $2 / 1024
FunctionEnd

Section "Uninstall"
    Push "$INSTDIR\hueloft.exe"
    Call un.WaitWhileRunning
    Push "$INSTDIR\swatchy.dll"
    Call un.WaitWhileRunning
    Delete "$INSTDIR\hueloft.exe"
    Delete "$INSTDIR\swatchy.dll"
    Delete "$INSTDIR\LICENSE.txt"
    Delete "$INSTDIR\README.txt"
    Delete "$INSTDIR\${MARKER}"
    Delete "$INSTDIR\uninstall.exe"
    Delete "$SMPROGRAMS\RGB Tintora.lnk"
    ReadRegStr $0 SHCTX "${UNINSTALL_KEY}" "MadeFolder"
    DeleteRegKey SHCTX "${UNINSTALL_KEY}"
    ; Not /r: a settings file kept beside the program (where the folder could be written) is
    ; the user's and stays, and the folder with it.
    RMDir "$INSTDIR"
    ${If} $0 != ""
        RMDir "$0"
    ${EndIf}
SectionEnd
