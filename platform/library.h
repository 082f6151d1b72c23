// SPDX-License-Identifier: MIT
#pragma once

// Loading a library by name and finding an entry point in it by name, as the editor's table of
// declared functions needs. On Windows these are LoadLibraryExW and GetProcAddress. Elsewhere
// "user32" is the platform layer's own stand-in (window stacking), "kernel32" its shared profile
// library libhueloft-profile.so, and any other name a shared library: "swatchy.dll" is
// libswatchy.so.
//
// A library, once loaded, stays loaded until the process ends.

#include <string>
#include <string_view>

// The calling convention of the functions found this way: the Windows standard one where it
// differs from the default (32-bit Windows).
#if defined(_WIN32)
#define PLATFORM_CALL __stdcall
#else
#define PLATFORM_CALL
#endif

namespace platform {

struct Library;

// Where the program's own libraries are looked for, as bytes: its own folder, then (Linux)
// where an installation keeps its private libraries; empty when there is no such place. The
// caller knows the installation's layout; this layer only searches.
struct LibraryFolders
{
    std::string program;
    std::string installed;
};

// A declared library name without its ".dll" or ".DLL": what a message calls the library, and
// on Linux the base of its file name ("swatchy.dll": "swatchy", libswatchy.so).
inline std::string_view withoutDllSuffix(std::string_view name)
{
    if (name.size() > 4 && (name.ends_with(".dll") || name.ends_with(".DLL")))
        name.remove_suffix(4);
    return name;
}

// Loads the library of that declared name. On Linux it is looked for only in Folder (the
// program's own, as bytes) and then where an installation keeps its private libraries, by
// absolute path, a path too long for the system through its folder; a copy that is there but
// cannot be loaded is not passed over for another. The profile library is loaded first,
// whichever is asked for. On Windows any library but the system's own is loaded from the
// program's folder only. Null on failure, with one line of reason, naming the file, in error;
// error is left empty when that reason has been given already (the profile library's).
Library *loadLibrary(std::u16string_view name, const LibraryFolders &folders, std::string &error);

// Call once at start, before any library is loaded: on Windows no later load of the process
// (its own or the system libraries') searches the current folder or PATH. Nothing elsewhere.
void restrictLibrarySearch();

// Frees what loadLibrary allocated; the library itself stays loaded.
void forgetLibrary(Library *library);

// The address of the entry point of that exact name (case included), or null.
void *libraryEntry(Library &library, const char *entry);

// The file the library was loaded from; empty for the stand-ins, which have none.
std::string libraryFileName(const Library &library);

// Why the profile write to fileName that this thread has just seen fail failed, in one line
// naming the file; empty when not known. Ask at once: the next system call may change it.
std::string lastProfileWriteError(const std::string &fileName);

// Whether the result of a profile flush (WritePrivateProfileStringA with section, key and value
// all null) tells success from failure. Windows's flush returns zero whenever it flushes, so
// there every write has to speak for itself.
bool profileFlushResultTells();

} // namespace platform
