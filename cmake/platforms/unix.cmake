# SPDX-License-Identifier: MIT
# Linux and other Unix systems: the editor and the library's colour dialog on Qt Widgets; the
# Windows services the program calls are stood in for by platform/.

find_package(Qt6 REQUIRED COMPONENTS Core Gui Widgets)
qt_standard_project_setup()

set(HUELOFT_FRONTEND qt)
