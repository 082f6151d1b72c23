// SPDX-License-Identifier: MIT
// hueloft on Windows: RGB Tintora, a small RGB colour editor, in native Win32 on the shared
// core.

#include "editor/settings/externals.h"
#include "editor/win32/frmmain.h"
#include "platform/settingsfacts.h"

#include <commctrl.h>
#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show)
{
    // The standard controls of common controls 6, as the manifest asks.
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    // swatchy is looked for in the program's own folder first.
    DeclaredFunctions functions(platform::programFolder());
    hueloft::win32::MainWindow window(functions);
    if (!hueloft::win32::MainWindow::registerClass(instance) || !window.create(instance))
        return 1;
    window.form().Form_Load();
    ShowWindow(window.handle(), show);
    UpdateWindow(window.handle());

    // IsDialogMessage gives the window Tab, the access keys and the arrow keys of a dialog.
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageW(window.handle(), &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return static_cast<int>(message.wParam);
}
