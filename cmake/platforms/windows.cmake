# SPDX-License-Identifier: MIT
# Windows: native Win32, no toolkit. The program's platform services are the system's own
# (profile functions, SetWindowPos, ChooseColorA, LoadLibraryW), so only the toolkit-free code
# is built, with the Win32 front-end.

set(HUELOFT_FRONTEND win32)

# Windows 7 and later; wide-character functions by default, the ANSI ones named explicitly.
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)

if(MINGW)
    # The compiler's own run-time (libgcc, libstdc++, winpthread) goes into each binary, so
    # that nothing but the system's DLLs is imported and the two files run anywhere.
    add_link_options(-static -static-libgcc -static-libstdc++)
    # Small files: no exceptions or run-time type information (nothing catches one; the
    # library functions that would throw end the process instead, platform/cxxruntime_win32.cpp),
    # no locks around the first use of a function's static data (the programs have one thread),
    # and every function and datum not reached left out.
    add_compile_options(-fno-exceptions -fno-rtti -fno-threadsafe-statics
                        -ffunction-sections -fdata-sections)
    add_link_options(-Wl,--gc-sections)
    # No link time in the file header: the same source gives the same file.
    add_link_options(-Wl,--no-insert-timestamp)
endif()

# The symbol tables are for debugging, which a size-optimised build is not for.
add_link_options($<$<CONFIG:MinSizeRel,Release>:-s>)
