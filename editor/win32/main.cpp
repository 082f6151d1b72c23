// SPDX-License-Identifier: MIT
// hueloft on Windows: RGB Tintora, a small RGB colour editor, in native Win32 on the shared
// core.

#include "editor/color/colorparse.h"
#include "editor/core/commandline.h"
#include "editor/externals/externals.h"
#include "editor/resources/buildinfo.h"
#include "editor/win32/console.h"
#include "editor/win32/frmmain.h"
#include "editor/win32/systemsettings.h"
#include "platform/library.h"
#include "platform/settingsfacts.h"

#include <commctrl.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

const char kSettingsNotes[] =
    "Settings and custom colours are kept in HUELOFT.INI, read at start and written\n"
    "at exit. An installed copy keeps each user's own, in %APPDATA%\\hueloft\\; a\n"
    "portable copy keeps it beside hueloft.exe.\n"
    "\n"
    "From a command prompt, \"start /wait hueloft --convert ...\" waits for the answer\n"
    "and sets %ERRORLEVEL%.\n";

// The arguments as the C run-time split the command line, in UTF-8.
std::vector<std::string> arguments()
{
    std::vector<std::string> list;
    for (int i = 0; i < __argc && __wargv && __wargv[i]; ++i) {
        const wchar_t *wide = __wargv[i];
        const int size = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
        std::string narrow(size > 0 ? size - 1 : 0, '\0');
        if (size > 1)
            WideCharToMultiByte(CP_UTF8, 0, wide, -1, narrow.data(), size, nullptr, nullptr);
        list.push_back(std::move(narrow));
    }
    return list;
}

// How many copies already have a window in this log-on session: the lowest number no running
// copy holds, which this copy then holds until it ends. The system frees a slot (a named
// mutex) when its process ends, however it ends.
int takeCopySlot()
{
    constexpr int kSlots = 16;
    for (int slot = 0; slot < kSlots; ++slot) {
        wchar_t name[40];
        wsprintfW(name, L"Local\\hueloft-copy-%d", slot);
        HANDLE mutex = CreateMutexW(nullptr, FALSE, name);
        if (!mutex)
            return 0; // no way to tell: as if alone
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            return slot; // held open until the process ends
        CloseHandle(mutex);
    }
    return kSlots;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show)
{
    // Before any library is loaded: none from the current folder or PATH.
    platform::restrictLibrarySearch();

    const std::vector<std::string> words = arguments();
    std::vector<const char *> argv;
    for (const std::string &word : words)
        argv.push_back(word.c_str());
    using hueloft::CommandLine;
    const CommandLine command = hueloft::readCommandLine(int(argv.size()), argv.data());
    if (command.action != CommandLine::Action::Run) {
        hueloft::win32::Console console;
        switch (command.action) {
        case CommandLine::Action::Help:
            return console.writeOut(hueloft::helpText(kSettingsNotes)) ? 0 : 1;
        case CommandLine::Action::Version:
            return console.writeOut("hueloft " HUELOFT_VERSION "\n") ? 0 : 1;
        case CommandLine::Action::Convert:
            return console.writeOut(hueloft::everyNotation(*command.color)) ? 0 : 1;
        default:
            console.writeError(command.error + "\n");
            return 2;
        }
    }

    // The standard controls of common controls 6, as the manifest asks.
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    // swatchy is looked for in the program's own folder only.
    DeclaredFunctions functions({platform::programFolder(), {}});
    hueloft::win32::SystemSettingsStore settings;
    hueloft::win32::MainWindow window(functions, settings);
    if (!hueloft::win32::MainWindow::registerClass(instance) || !window.create(instance))
        return 1;
    functions.tellProblemsTo([&window](const std::string &line) { window.form().TellProblem(line); });
    window.form().Form_Load();
    if (command.color)
        window.form().ApplyStartColor(*command.color);
    window.form().StepAside(takeCopySlot());
    ShowWindow(window.handle(), show);
    UpdateWindow(window.handle());

    // IsDialogMessage gives the window Tab, the access keys and the arrow keys of a dialog;
    // it would take a plain letter for an access key too, which it is not here.
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (window.isPlainAccessKey(message) || window.tookPasteKey(message))
            continue;
        if (!IsDialogMessageW(window.handle(), &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return static_cast<int>(message.wParam);
}
