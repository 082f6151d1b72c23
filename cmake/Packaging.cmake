# SPDX-License-Identifier: MIT
# A Debian package built by CPack from the install rules (cpack -G DEB in the build folder),
# and the Windows version record and icon linked into the program when built for Windows.

set(HUELOFT_MAINTAINER "hueloft maintainers" CACHE STRING
    "Maintainer field of the Debian package (name <address> of whoever publishes it)")

set(CPACK_PACKAGE_NAME hueloft)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "${HUELOFT_COMPANY}")
set(CPACK_PACKAGE_CONTACT "${HUELOFT_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "RGB color editor that copies colors as program code")
# One line each in the package's description, which Debian wants within 80 columns.
set(CPACK_PACKAGE_DESCRIPTION [[
RGB Tintora mixes a color from red, green and blue with scroll bars or number
boxes, shows it in a large sample and copies it to the clipboard as an RGB
macro, a hexadecimal constant in C/C++, Pascal, Basic or assembler notation,
an HTML color or a bitmap. A color dialog keeps sixteen custom colors from one
run to the next.]])
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)

set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${HUELOFT_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The run-time dependencies (Qt and the C++ library) come from dpkg-shlibdeps. Qt's Wayland
# plug-in lets the program run as a Wayland client on a Wayland desktop, instead of through
# Xwayland.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
# The Debian changelog, written with the maintainer the package is made with, and no ldconfig
# calls for the private library folder.
set(CPACK_INSTALL_SCRIPTS "${PROJECT_SOURCE_DIR}/cmake/DebianChangelog.cmake")
set(CPACK_POST_BUILD_SCRIPTS "${PROJECT_SOURCE_DIR}/cmake/DebianMaintainerScripts.cmake")

# The package's times: SOURCE_DATE_EPOCH, by default the commit's time (cmake/PackageDate.cmake).
find_package(Git QUIET)
set(CPACK_HUELOFT_GIT "${GIT_EXECUTABLE}")
set(CPACK_HUELOFT_SOURCE_DIR "${PROJECT_SOURCE_DIR}")
set(CPACK_PROJECT_CONFIG_FILE "${PROJECT_SOURCE_DIR}/cmake/PackageDate.cmake")

include(CPack)

if(WIN32)
    get_target_property(hueloft_rc hueloft_resources HUELOFT_RC_FILE)
    target_sources(hueloft PRIVATE "${hueloft_rc}")
    # The version record pulls in the generated .ico.
    add_dependencies(hueloft hueloft_icons)
endif()
