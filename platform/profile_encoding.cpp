// SPDX-License-Identifier: MIT
// The INI text (profile_text.h). In this file: a file's bytes and its text: 8-bit files as
// they are, UTF-16 ones (either byte order) to UTF-8 and back, and the line end a file gets
// for its first line.
#include "platform/profile_text.h"

#include "platform/profile_text_scan.h"

namespace platform::profile {

namespace {

void appendUtf8(std::string &out, std::uint32_t c)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

// The character that starts at text[i] and its length in bytes; a byte that starts no
// well-formed sequence is one character of its own value. Three-byte surrogates are taken as
// they are: decodedFile() writes lone ones so.
std::uint32_t nextCharacter(std::string_view text, std::size_t i, std::size_t &length)
{
    const auto byte = [&](std::size_t k) { return std::uint8_t(text[i + k]); };
    const std::uint8_t b = byte(0);
    const std::size_t n = b >= 0xF0 && b <= 0xF4  ? 4
                          : b >= 0xE0 && b < 0xF0 ? 3
                          : b >= 0xC2 && b < 0xE0 ? 2
                                                  : 1;
    length = 1;
    if (n == 1 || i + n > text.size())
        return b;
    std::uint32_t c = b & (0x7F >> n);
    for (std::size_t k = 1; k < n; ++k) {
        if ((byte(k) & 0xC0) != 0x80)
            return b;
        c = (c << 6) | (byte(k) & 0x3F);
    }
    // Overlong forms and values beyond Unicode are no characters.
    if ((n == 3 && c < 0x800) || (n == 4 && (c < 0x10000 || c > 0x10FFFF)))
        return b;
    length = n;
    return c;
}

} // namespace

FileText decodedFile(std::string_view bytes)
{
    FileText file;
    const bool little = bytes.substr(0, 2) == "\xFF\xFE";
    if (!little && bytes.substr(0, 2) != "\xFE\xFF") {
        file.text = bytes;
        return file;
    }
    file.encoding = little ? Encoding::Utf16LittleEndian : Encoding::Utf16BigEndian;
    const std::size_t end = bytes.size() - bytes.size() % 2;
    if (end < bytes.size())
        file.oddByte = bytes.substr(end);
    auto unit = [&](std::size_t at) {
        const auto lo = std::uint8_t(bytes[at + (little ? 0 : 1)]);
        const auto hi = std::uint8_t(bytes[at + (little ? 1 : 0)]);
        return std::uint32_t(hi << 8 | lo);
    };
    file.text.reserve(end);
    for (std::size_t at = 2; at < end; at += 2) {
        std::uint32_t c = unit(at);
        if (c >= 0xD800 && c < 0xDC00 && at + 2 < end) {
            const std::uint32_t low = unit(at + 2);
            if (low >= 0xDC00 && low < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                at += 2;
            }
        }
        appendUtf8(file.text, c);
    }
    return file;
}

std::string encodedFile(const FileText &file)
{
    if (file.encoding == Encoding::Bytes)
        return file.text;
    const bool little = file.encoding == Encoding::Utf16LittleEndian;
    std::string out;
    out.reserve(2 + file.text.size() * 2 + file.oddByte.size());
    auto put = [&](std::uint32_t u) {
        out += char(little ? u & 0xFF : u >> 8);
        out += char(little ? u >> 8 : u & 0xFF);
    };
    put(0xFEFF);
    for (std::size_t i = 0; i < file.text.size();) {
        std::size_t length = 1;
        const std::uint32_t c = nextCharacter(file.text, i, length);
        i += length;
        if (c >= 0x10000) {
            put(0xD800 + ((c - 0x10000) >> 10));
            put(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            put(c);
        }
    }
    out += file.oddByte;
    return out;
}

std::string_view newLineEndFor(Encoding encoding)
{
    return encoding == Encoding::Bytes ? nativeLineEnd : std::string_view("\r\n");
}

} // namespace platform::profile
