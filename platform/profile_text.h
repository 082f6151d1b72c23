// SPDX-License-Identifier: MIT
#pragma once

// The INI text itself, apart from any file: one parser that splits the bytes into lines (each
// keeping its own line end bytes) and finds sections and keys, used by reading and writing
// alike. Every function takes time linear in the size of the text.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::profile {

// [begin, contentEnd) is the line's text, [contentEnd, end) its own line end (CRLF, LF, CR
// or nothing for a last line without one).
struct Line
{
    std::size_t begin = 0;
    std::size_t contentEnd = 0;
    std::size_t end = 0;
};

// Where a section and a key are in the text.
struct Location
{
    bool sectionFound = false;
    Line header;                // the first header that matches
    std::size_t sectionEnd = 0; // where the next header starts, or the text's end; only
                                // known when the key was not found
    bool keyFound = false;
    Line keyLine;               // the first key line that matches, within that section
    std::size_t valueBegin = 0; // the value without its surrounding blanks
    std::size_t valueEnd = 0;
    bool hasKeys = false; // when the key was not found: whether the section has key lines,
    Line lastKey;         // and the last of them
};

// Drops the spaces (only spaces) around a name given by a caller.
std::string_view trimArgument(std::string_view name);

// The line starting at pos (pos < text.size()).
Line lineAt(std::string_view text, std::size_t pos);

// Finds section, and key in it unless key is empty (the whole section is then scanned).
// The names must already be trimmed with trimArgument(). The search starts at the line that
// begins at From: a caller that knows where the first matching header is can skip the lines
// before it, which cannot change the result.
Location locate(std::string_view text, std::string_view section,
                std::optional<std::string_view> key, std::size_t from = 0);

// The name of the section a header line opens, or nothing for any other line. Content is the
// line without its line end.
std::optional<std::string_view> headerName(std::string_view content);

// A name with its ASCII letters in lower case: the form in which names compare.
std::string foldedName(std::string_view name);

// Where the first header of Section begins, or nothing: one pass over the text that looks at
// nothing but the first character of each line until a header matches.
std::optional<std::size_t> firstSection(std::string_view text, std::string_view section);

// The value as the string read gives it: one pair of matching outer quotes removed.
std::string_view unquote(std::string_view value);

// The integer read of a value (already unquoted); an empty value gives defaultValue.
std::uint32_t readInteger(std::string_view value, std::uint32_t defaultValue);

// The line end that lines added to text get: the first one the text uses, else the
// platform's own.
std::string_view lineEndOf(std::string_view text);

// One write, held until the file is written: names already trimmed with trimArgument().
struct Edit
{
    std::string section;
    std::optional<std::string> key;   // none: the whole section goes
    std::optional<std::string> value; // none: the key goes
};

// The text after the edits, applied in order, one after the other (a missing value deletes the
// key, a missing key the section), or nothing when none of them changes a byte. One pass over the text whatever the
// number of edits: only the sections the edits name are copied and changed, the rest of the
// text is copied once into the result. Lines added to a text without any line end get
// LineEnd, or the platform's own when it is empty.
std::optional<std::string> editedAll(std::string_view text, const std::vector<Edit> &edits,
                                     std::string_view lineEnd = {});

// How a file's bytes hold its text. A file that starts with a UTF-16 byte-order mark (FF FE
// little-endian, as Notepad saves "Unicode"; FE FF big-endian) is UTF-16 in that order, as for
// the Windows profile functions; any other file is 8-bit text, its bytes as they are.
enum class Encoding { Bytes, Utf16LittleEndian, Utf16BigEndian };

struct FileText
{
    Encoding encoding = Encoding::Bytes;
    // The text the functions above read and edit. From UTF-16, converted to UTF-8 (ASCII one
    // to one, the line ends as they were); a code unit that is no character (a lone
    // surrogate) takes the same three-byte form as the others, so that nothing is lost.
    std::string text;
    std::string oddByte; // a UTF-16 file's last byte when it has an odd number of them
};

// Whether the bytes of a file are UTF-16: a byte-order mark first.
inline bool isWide(std::string_view bytes)
{
    return bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF";
}

// The file's text; one pass, and none at all for an 8-bit file but the copy.
FileText decodedFile(std::string_view bytes);

// The file's bytes for its text: an 8-bit file as the text is; a UTF-16 one with its byte
// order mark, each character of the UTF-8 text as its UTF-16 code units, a byte that does not
// start a UTF-8 character as the Latin-1 character of that value, and the odd byte last.
// decodedFile() of the result gives the text back, unless it had such bytes.
std::string encodedFile(const FileText &file);

// The line end for lines added to a file that has none yet: CRLF for UTF-16 (such files come
// from Windows), the platform's own otherwise.
std::string_view newLineEndFor(Encoding encoding);

} // namespace platform::profile
