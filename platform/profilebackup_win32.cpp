// SPDX-License-Identifier: MIT
// The exit's save on Windows (profilesave_win32.h), its write in place: the names beside the
// file, whole-file reading and writing, the backup of a write in place and its mending.

#include "platform/profilebackup_win32.h"

#include "platform/profile.h"
#include "platform/systemmessage_win32.h"
#include "platform/tornwrite.h"

#include <sddl.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <string_view>

namespace platform::profilebackup {

std::string failure(const char *what, const std::string &path, DWORD code)
{
    return std::string(what) + " " + path + ": " + systemMessage(code);
}

std::string stemOf(const std::string &path)
{
    const std::size_t slash = path.find_last_of('\\');
    const std::size_t dot = path.find_last_of('.');
    const bool extension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return path.substr(0, extension ? dot : path.size()) + ".~";
}

HANDLE createSideFile(const std::string &name, DWORD access, DWORD flags,
                      SECURITY_ATTRIBUTES *security)
{
    return CreateFileW(wide(name).c_str(), access, 0, security, CREATE_NEW,
                       FILE_FLAG_OPEN_REPARSE_POINT | flags, nullptr);
}

PSECURITY_DESCRIPTOR ownersOnly()
{
    PSECURITY_DESCRIPTOR result = nullptr;
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return nullptr;
    alignas(TOKEN_USER) unsigned char buffer[256];
    DWORD size = 0;
    wchar_t *user = nullptr;
    if (GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size) &&
        ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER *>(buffer)->User.Sid, &user)) {
        const std::wstring text = L"D:P(A;;FRFWSD;;;" + std::wstring(user) + L")";
        ConvertStringSecurityDescriptorToSecurityDescriptorW(text.c_str(), SDDL_REVISION_1,
                                                             &result, nullptr);
        LocalFree(user);
    }
    CloseHandle(token);
    return result;
}

// Whole files (a settings file is at most 64 MiB: the editor refuses larger ones first).
bool readAll(HANDLE file, std::string &text)
{
    LARGE_INTEGER size{}, start{};
    if (!GetFileSizeEx(file, &size) || size.QuadPart > 0x7fffffff ||
        !SetFilePointerEx(file, start, nullptr, FILE_BEGIN))
        return false;
    text.assign(std::size_t(size.QuadPart), '\0');
    std::size_t done = 0;
    while (done < text.size()) {
        DWORD got = 0;
        if (!ReadFile(file, text.data() + done, DWORD(text.size() - done), &got, nullptr) || !got)
            return false;
        done += got;
    }
    return true;
}

namespace {

bool writeAll(HANDLE file, std::string_view text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        DWORD put = 0;
        if (!WriteFile(file, text.data() + done, DWORD(text.size() - done), &put, nullptr) || !put)
            return false;
        done += put;
    }
    return true;
}

} // namespace

bool overwrite(HANDLE file, std::string_view text)
{
    LARGE_INTEGER start{};
    return SetFilePointerEx(file, start, nullptr, FILE_BEGIN) && writeAll(file, text) &&
           SetEndOfFile(file) && FlushFileBuffers(file);
}

namespace {

// ---------------------------------------------------------------------------------------------
// The backup of a write in place: one header line naming the file (volume, index) and giving
// the sizes of the old text and the new and a time that is filled in once both texts are on
// the disk (a backup without it was cut short before the write began), then the old text and
// the new.
//
// It lies beside the file, where anyone who may create files in that folder can put one. The
// old text goes back only when all of these hold, so that neither a planted backup nor a stale
// one of this user's is ever written over a file saved since:
// - the rule lets the program use it (fileplace_win32.h: in a folder others can write, this
//   user's, one name, no link), and it has one name;
// - its header names this file, and it holds exactly the two texts its header announces;
// - its time is filled in;
// - every byte of the file is, at its place, a byte of the old text or of the new one, and the
//   file is neither of them whole: all that a write of the new text over the old can leave.
// No file time is compared (FAT keeps them to two seconds, and removable drives, where portable
// copies live, are FAT): the lock decides. Every save takes the lock and mends first, so no
// save of this program completes over a torn file while its backup waits; the rule keeps other
// users from using a file of this user's in a folder they can write.
// Any other backup is removed and the file kept as it is; so is one of the first format (the
// new text's checksum instead of the texts, no time), which is never believed. One the rule
// refuses is neither read nor removed: it is not this program's.

struct BackupHeader
{
    std::uint64_t volume = 0, indexHigh = 0, indexLow = 0;
    std::uint64_t oldSize = 0, newSize = 0, started = 0;
};

constexpr char kBackupTag[] = "hueloft backup 2";

// The header's time has 16 digits always: it is filled in once both texts are on the disk.
constexpr std::size_t kStartedDigits = 16;

// Both texts and the header, no more.
constexpr std::uint64_t kBackupSizeLimit = 2 * kProfileFileSizeLimit + 200;

std::uint64_t fileTime(const FILETIME &time)
{
    return std::uint64_t(time.dwHighDateTime) << 32 | time.dwLowDateTime;
}

std::string startedDigits(std::uint64_t time)
{
    char digits[kStartedDigits];
    char *end = std::to_chars(digits, digits + sizeof digits, time, 16).ptr;
    return std::string(kStartedDigits - std::size_t(end - digits), '0') + std::string(digits, end);
}

// Numbers in hexadecimal, each after one blank: std::to_chars and std::from_chars, where the
// printf family would bring MinGW's own (tens of kilobytes) into the program.
std::string headerLine(const BackupHeader &h)
{
    std::string line = kBackupTag;
    for (std::uint64_t value : {h.volume, h.indexHigh, h.indexLow, h.oldSize, h.newSize}) {
        char digits[16];
        line += ' ';
        line.append(digits, std::to_chars(digits, digits + sizeof digits, value, 16).ptr);
    }
    return line + ' ' + startedDigits(h.started) + "\r\n";
}

// The length of the header line at the start of Text, 0 when there is none.
std::size_t readHeader(const std::string &text, BackupHeader &h)
{
    if (text.compare(0, sizeof kBackupTag - 1, kBackupTag) != 0)
        return 0;
    const char *at = text.data() + sizeof kBackupTag - 1;
    const char *end = text.data() + text.size();
    for (std::uint64_t *value :
         {&h.volume, &h.indexHigh, &h.indexLow, &h.oldSize, &h.newSize, &h.started}) {
        if (at == end || *at != ' ')
            return 0;
        const std::from_chars_result read = std::from_chars(at + 1, end, *value, 16);
        if (read.ec != std::errc())
            return 0;
        at = read.ptr;
    }
    if (end - at < 2 || at[0] != '\r' || at[1] != '\n')
        return 0;
    return std::size_t(at + 2 - text.data());
}

bool sameFile(const BackupHeader &h, const BY_HANDLE_FILE_INFORMATION &info)
{
    return h.volume == info.dwVolumeSerialNumber && h.indexHigh == info.nFileIndexHigh &&
           h.indexLow == info.nFileIndexLow;
}

// The settings file, to be written over: through the rule, as at the start of the save, so
// that nothing put at its name since (a link, another user's file) is written.
Entry openFile(const std::string &path)
{
    return openEntry(wide(path), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, false);
}

} // namespace

// Under the lock. The backup is read and removed only through the handle the rule gave.
void mendUnderLock(const std::string &path)
{
    Entry backup = openEntry(wide(stemOf(path) + "sv"), GENERIC_READ | DELETE, FILE_SHARE_READ,
                             false);
    if (backup.handle == INVALID_HANDLE_VALUE)
        return; // none, or one the rule refuses: neither read nor removed
    LARGE_INTEGER size{};
    std::string saved;
    const bool believed = backup.info.nNumberOfLinks == 1 &&
                          !(backup.info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                          GetFileSizeEx(backup.handle, &size) &&
                          std::uint64_t(size.QuadPart) <= kBackupSizeLimit &&
                          readAll(backup.handle, saved);
    BackupHeader h;
    const std::size_t headerEnd = believed ? readHeader(saved, h) : 0;
    const std::size_t texts = saved.size() - headerEnd;
    bool done = !(backup.info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    if (headerEnd && h.oldSize <= texts && h.newSize == texts - h.oldSize) {
        const std::string_view oldText = std::string_view(saved).substr(headerEnd, h.oldSize);
        const std::string_view newText = std::string_view(saved).substr(headerEnd + h.oldSize);
        const Entry file = openFile(path);
        std::string now;
        if (file.handle != INVALID_HANDLE_VALUE && sameFile(h, file.info) &&
            !file.info.nFileSizeHigh && file.info.nFileSizeLow <= std::max(h.oldSize, h.newSize) &&
            readAll(file.handle, now) && h.started && now != oldText && now != newText &&
            tornBetween(now, oldText, newText))
            done = overwrite(file.handle, oldText);
        if (file.handle != INVALID_HANDLE_VALUE)
            CloseHandle(file.handle);
    }
    if (done)
        removeOpened(backup.handle);
    CloseHandle(backup.handle);
}

// Text over the file at Path, as described in the header.
std::string writeInPlace(const std::string &path, const std::string &text, bool noBackup)
{
    const Entry opened = openFile(path);
    if (!opened.refusal.empty())
        return "cannot write " + path + ": " + opened.refusal;
    if (opened.handle == INVALID_HANDLE_VALUE)
        return failure("cannot write", path, opened.error);
    HANDLE file = opened.handle;
    const BY_HANDLE_FILE_INFORMATION &info = opened.info;
    std::string old;
    if (!readAll(file, old)) {
        const DWORD error = GetLastError();
        CloseHandle(file);
        return failure("cannot read", path, error);
    }
    const std::string header = headerLine({info.dwVolumeSerialNumber, info.nFileIndexHigh,
                                           info.nFileIndexLow, old.size(), text.size(), 0});
    // The backup holds the old text: only this user may open it.
    PSECURITY_DESCRIPTOR descriptor = ownersOnly();
    SECURITY_ATTRIBUTES security{sizeof security, descriptor, FALSE};
    HANDLE backup = noBackup ? INVALID_HANDLE_VALUE
                             : createSideFile(stemOf(path) + "sv", GENERIC_WRITE | DELETE, 0,
                                              descriptor ? &security : nullptr);
    LocalFree(descriptor);
    bool saved = noBackup || (backup != INVALID_HANDLE_VALUE && writeAll(backup, header) &&
                              writeAll(backup, old) && writeAll(backup, text) &&
                              FlushFileBuffers(backup));
    if (saved && !noBackup) {
        // The time goes in last, once the texts are on the disk: a backup without it was cut
        // short before the write began.
        FILETIME now{};
        GetSystemTimeAsFileTime(&now);
        LARGE_INTEGER at{};
        at.QuadPart = LONGLONG(header.size() - 2 - kStartedDigits);
        saved = SetFilePointerEx(backup, at, nullptr, FILE_BEGIN) &&
                writeAll(backup, startedDigits(fileTime(now))) && FlushFileBuffers(backup);
    }
    DWORD error = GetLastError();
    if (!saved) {
        if (backup != INVALID_HANDLE_VALUE) {
            removeOpened(backup);
            CloseHandle(backup);
        }
        CloseHandle(file);
        return failure("cannot keep the old text of", path, error);
    }
    std::string check;
    const bool written = overwrite(file, text) && readAll(file, check) && check == text;
    error = written ? 0 : GetLastError() ? GetLastError() : ERROR_WRITE_FAULT;
    // A write that fails half-way (a full disk with the file half grown) puts the old text
    // back at once; should that fail too, the backup stays for the next use of the file.
    const bool restored = written || overwrite(file, old);
    CloseHandle(file);
    if (backup != INVALID_HANDLE_VALUE) {
        if (restored)
            removeOpened(backup);
        CloseHandle(backup);
    }
    return written ? std::string() : failure("cannot write", path, error);
}

} // namespace platform::profilebackup
