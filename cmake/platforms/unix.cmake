# SPDX-License-Identifier: MIT
# Linux and other Unix systems: the editor and the library's colour dialog on Qt Widgets; the
# Windows services the program calls are stood in for by platform/.

find_package(Qt6 REQUIRED COMPONENTS Core Gui Widgets DBus)
qt_standard_project_setup()
# Qt's set-up gives every target the run path $ORIGIN:$ORIGIN/../lib once installed; only the
# program and its private libraries are installed here, each with a run path of its own.
set(CMAKE_INSTALL_RPATH "")

set(HUELOFT_FRONTEND qt)
