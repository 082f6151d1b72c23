// SPDX-License-Identifier: MIT
#include "editor/qt/copyslot_posix.h"

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <string>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

// A slot is a name in the abstract Unix socket namespace: bound by one process at a time, and
// freed by the system when that process ends, however it ends. Nothing is made in the file
// system. The name holds the user and the display, so that copies on another display or of
// another user (a test's X server, a second seat) are no reason to step aside.
int takeCopySlot()
{
    const char *display = std::getenv("WAYLAND_DISPLAY");
    if (!display || !*display)
        display = std::getenv("DISPLAY");
    const std::string prefix =
        "hueloft-copy-" + std::to_string(::getuid()) + "-" + (display ? display : "") + "-";
    constexpr int kSlots = 16;
    for (int slot = 0; slot < kSlots; ++slot) {
        const std::string name = prefix + std::to_string(slot);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        if (name.size() + 1 > sizeof address.sun_path)
            return 0;
        name.copy(address.sun_path + 1, name.size()); // sun_path[0] stays 0: abstract
        const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (socket < 0)
            return 0;
        const auto length = socklen_t(offsetof(sockaddr_un, sun_path) + 1 + name.size());
        if (::bind(socket, reinterpret_cast<const sockaddr *>(&address), length) == 0)
            return slot; // held open until the process ends
        const int error = errno;
        ::close(socket);
        if (error != EADDRINUSE)
            return 0; // no way to tell: as if alone
    }
    return kSlots;
}
