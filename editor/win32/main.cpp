// SPDX-License-Identifier: MIT
// hueloft on Windows: RGB Tintora, a small RGB colour editor, in native Win32 on the shared
// core.

#include "editor/externals/externals.h"
#include "editor/win32/frmmain.h"
#include "editor/win32/systemsettings.h"
#include "platform/library.h"
#include "platform/settingsfacts.h"

#include <commctrl.h>
#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show)
{
    // Before any library is loaded: none from the current folder or PATH.
    platform::restrictLibrarySearch();

    // The standard controls of common controls 6, as the manifest asks.
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    // swatchy is looked for in the program's own folder only.
    DeclaredFunctions functions({platform::programFolder(), {}});
    hueloft::win32::SystemSettingsStore settings;
    hueloft::win32::MainWindow window(functions, settings);
    if (!hueloft::win32::MainWindow::registerClass(instance) || !window.create(instance))
        return 1;
    window.form().Form_Load();
    ShowWindow(window.handle(), show);
    UpdateWindow(window.handle());

    // IsDialogMessage gives the window Tab, the access keys and the arrow keys of a dialog;
    // it would take a plain letter for an access key too, which it is not here.
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (window.isPlainAccessKey(message))
            continue;
        if (!IsDialogMessageW(window.handle(), &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return static_cast<int>(message.wParam);
}
