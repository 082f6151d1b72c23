; SPDX-License-Identifier: MIT
; The Windows installer of hueloft (RGB Tintora), made by scripts/package-windows.sh with
; makensis -DVERSION=<n.nn> -DSOURCE=<folder of the files> -DOUTFILE=<installer>.
; It installs under Program Files, adds a Start-menu entry and an uninstaller that Windows lists
; among the installed programs. The uninstaller removes everything it installed; the user's own
; settings (HUELOFT.INI, normally in %APPDATA%\hueloft) stay.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
!include "x64.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\hueloft"

Name "RGB Tintora"
Caption "RGB Tintora ${VERSION} Setup"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\hueloft"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
ShowInstDetails show
VIProductVersion "${VERSION_QUAD}"
VIAddVersionKey /LANG=1033 "ProductName" "RGB Tintora for Windows 95"
VIAddVersionKey /LANG=1033 "FileDescription" "RGB Tintora ${VERSION} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${COPYRIGHT}"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Function .onInit
    SetRegView 64
FunctionEnd

Function un.onInit
    SetRegView 64
FunctionEnd

Section "RGB Tintora"
    SetOutPath "$INSTDIR"
    File "${SOURCE}\hueloft.exe"
    File "${SOURCE}\swatchy.dll"
    File "${SOURCE}\LICENSE.txt"
    File "${SOURCE}\README.txt"
    ; Tells the program it is installed: each user's settings go to %APPDATA%\hueloft, never
    ; into this folder, even where the folder can be written.
    FileOpen $0 "$INSTDIR\hueloft.installed" w
    FileWrite $0 "Installed by the RGB Tintora installer: settings are kept per user.$\r$\n"
    FileClose $0
    WriteUninstaller "$INSTDIR\uninstall.exe"

    ; The Start-menu entry for every user, as the program is installed for every user.
    SetShellVarContext all
    CreateShortcut "$SMPROGRAMS\RGB Tintora.lnk" "$INSTDIR\hueloft.exe" "" "$INSTDIR\hueloft.exe" 0

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "RGB Tintora"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\hueloft.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KB}
SectionEnd

Section "Uninstall"
    Delete "$INSTDIR\hueloft.exe"
    Delete "$INSTDIR\swatchy.dll"
    Delete "$INSTDIR\LICENSE.txt"
    Delete "$INSTDIR\README.txt"
    Delete "$INSTDIR\hueloft.installed"
    Delete "$INSTDIR\uninstall.exe"
    SetShellVarContext all
    Delete "$SMPROGRAMS\RGB Tintora.lnk"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    ; Not /r: a settings file kept beside the program (where the folder could be written) is
    ; the user's and stays, and the folder with it.
    RMDir "$INSTDIR"
SectionEnd
