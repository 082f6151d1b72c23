// SPDX-License-Identifier: MIT
// The few pieces of the C++ run-time that the Windows programs need, without exceptions.
//
// hueloft.exe and swatchy.dll are built without exceptions (nothing in them catches one, and
// none may cross into a caller that is not C++). The standard library's own code, linked in
// statically, still reports a failed allocation or a misused string by throwing; that would
// bring in the whole exception machinery (unwinder, type information, name demangler: most of
// each file). Here those reports end the process at once instead, which is what an uncaught
// exception did before, and operator new takes its memory from msvcrt's malloc. Nothing in the
// two binaries uses the array forms of new and delete, so they are not replaced.

#include <cstdlib>
#include <new>

void *operator new(std::size_t size)
{
    // As malloc(0) may give a null pointer, and new never does.
    if (void *memory = std::malloc(size ? size : 1))
        return memory;
    std::abort();
}

void *operator new(std::size_t size, const std::nothrow_t &) noexcept
{
    return std::malloc(size ? size : 1);
}

void operator delete(void *memory) noexcept
{
    std::free(memory);
}

void operator delete(void *memory, std::size_t) noexcept
{
    std::free(memory);
}

namespace std {

[[noreturn]] void __throw_bad_alloc()
{
    std::abort();
}

[[noreturn]] void __throw_bad_array_new_length()
{
    std::abort();
}

[[noreturn]] void __throw_length_error(const char *)
{
    std::abort();
}

[[noreturn]] void __throw_logic_error(const char *)
{
    std::abort();
}

[[noreturn]] void __throw_out_of_range_fmt(const char *, ...)
{
    std::abort();
}

} // namespace std
