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
;
; Each install has an entry of its own among the installed programs and a Start-menu shortcut
; of its own: the first for a kind of install is "hueloft" and "RGB Tintora", one in another
; folder "hueloft-2" and "RGB Tintora (2)", and so on. An install or uninstall finds its entry
; by the folder the entry names, paths compared in their full form ("C:\Apps\sub\..\hue" is
; "C:\Apps\hue"); an uninstaller removes only its own entry and the shortcut that entry names.
; A folder that cannot take the program (a file of that name, or the files not written) stops
; the install before anything is registered, with a non-zero exit status.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
!include "x64.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"

!define UNINSTALL_ROOT "Software\Microsoft\Windows\CurrentVersion\Uninstall"
!define UNINSTALL_KEY "${UNINSTALL_ROOT}\hueloft"
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
!define MULTIUSER_PAGE_CUSTOMFUNCTION_LEAVE OfferUpdateForEveryone
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

; Sets $1 to the folder of the install for every user, empty when there is none or when this
; user has an install of their own (which a run for the current user then updates).
Function InstalledForEveryoneOnly
    ReadRegStr $1 HKCU "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $1 != ""
        StrCpy $1 ""
        Return
    ${EndIf}
    ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $1 != ""
    ${AndIfNot} ${FileExists} "$1\hueloft.exe"
        StrCpy $1 ""
    ${EndIf}
FunctionEnd

; "Just for me" beside an install for every user would make a second "RGB Tintora" of the same
; name in the Start menu and among the installed programs: the user says which is meant, and
; No (the default) goes back to update the one for everyone.
Function OfferUpdateForEveryone
    ${If} $MultiUser.InstallMode == "CurrentUser"
        Call InstalledForEveryoneOnly
        ${If} $1 != ""
            MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "RGB Tintora is already installed for anyone using this computer, in $1.$\r$\n$\r$\nInstall a second copy just for you? Choose No to update the installed one instead." IDYES separate
            SendMessage $MultiUser.InstallModePage.AllUsers ${BM_SETCHECK} ${BST_CHECKED} 0
            SendMessage $MultiUser.InstallModePage.CurrentUser ${BM_SETCHECK} ${BST_UNCHECKED} 0
            Call MultiUser.InstallMode.AllUsers
            Return
          separate:
        ${EndIf}
    ${EndIf}
FunctionEnd

Var chosenFolder
Var entry ; this install's key under UNINSTALL_ROOT, empty when it has none
Var madeFolder ; the folder above the program's that the install made, if any

; Sets $0 to the full form of the path $0: "/" read as "\", "." and ".." resolved, short (8.3)
; names of existing folders in their long form, no "\" at the end (but for a drive's root).
!macro CANONICAL UN
Function ${UN}Canonical
    Push $2
    Push $1
    ; The system's own functions: NSIS's GetFullPathName gives nothing for a folder that does not
    ; exist yet, and keeps a short name.
    StrCpy $1 $0
    System::Call 'kernel32::GetFullPathNameW(w r1, i ${NSIS_MAX_STRLEN}, w .r0, p 0) i'
    System::Call 'kernel32::GetLongPathNameW(w r0, w .r1, i ${NSIS_MAX_STRLEN}) i .r2'
    ${If} $2 > 0
    ${AndIf} $2 < ${NSIS_MAX_STRLEN}
        StrCpy $0 $1
    ${EndIf}
    StrCpy $1 $0 1 -1
    ${If} $1 == "\"
        StrLen $1 $0
        ${If} $1 > 3
            StrCpy $0 $0 -1
        ${EndIf}
    ${EndIf}
    Pop $1
    Pop $2
FunctionEnd
!macroend
!insertmacro CANONICAL ""
!insertmacro CANONICAL "un."

; Sets $entry to the key of the entry in SHCTX that names $INSTDIR (already in full form),
; empty when none does. Paths are compared without regard to case, as Windows names files.
!macro FIND_ENTRY UN
Function ${UN}FindEntry
    Push $0
    Push $1
    StrCpy $entry ""
    StrCpy $1 0
    ${Do}
        EnumRegKey $0 SHCTX "${UNINSTALL_ROOT}" $1
        ${If} $0 == ""
            ${Break}
        ${EndIf}
        IntOp $1 $1 + 1
        StrCpy $entry $0
        StrCpy $0 $0 7
        ${If} $0 == "hueloft"
            ReadRegStr $0 SHCTX "${UNINSTALL_ROOT}\$entry" "InstallLocation"
            ${If} $0 != ""
                Call ${UN}Canonical
                ${If} $0 == $INSTDIR
                    ${Break}
                ${EndIf}
            ${EndIf}
        ${EndIf}
        StrCpy $entry ""
    ${Loop}
    Pop $1
    Pop $0
FunctionEnd
!macroend
!insertmacro FIND_ENTRY ""
!insertmacro FIND_ENTRY "un."

; Ends the install with Text said (in a silent one, only the exit status tells), status 2.
!macro FAIL TEXT
    MessageBox MB_OK|MB_ICONSTOP "${TEXT}" /SD IDOK
    SetErrorLevel 2
    Quit
!macroend

; Sets $0 to what follows " /D=" (always the last argument) on the command line, empty for
; none. NSIS reads it too, but takes a folder that does not start with a drive and "\" (C:/Apps)
; for none at all, where a Windows user means C:\Apps. A /D= it cannot read whole (quoted, as
; NSIS never reads it, or on a command line longer than it reads) ends the install: another
; folder than the one asked for would be used.
Function CommandLineFolder
    Push $1
    Push $2
    Push $3
    System::Call 'kernel32::GetCommandLineW() w .r1'
    System::Call 'kernel32::GetCommandLineW() p .r3'
    System::Call 'kernel32::lstrlenW(p r3) i .r3'
    StrLen $2 $1
    ${If} $2 != $3
        !insertmacro FAIL "The command line is longer than the installer reads; its /D= folder cannot be read whole."
    ${EndIf}
    StrCpy $0 ""
    ${DoWhile} $2 > 0
        IntOp $2 $2 - 1
        StrCpy $0 $1 4 $2
        ${If} $0 S== '"/D='
        ${OrIf} $0 S== '/D="'
            !insertmacro FAIL "A quoted /D= is not read: give /D= last and unquoted, as /D=C:\My Programs\hueloft."
        ${EndIf}
        ${If} $0 S== " /D="
            IntOp $2 $2 + 4
            StrCpy $0 $1 "" $2
            ${Break}
        ${EndIf}
        StrCpy $0 ""
    ${Loop}
    Pop $3
    Pop $2
    Pop $1
FunctionEnd

Function .onInit
    SetRegView 64
    ; A folder given with /D= stays the chosen one; the kind of install sets only the default.
    Call CommandLineFolder
    StrCpy $chosenFolder $0
    !insertmacro MULTIUSER_INIT
    ; Someone who may not install for every user gets no page to choose on: where an install
    ; for everyone is there and none of their own, and they did not ask for one, they are
    ; offered to update it (Windows then asks for an administrator) rather than to get a
    ; second copy of the same name.
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/CurrentUser" $1
    ${If} ${Errors}
    ${AndIfNot} ${Silent}
    ${AndIf} $chosenFolder == ""
    ${AndIf} $MultiUser.InstallMode == "CurrentUser"
    ${AndIf} $MultiUser.Privileges != "Admin"
    ${AndIf} $MultiUser.Privileges != "Power"
        Call InstalledForEveryoneOnly
        ${If} $1 != ""
            MessageBox MB_YESNO|MB_ICONQUESTION "RGB Tintora is already installed for anyone using this computer, in $1.$\r$\n$\r$\nUpdate that installation? Windows asks for an administrator's approval. Choose No to install a second copy just for you." IDNO separate
            ExecShell "runas" "$EXEPATH" "/AllUsers"
            Quit
          separate:
        ${EndIf}
    ${EndIf}
    ${If} $chosenFolder != ""
        StrCpy $0 $chosenFolder
        Call Canonical
        StrCpy $INSTDIR $0
        ${If} ${FileExists} $INSTDIR
        ${AndIfNot} ${FileExists} "$INSTDIR\*.*"
            !insertmacro FAIL "$INSTDIR is a file, not a folder. Choose a folder."
        ${EndIf}
    ${EndIf}
FunctionEnd

Function un.onInit
    SetRegView 64
    StrCpy $0 $INSTDIR
    Call un.Canonical
    StrCpy $INSTDIR $0
    ; Installed for the current user when that user's entry names this folder, for every user
    ; when an entry of the machine does; with neither, only the files go.
    SetShellVarContext current
    Call un.FindEntry
    ${If} $entry == ""
        SetShellVarContext all
        Call un.FindEntry
        ${If} $entry == ""
            SetShellVarContext current
        ${EndIf}
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
; installation (the marker, or the folder of one listed among the installed programs); 0 for a
; folder of other files or a file.
Function FolderTakesFiles
    Call FindEntry
    ${If} ${FileExists} $INSTDIR
    ${AndIfNot} ${FileExists} "$INSTDIR\*.*"
        StrCpy $0 0
    ${ElseIf} ${FileExists} "$INSTDIR\${MARKER}"
    ${OrIf} $entry != ""
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
            !insertmacro FAIL "$INSTDIR holds other files or is a file. Choose an empty folder."
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
    StrCpy $0 $INSTDIR
    Call Canonical
    StrCpy $INSTDIR $0
    Call ChooseFolder
    Push "$INSTDIR\hueloft.exe"
    Call WaitWhileRunning
    Push "$INSTDIR\swatchy.dll"
    Call WaitWhileRunning

    ; The folder above the program's that this install makes (%LOCALAPPDATA%\Programs on a
    ; first install for the current user), for the uninstaller to remove once empty.
    StrCpy $madeFolder ""
    ${GetParent} $INSTDIR $0
    ${IfNot} ${FileExists} "$0\*.*"
        StrCpy $madeFolder $0
    ${EndIf}
    ClearErrors
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
    ; Nothing is registered for files that are not all there; a new install takes away what
    ; it wrote, an earlier one keeps its entry.
    ${If} ${Errors}
    ${OrIfNot} ${FileExists} "$INSTDIR\hueloft.exe"
    ${OrIfNot} ${FileExists} "$INSTDIR\swatchy.dll"
    ${OrIfNot} ${FileExists} "$INSTDIR\uninstall.exe"
        ${If} $entry == ""
            Call RemoveFiles
        ${EndIf}
        !insertmacro FAIL "The program could not be written into $INSTDIR."
    ${EndIf}
    Call InstalledSize

    ; This folder's own entry, or the first free one: "hueloft", "hueloft-2", ...
    ${If} $entry == ""
        StrCpy $1 1
        ${Do}
            StrCpy $entry "hueloft"
            ${If} $1 > 1
                StrCpy $entry "hueloft-$1"
            ${EndIf}
            ClearErrors
            EnumRegValue $0 SHCTX "${UNINSTALL_ROOT}\$entry" 0
            ${If} ${Errors}
                ${Break}
            ${EndIf}
            IntOp $1 $1 + 1
        ${Loop}
    ${EndIf}
    StrCpy $3 "RGB Tintora"
    StrCpy $1 $entry "" 8
    ${If} $1 != ""
        StrCpy $3 "RGB Tintora ($1)"
    ${EndIf}

    ; The Start-menu entry for the users the program is installed for (MultiUser set the
    ; shell context: every user, or the current one).
    CreateShortcut "$SMPROGRAMS\$3.lnk" "$INSTDIR\hueloft.exe" "" "$INSTDIR\hueloft.exe" 0

    ; SHCTX: HKLM for every user, HKCU for the current one.
    StrCpy $1 "${UNINSTALL_ROOT}\$entry"
    WriteRegStr SHCTX $1 "DisplayName" $3
    WriteRegStr SHCTX $1 "Shortcut" "$SMPROGRAMS\$3.lnk"
    WriteRegStr SHCTX $1 "DisplayVersion" "${VERSION}"
    WriteRegStr SHCTX $1 "Publisher" "${PUBLISHER}"
    WriteRegStr SHCTX $1 "DisplayIcon" "$INSTDIR\hueloft.exe"
    WriteRegStr SHCTX $1 "InstallLocation" "$INSTDIR"
    WriteRegStr SHCTX $1 "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr SHCTX $1 "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD SHCTX $1 "NoModify" 1
    WriteRegDWORD SHCTX $1 "NoRepair" 1
    WriteRegDWORD SHCTX $1 "EstimatedSize" $2 ; set by InstalledSize above
    ${If} $madeFolder != ""
        WriteRegStr SHCTX $1 "MadeFolder" $madeFolder
    ${EndIf}
SectionEnd

; The files an install writes, and its folder when that is then empty.
!macro REMOVE_FILES UN
Function ${UN}RemoveFiles
    Delete "$INSTDIR\hueloft.exe"
    Delete "$INSTDIR\swatchy.dll"
    Delete "$INSTDIR\LICENSE.txt"
    Delete "$INSTDIR\README.txt"
    Delete "$INSTDIR\${MARKER}"
    Delete "$INSTDIR\uninstall.exe"
    ; Not /r: a settings file kept beside the program (where the folder could be written) is
    ; the user's and stays, and the folder with it.
    RMDir "$INSTDIR"
FunctionEnd
!macroend
!insertmacro REMOVE_FILES ""
!insertmacro REMOVE_FILES "un."

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
    ; Only this install's own entry, and the shortcut it names.
    StrCpy $madeFolder ""
    ${If} $entry != ""
        ReadRegStr $0 SHCTX "${UNINSTALL_ROOT}\$entry" "Shortcut"
        ${If} $0 != ""
            Delete $0
        ${EndIf}
        ReadRegStr $madeFolder SHCTX "${UNINSTALL_ROOT}\$entry" "MadeFolder"
        DeleteRegKey SHCTX "${UNINSTALL_ROOT}\$entry"
    ${EndIf}
    Call un.RemoveFiles
    ${If} $madeFolder != ""
        RMDir "$madeFolder"
    ${EndIf}
SectionEnd
