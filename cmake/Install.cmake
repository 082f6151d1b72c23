# SPDX-License-Identifier: MIT
# Install rules: the program, its private library swatchy, the desktop entry, the icons, the
# AppStream metainfo and the licence. No development files: nothing else builds against
# swatchy, and the program loads it by name.

include(GNUInstallDirs)

get_target_property(hueloft_app_id hueloft_resources HUELOFT_APP_ID)
get_target_property(hueloft_private_libdir hueloft_resources HUELOFT_PRIVATE_LIBDIR)
get_target_property(hueloft_icon_dir hueloft_resources HUELOFT_ICON_DIR)
get_target_property(hueloft_icon_sizes hueloft_resources HUELOFT_ICON_SIZES)

# An uninstaller for this one installation, written last, when the list of what was installed
# is complete: share/hueloft/uninstall.sh removes exactly those files, and the folders the
# installation made once they are empty, found from its own place, so that it works where the
# installation was moved as a whole. CMake's install_manifest.txt cannot serve: it lists the
# last installation from the build folder, and cpack overwrites it with the package's paths.
# The package has no such script (apt removes it); cpack sets HUELOFT_PACKAGING.
set(CPACK_CUSTOM_INSTALL_VARIABLES "HUELOFT_PACKAGING=1")
set(hueloft_folders "${CMAKE_INSTALL_BINDIR}" "${hueloft_private_libdir}"
    "${CMAKE_INSTALL_DATADIR}/applications" "${CMAKE_INSTALL_DATADIR}/metainfo"
    "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps" "${CMAKE_INSTALL_MANDIR}/man1"
    "${CMAKE_INSTALL_DOCDIR}" "${CMAKE_INSTALL_DATADIR}/hueloft")
foreach(size IN LISTS hueloft_icon_sizes)
    list(APPEND hueloft_folders "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps")
endforeach()
# Before the first file: which of those folders, and of the folders above them, are new.
install(CODE "set(hueloft_folders \"${hueloft_folders}\")
if(NOT HUELOFT_PACKAGING)
    set(hueloft_made_folders \"\")
    foreach(folder IN LISTS hueloft_folders)
        while(NOT folder STREQUAL \"\" AND NOT folder STREQUAL \".\")
            if(NOT IS_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/\${folder}\")
                list(APPEND hueloft_made_folders \"\${folder}\")
            endif()
            get_filename_component(folder \"\${folder}\" DIRECTORY)
        endwhile()
    endforeach()
    # An installation over an earlier one keeps the folders that one made.
    set(hueloft_earlier \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/hueloft/uninstall.sh\")
    if(EXISTS \"\${hueloft_earlier}\")
        file(STRINGS \"\${hueloft_earlier}\" hueloft_line REGEX \"^# made: \")
        string(REGEX REPLACE \"^# made: \" \"\" hueloft_earlier \"\${hueloft_line}\")
        list(APPEND hueloft_made_folders \${hueloft_earlier})
    endif()
    list(REMOVE_DUPLICATES hueloft_made_folders)
endif()")

# An installation holds the program as the package does, without symbols and debug
# information: cmake --install strips as --strip would. The build tree keeps them.
option(HUELOFT_INSTALL_STRIP "cmake --install strips the program and its libraries" ON)
if(HUELOFT_INSTALL_STRIP)
    install(CODE "set(CMAKE_INSTALL_DO_STRIP TRUE)")
endif()

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

# Last: the uninstaller itself, from the list of what was installed.
set(hueloft_uninstaller "${CMAKE_INSTALL_DATADIR}/hueloft/uninstall.sh")
string(REGEX REPLACE "[^/]+" ".." hueloft_up "${CMAKE_INSTALL_DATADIR}/hueloft")
set(hueloft_code [[
if(NOT HUELOFT_PACKAGING)
    set(hueloft_root "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
    set(hueloft_script "${hueloft_root}/@hueloft_uninstaller@")
    # Every path is written relative to the prefix, found by plain comparison (a prefix may
    # hold any character, none of them special here), and quoted for sh.
    set(hueloft_files "")
    foreach(file IN LISTS CMAKE_INSTALL_MANIFEST_FILES ITEMS "@hueloft_uninstaller@")
        set(hueloft_relative "")
        foreach(root IN ITEMS "${hueloft_root}" "${CMAKE_INSTALL_PREFIX}")
            string(LENGTH "${root}/" hueloft_length)
            string(SUBSTRING "${file}" 0 ${hueloft_length} hueloft_head)
            if(hueloft_head STREQUAL "${root}/")
                string(SUBSTRING "${file}" ${hueloft_length} -1 hueloft_relative)
                break()
            endif()
        endforeach()
        if(NOT IS_ABSOLUTE "${file}")
            set(hueloft_relative "${file}")
        endif()
        if(hueloft_relative STREQUAL "")
            message(FATAL_ERROR "${file} lies outside ${hueloft_root}: the uninstaller would not find it")
        endif()
        string(REPLACE "'" "'\\''" hueloft_relative "${hueloft_relative}")
        string(APPEND hueloft_files " \\\n    '${hueloft_relative}'")
    endforeach()
    list(SORT hueloft_made_folders)
    list(REVERSE hueloft_made_folders)
    set(hueloft_rmdirs "")
    foreach(folder IN LISTS hueloft_made_folders)
        string(REPLACE "'" "'\\''" folder "${folder}")
        string(APPEND hueloft_rmdirs " '${folder}'")
    endforeach()
    message(STATUS "Installing: ${hueloft_script}")
    file(WRITE "${hueloft_script}" "#!/bin/sh
# Removes this installation of hueloft: the files it installed and the folders it made, once
# they are empty, relative to where this script stands. Settings in ~/.config/hueloft are
# each user's own and stay. Exits with 1, naming what is left, when something stays.
# made: ${hueloft_made_folders}
set -u
# Only as the file it is, from its own place: not through a link (it would remove what lies
# around the link), not from standard input.
case \"$0\" in
*/*) here=\"\${0%/*}\" ;;
*) here=. ;;
esac
if [ -L \"$0\" ] || ! [ -f \"$0\" ] || ! [ \"$here/@hueloft_up@/@hueloft_uninstaller@\" -ef \"$0\" ]; then
    echo \"uninstall.sh: run it as <prefix>/@hueloft_uninstaller@ itself, not through a link or from standard input; nothing removed\" >&2
    exit 1
fi
# The prefix as the script was reached, not where links in it lead: a share/ that is a link to
# another tree must not make that tree's parent (perhaps another installation) the prefix.
cd -L -- \"$here/@hueloft_up@\" || exit 1
# The folder's name as it is, a trailing newline included.
prefix=$(pwd -L; echo .)
prefix=\${prefix%??}
status=0
# Whether a folder on the way from the prefix to File is a link: nothing is removed through one.
linked() {
    path=\${1%/*}
    while [ \"$path\" != \"$1\" ]; do
        [ -L \"$path\" ] && return 0
        case $path in */*) path=\${path%/*} ;; *) return 1 ;; esac
    done
    return 1
}
for file in${hueloft_files}; do
    if linked \"$file\"; then
        echo \"not removed: $prefix/$file (a folder on its way is a symbolic link)\" >&2
        status=1
    elif [ -e \"$file\" ] || [ -L \"$file\" ]; then
        if rm -f -- \"$file\" && ! [ -e \"$file\" ] && ! [ -L \"$file\" ]; then
            echo \"removed $prefix/$file\"
        else
            echo \"not removed: $prefix/$file\" >&2
            status=1
        fi
    fi
done
for folder in${hueloft_rmdirs}; do
    # Not through a link put on its way meanwhile, nor a link in its place.
    if ! linked \"$folder/.\" && ! [ -L \"$folder\" ]; then
        rmdir -- \"$folder\" 2>/dev/null || true
    fi
done
exit $status
")
    file(CHMOD "${hueloft_script}" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
         GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
    list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${hueloft_script}")
endif()
]])
string(CONFIGURE "${hueloft_code}" hueloft_code @ONLY)
install(CODE "${hueloft_code}")
