# SPDX-License-Identifier: MIT
# Install rules: the program, its private library swatchy, the desktop entry, the icons, the
# AppStream metainfo and the licence. No development files: nothing else builds against
# swatchy, and the program loads it by name.

include(GNUInstallDirs)

get_target_property(hueloft_app_id hueloft_resources HUELOFT_APP_ID)
get_target_property(hueloft_private_libdir hueloft_resources HUELOFT_PRIVATE_LIBDIR)
get_target_property(hueloft_icon_dir hueloft_resources HUELOFT_ICON_DIR)
get_target_property(hueloft_icon_sizes hueloft_resources HUELOFT_ICON_SIZES)

install(TARGETS hueloft RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
if(NOT WIN32)
    # The profile functions that the program and swatchy share; Windows has its own.
    install(TARGETS hueloft_profile LIBRARY DESTINATION "${hueloft_private_libdir}")
endif()
if(TARGET swatchy)
    # On Windows the DLL goes beside the program, where the loader looks first.
    install(TARGETS swatchy
        RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}"
        LIBRARY DESTINATION "${hueloft_private_libdir}")
endif()

# The program links none of its private libraries: it loads swatchy and the profile library by
# absolute path from its own folder or lib/hueloft (see installdirs.h), so that neither
# LD_LIBRARY_PATH nor a folder name too long for the loader's run path decides which loads.
# It needs no run path, and has none.
if(UNIX AND NOT APPLE)
    set_target_properties(hueloft PROPERTIES SKIP_BUILD_RPATH ON INSTALL_RPATH "")
endif()

install(FILES "${PROJECT_SOURCE_DIR}/editor/resources/${hueloft_app_id}.desktop"
    DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
install(FILES "${PROJECT_BINARY_DIR}/editor/resources/${hueloft_app_id}.metainfo.xml"
    DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")
# hicolor has no 20 x 20 folder; that size is for Windows at 125 %.
foreach(size IN LISTS hueloft_icon_sizes)
    if(size EQUAL 20)
        continue()
    endif()
    install(FILES "${hueloft_icon_dir}/hueloft-${size}.png"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps"
        RENAME "${hueloft_app_id}.png")
endforeach()
install(FILES "${hueloft_icon_dir}/hueloft.svg"
    DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps"
    RENAME "${hueloft_app_id}.svg")
# The manual page, compressed as distributions install manual pages (gzip -9n: no file name,
# no time, so the same page gives the same file).
find_program(GZIP_PROGRAM gzip)
if(UNIX AND NOT APPLE)
    set(hueloft_man_page "${PROJECT_SOURCE_DIR}/docs/hueloft.1")
    if(GZIP_PROGRAM)
        set(hueloft_man_gz "${PROJECT_BINARY_DIR}/docs/hueloft.1.gz")
        add_custom_command(OUTPUT "${hueloft_man_gz}"
            COMMAND "${CMAKE_COMMAND}" -E make_directory "${PROJECT_BINARY_DIR}/docs"
            COMMAND "${CMAKE_COMMAND}" -E copy "${hueloft_man_page}" "${PROJECT_BINARY_DIR}/docs/hueloft.1"
            COMMAND "${GZIP_PROGRAM}" -9nf "${PROJECT_BINARY_DIR}/docs/hueloft.1"
            DEPENDS "${hueloft_man_page}"
            COMMENT "Compressing the manual page"
            VERBATIM)
        add_custom_target(hueloft_man_page ALL DEPENDS "${hueloft_man_gz}")
        install(FILES "${hueloft_man_gz}" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
    else()
        install(FILES "${hueloft_man_page}" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
    endif()
endif()

# "copyright" is the name Debian gives the licence of a package.
install(FILES "${PROJECT_SOURCE_DIR}/LICENSE"
    DESTINATION "${CMAKE_INSTALL_DOCDIR}"
    RENAME copyright)
