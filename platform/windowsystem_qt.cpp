// SPDX-License-Identifier: MIT
#include "platform/windowsystem.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

namespace platform {

int SetWindowPos(std::uintptr_t window, std::intptr_t insertAfter, int, int, int, int,
                 unsigned flags)
{
    QWidget *widget = QWidget::find(static_cast<WId>(window));
    if (!widget || !widget->isWindow())
        return 0;

    if (insertAfter == HWND_TOPMOST || insertAfter == HWND_NOTOPMOST) {
        const bool onTop = insertAfter == HWND_TOPMOST;
        Qt::WindowFlags windowFlags = widget->windowFlags();
        windowFlags.setFlag(Qt::WindowStaysOnTopHint, onTop);
        // QWidget::setWindowFlags() would hide and re-create the window, which can move it;
        // changing the flags of the native window only restacks it.
        widget->overrideWindowFlags(windowFlags);
        if (QWindow *handle = widget->windowHandle())
            handle->setFlags(windowFlags);
    }
    if (flags & SWP_SHOWWINDOW)
        widget->show();
    return 1;
}

WindowSystem windowSystemNamed(std::string_view platformName)
{
    WindowSystem system;
    system.name = std::string(platformName);
    // Qt's Wayland plug-ins are "wayland", "wayland-egl", "wayland-xcomposite-glx" and so on.
    if (platformName == "wayland" || platformName.starts_with("wayland-")) {
        system.placesWindows = false;
        system.keepsWindowsOnTop = false;
    }
    return system;
}

WindowSystem currentWindowSystem()
{
    return windowSystemNamed(QGuiApplication::platformName().toStdString());
}

} // namespace platform
