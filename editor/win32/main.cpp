// SPDX-License-Identifier: MIT
// hueloft on Windows, before it has a window of its own: it runs the main window's start-up
// and shut-down sequences on controls held in memory, so that the settings file and swatchy's
// custom colours make the round trip through the system's own functions. It shows nothing.

#include "editor/core/mainform.h"
#include "editor/core/memoryview.h"
#include "editor/settings/externals.h"

#include <windows.h>

#include <string>

namespace {

// The program's folder in the system's ANSI code page, as the profile functions take it.
std::string programFolder()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    path.resize(path.find_last_of(L'\\') == std::wstring::npos ? 0 : path.find_last_of(L'\\'));
    const int size =
        WideCharToMultiByte(CP_ACP, 0, path.data(), int(path.size()), nullptr, 0, nullptr, nullptr);
    std::string folder(size > 0 ? size : 0, '\0');
    if (size > 0)
        WideCharToMultiByte(CP_ACP, 0, path.data(), int(path.size()), folder.data(), size, nullptr,
                            nullptr);
    return folder;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    const std::string folder = programFolder();
    DeclaredFunctions functions(folder);
    hueloft::MemoryView controls;
    // The file name is appended to the folder as the system gives it.
    controls.location = {folder + "\\HUELOFT.INI", false, {}};
    controls.screen = {GetSystemMetrics(SM_CXSCREEN) * 15LL, GetSystemMetrics(SM_CYSCREEN) * 15LL};
    hueloft::MainForm form(controls, functions);
    controls.attach(form);
    form.Form_Load();
    form.cmdExit_Click();
    return 0;
}
