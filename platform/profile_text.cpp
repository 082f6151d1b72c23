// SPDX-License-Identifier: MIT
#include "platform/profile_text.h"

#include <algorithm>
#include <unordered_map>

namespace platform::profile {

namespace {

#ifdef _WIN32
constexpr std::string_view nativeLineEnd = "\r\n";
#else
constexpr std::string_view nativeLineEnd = "\n";
#endif

// The blanks that the file's own text may have around names and values.
bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\v';
}

std::string_view trimBlanks(std::string_view s)
{
    std::size_t b = 0;
    std::size_t e = s.size();
    while (b < e && isBlank(s[b]))
        ++b;
    while (e > b && isBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

char asciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

// Only ASCII letters fold: other bytes must match exactly, whatever the locale.
bool sameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return asciiLower(x) == asciiLower(y);
           });
}

} // namespace

std::string_view trimArgument(std::string_view name)
{
    const std::size_t b = name.find_first_not_of(' ');
    if (b == std::string_view::npos)
        return {};
    return name.substr(b, name.find_last_not_of(' ') - b + 1);
}

Line lineAt(std::string_view text, std::size_t pos)
{
    Line line;
    line.begin = pos;
    std::size_t i = pos;
    while (i < text.size() && text[i] != '\n' && text[i] != '\r')
        ++i;
    line.contentEnd = i;
    if (i < text.size()) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            i += 2;
        else
            ++i;
    }
    line.end = i;
    return line;
}

std::optional<std::string_view> headerName(std::string_view content)
{
    std::size_t first = 0;
    while (first < content.size() && isBlank(content[first]))
        ++first;
    if (first == content.size() || content[first] != '[')
        return std::nullopt;
    // A missing ']' is tolerated: the name then runs to the end of the line.
    const std::string_view rest = content.substr(first + 1);
    return trimBlanks(rest.substr(0, rest.find(']')));
}

std::string foldedName(std::string_view name)
{
    std::string folded(name);
    std::transform(folded.begin(), folded.end(), folded.begin(), asciiLower);
    return folded;
}

namespace {

// Calls visit(begin, content) for each line whose first non-blank character is '[', in order,
// until visit returns true; returns that line's begin or nothing. Other lines cost a look at
// their first bytes and a search for their end.
template<typename Visit>
std::optional<std::size_t> forEachHeader(std::string_view text, Visit visit)
{
    const char *const data = text.data();
    const std::size_t size = text.size();
    std::size_t pos = 0;
    while (pos < size) {
        std::size_t first = pos;
        while (first < size && isBlank(data[first]))
            ++first;
        // The end of this line: the first CR or LF from here.
        std::size_t end = first;
        while (end < size && data[end] != '\n' && data[end] != '\r')
            ++end;
        if (first < end && data[first] == '[' && visit(pos, text.substr(pos, end - pos)))
            return pos;
        if (end < size && data[end] == '\r' && end + 1 < size && data[end + 1] == '\n')
            pos = end + 2;
        else
            pos = end + 1;
    }
    return std::nullopt;
}

} // namespace

std::optional<std::size_t> firstSection(std::string_view text, std::string_view section)
{
    return forEachHeader(text, [&](std::size_t, std::string_view content) {
        const auto name = headerName(content);
        return name && sameName(*name, section);
    });
}

Location locate(std::string_view text, std::string_view section,
                std::optional<std::string_view> key, std::size_t from)
{
    Location at;
    bool inSection = false;
    for (std::size_t pos = from; pos < text.size();) {
        const Line line = lineAt(text, pos);
        pos = line.end;
        const std::string_view content = text.substr(line.begin, line.contentEnd - line.begin);
        std::size_t first = 0;
        while (first < content.size() && isBlank(content[first]))
            ++first;
        if (first == content.size())
            continue;

        if (const auto name = headerName(content)) {
            if (inSection) {
                at.sectionEnd = line.begin;
                return at;
            }
            if (sameName(*name, section)) {
                at.sectionFound = true;
                at.header = line;
                inSection = true;
            }
            continue;
        }
        if (!inSection || content[first] == ';')
            continue;
        const std::size_t equals = content.find('=', first);
        if (equals == std::string_view::npos)
            continue;
        if (key && sameName(trimBlanks(content.substr(first, equals - first)), *key)) {
            at.keyFound = true;
            at.keyLine = line;
            const std::string_view value = trimBlanks(content.substr(equals + 1));
            at.valueBegin = line.begin + std::size_t(value.data() - content.data());
            at.valueEnd = at.valueBegin + value.size();
            return at;
        }
        at.hasKeys = true;
        at.lastKey = line;
    }
    at.sectionEnd = text.size();
    return at;
}

std::string_view unquote(std::string_view value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

std::uint32_t readInteger(std::string_view value, std::uint32_t defaultValue)
{
    if (value.empty())
        return defaultValue;
    std::size_t i = 0;
    while (i < value.size() && isBlank(value[i]))
        ++i;
    bool negative = false;
    if (i < value.size() && (value[i] == '+' || value[i] == '-')) {
        negative = value[i] == '-';
        ++i;
    }
    // Unsigned arithmetic wraps modulo 2^32 by itself, which is what the digits must do.
    std::uint32_t result = 0;
    if (value.substr(i, 2) == "0x") {
        for (i += 2; i < value.size(); ++i) {
            const char c = asciiLower(value[i]);
            if (c >= '0' && c <= '9')
                result = result * 16 + std::uint32_t(c - '0');
            else if (c >= 'a' && c <= 'f')
                result = result * 16 + std::uint32_t(c - 'a' + 10);
            else
                break;
        }
    } else {
        for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i)
            result = result * 10 + std::uint32_t(value[i] - '0');
    }
    return negative ? 0u - result : result;
}

std::string_view lineEndOf(std::string_view text)
{
    const std::size_t i = text.find_first_of("\r\n");
    if (i == std::string_view::npos)
        return nativeLineEnd;
    if (text[i] == '\n')
        return "\n";
    return (i + 1 < text.size() && text[i + 1] == '\n') ? "\r\n" : "\r";
}

std::optional<std::string> edited(std::string_view text, std::string_view section,
                                  std::optional<std::string_view> key,
                                  std::optional<std::string_view> value,
                                  std::string_view lineEnd)
{
    const Location at = locate(text, section, key);
    std::string out;

    if (!key) {
        if (!at.sectionFound)
            return std::nullopt;
        // The whole block goes, comments and other lines of the section included.
        out.reserve(text.size());
        out.append(text.substr(0, at.header.begin)).append(text.substr(at.sectionEnd));
        return out;
    }

    if (!value) {
        if (!at.keyFound)
            return std::nullopt;
        out.reserve(text.size());
        out.append(text.substr(0, at.keyLine.begin)).append(text.substr(at.keyLine.end));
        return out;
    }

    if (at.keyFound) {
        // Everything before the value stays as the file spells it; the old value and any
        // blanks after it give way to the new value; the line keeps its own line end.
        const std::string_view old =
            text.substr(at.valueBegin, at.keyLine.contentEnd - at.valueBegin);
        if (old == *value)
            return std::nullopt;
        out.reserve(text.size() + value->size());
        out.append(text.substr(0, at.valueBegin))
            .append(*value)
            .append(text.substr(at.keyLine.contentEnd));
        return out;
    }

    std::size_t insertAt = text.size();
    bool needsLineEnd = !text.empty() && text.back() != '\n' && text.back() != '\r';
    if (at.sectionFound) {
        const Line &after = at.hasKeys ? at.lastKey : at.header;
        insertAt = after.end;
        needsLineEnd = after.contentEnd == after.end;
    }
    out.reserve(text.size() + section.size() + key->size() + value->size() + 8);
    out.append(text.substr(0, insertAt));
    if (needsLineEnd)
        out.append(lineEnd);
    if (!at.sectionFound)
        out.append("[").append(section).append("]").append(lineEnd);
    out.append(*key).append("=").append(*value).append(lineEnd);
    out.append(text.substr(insertAt));
    return out;
}

namespace {

// The text cut at the headers of the sections the edits name: each such section (its header
// up to the next header of any name) is a piece of its own that the edits change; the text
// between them stays a view of the original. Every piece but the first starts with a header
// line, so no line end is ever split between two pieces and the pieces parse as the whole does.
struct Piece
{
    std::string_view original;
    std::optional<std::string> changed;
    int name = -1; // index of the section name, -1 for text between the edited sections
    bool alive = true;
    std::string_view text() const { return changed ? std::string_view(*changed) : original; }
};

class PieceText
{
public:
    PieceText(std::string_view text, const std::vector<Edit> &edits, std::string_view lineEnd)
        : m_newLineEnd(lineEnd)
    {
        for (const Edit &edit : edits) {
            if (indexOf(edit.section) < 0)
                m_names.push_back(edit.section);
        }
        std::size_t start = 0;
        int current = -1;
        forEachHeader(text, [&](std::size_t begin, std::string_view content) {
            const auto name = headerName(content);
            const int index = name ? indexOf(*name) : -1;
            if (index >= 0 || current >= 0) {
                add(text.substr(start, begin - start), current);
                start = begin;
                current = index;
            }
            return false;
        });
        add(text.substr(start), current);
    }

    bool apply(const Edit &edit)
    {
        const int index = indexOf(edit.section);
        Piece *piece = first(index);
        if (piece && !edit.key) {
            // The whole block goes, as in edited(): the piece is exactly that block.
            piece->alive = false;
            return true;
        }
        if (piece) {
            const auto key = edit.key ? std::optional<std::string_view>(*edit.key) : std::nullopt;
            const auto value =
                edit.value ? std::optional<std::string_view>(*edit.value) : std::nullopt;
            auto result = edited(piece->text(), edit.section, key, value, lineEnd());
            if (!result)
                return false;
            piece->changed = std::move(result);
            return true;
        }
        if (!edit.key || !edit.value)
            return false;
        // A new section at the end. A missing last line end goes onto the last piece, so that
        // the new piece starts with its header like every other.
        const std::string_view end = lineEnd();
        if (Piece *last = lastNonEmpty()) {
            const char c = last->text().back();
            if (c != '\n' && c != '\r')
                last->changed = std::string(last->text()).append(end);
        }
        std::string added = "[";
        added.append(edit.section).append("]").append(end);
        added.append(*edit.key).append("=").append(*edit.value).append(end);
        // Tagged by the name the header reads as, which is not always the one written ("a]b"
        // reads as "a").
        const Line header = lineAt(added, 0);
        const int readAs = indexOf(
            headerName(std::string_view(added).substr(0, header.contentEnd)).value_or(""));
        m_pieces.push_back(Piece{{}, std::move(added), readAs, true});
        return true;
    }

    std::string joined() const
    {
        std::size_t size = 0;
        for (const Piece &piece : m_pieces)
            size += piece.alive ? piece.text().size() : 0;
        std::string out;
        out.reserve(size);
        for (const Piece &piece : m_pieces) {
            if (piece.alive)
                out.append(piece.text());
        }
        return out;
    }

private:
    int indexOf(std::string_view name) const
    {
        for (std::size_t i = 0; i < m_names.size(); ++i) {
            if (sameName(m_names[i], name))
                return int(i);
        }
        return -1;
    }

    void add(std::string_view text, int name)
    {
        if (text.empty())
            return;
        m_pieces.push_back(Piece{text, std::nullopt, name, true});
    }

    // The first section of that name still in the text; a deleted one gives way to the next.
    Piece *first(int name)
    {
        if (name < 0)
            return nullptr;
        for (Piece &piece : m_pieces) {
            if (piece.alive && piece.name == name)
                return &piece;
        }
        return nullptr;
    }

    Piece *lastNonEmpty()
    {
        for (std::size_t i = m_pieces.size(); i-- > 0;) {
            if (m_pieces[i].alive && !m_pieces[i].text().empty())
                return &m_pieces[i];
        }
        return nullptr;
    }

    // lineEndOf() of the whole text as it now stands.
    std::string_view lineEnd() const
    {
        for (const Piece &piece : m_pieces) {
            if (!piece.alive)
                continue;
            const std::string_view text = piece.text();
            if (text.find_first_of("\r\n") != std::string_view::npos)
                return lineEndOf(text); // a CR at a piece's end is never followed by LF
        }
        return m_newLineEnd;
    }

    std::string_view m_newLineEnd;
    std::vector<std::string> m_names;
    std::vector<Piece> m_pieces;
};

} // namespace

std::optional<std::string> editedAll(std::string_view text, const std::vector<Edit> &edits,
                                     std::string_view lineEnd)
{
    if (edits.empty())
        return std::nullopt;
    if (lineEnd.empty())
        lineEnd = nativeLineEnd;
    auto lineEndIn = [lineEnd](std::string_view t) {
        return t.find_first_of("\r\n") == std::string_view::npos ? lineEnd : lineEndOf(t);
    };
    // A name or value with a line end in it writes lines of its own, a header among them
    // perhaps, inside a piece; such rare edits take the plain way, one after the other.
    auto hasLineEnd = [](const std::optional<std::string> &s) {
        return s && s->find_first_of("\r\n") != std::string::npos;
    };
    // So does a key that reads as a header ("[x"): its line would be a header inside a piece.
    auto readsAsHeader = [](const std::optional<std::string> &key) {
        return key && headerName(*key).has_value();
    };
    for (const Edit &edit : edits) {
        if (hasLineEnd(edit.section) || hasLineEnd(edit.key) || hasLineEnd(edit.value)
            || readsAsHeader(edit.key)) {
            std::optional<std::string> current;
            for (const Edit &e : edits) {
                const std::string_view now = current ? std::string_view(*current) : text;
                auto next = edited(
                    now, e.section, e.key ? std::optional<std::string_view>(*e.key) : std::nullopt,
                    e.value ? std::optional<std::string_view>(*e.value) : std::nullopt,
                    lineEndIn(now));
                if (next)
                    current = std::move(next);
            }
            return current;
        }
    }
    PieceText pieces(text, edits, lineEnd);
    bool changed = false;
    for (const Edit &edit : edits)
        changed = pieces.apply(edit) || changed;
    if (!changed)
        return std::nullopt;
    return pieces.joined();
}

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
