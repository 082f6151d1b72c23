// SPDX-License-Identifier: MIT
// The INI text (profile_text.h). In this file: editing it: one write (edited()), and the
// writes of a whole save in one pass over the text (editedAll()), on the pieces the sections
// they name are cut into.
#include "platform/profile_text.h"

#include "platform/profile_text_scan.h"

#include <unordered_map>

namespace platform::profile {

namespace {

// The text after writing value to key in section (a missing value deletes the key, a missing
// key the section), or nothing when the write would not change a byte; added lines end with
// LineEnd (the one of a larger text that Text is a part of). The names must already be
// trimmed with trimArgument().
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

std::optional<std::string> editedBy(std::string_view text, const Edit &edit,
                                    std::string_view lineEnd)
{
    return edited(text, edit.section,
                  edit.key ? std::optional<std::string_view>(*edit.key) : std::nullopt,
                  edit.value ? std::optional<std::string_view>(*edit.value) : std::nullopt,
                  lineEnd);
}

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
            auto result = editedBy(piece->text(), edit, lineEnd());
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
                if (auto next = editedBy(now, e, lineEndIn(now)))
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

} // namespace platform::profile
