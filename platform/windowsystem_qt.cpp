// SPDX-License-Identifier: MIT
#include "platform/windowsystem.h"

#include <QGuiApplication>

namespace platform {

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
