// SPDX-License-Identifier: MIT
// libFuzzer target for the profile functions.
//
// The input's last bytes choose a short sequence of reads and writes (names and values from
// small pools that make matches likely, or short random names); the bytes before them are the
// file. Every call goes through the real functions on a real file, and is checked against a
// naive model written here from the rules alone: the file as a list of lines, edited as a
// list, one write after the other. Writes are held until a flush (at random points, and at the
// end of every input): every read gives what the model reads, held writes included; every
// flush leaves exactly the bytes the model expects (so every line no write touched is byte for
// byte the same) and creates no file that the model does not; a written value reads back.
// The file may be UTF-16 with a byte-order mark: the model then edits its UTF-8 text.
// Checked too: no crash, no hang.

#include "platform/profile.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// ---- the naive model -------------------------------------------------------------------

struct ModelLine
{
    std::string text;
    std::string end; // "\r\n", "\n", "\r" or "" for a last line without one
};

std::vector<ModelLine> splitLines(const std::string &file)
{
    std::vector<ModelLine> lines;
    ModelLine current;
    for (std::size_t i = 0; i < file.size(); ++i) {
        const char c = file[i];
        if (c == '\r' || c == '\n') {
            current.end = c;
            if (c == '\r' && i + 1 < file.size() && file[i + 1] == '\n') {
                current.end = "\r\n";
                ++i;
            }
            lines.push_back(current);
            current = ModelLine();
        } else {
            current.text += c;
        }
    }
    if (!current.text.empty())
        lines.push_back(current);
    return lines;
}

std::string joinLines(const std::vector<ModelLine> &lines)
{
    std::string file;
    for (const ModelLine &line : lines)
        file += line.text + line.end;
    return file;
}

bool blank(char c)
{
    return c == ' ' || c == '\t' || c == '\v';
}

std::string strip(std::string s)
{
    while (!s.empty() && blank(s.back()))
        s.pop_back();
    std::size_t i = 0;
    while (i < s.size() && blank(s[i]))
        ++i;
    return s.substr(i);
}

std::string stripSpaces(std::string s)
{
    while (!s.empty() && s.back() == ' ')
        s.pop_back();
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ')
        ++i;
    return s.substr(i);
}

std::string lower(std::string s)
{
    for (char &c : s) {
        if (c >= 'A' && c <= 'Z')
            c = char(c + 32);
    }
    return s;
}

enum class Kind { Other, Header, Key };

struct Parsed
{
    Kind kind = Kind::Other;
    std::string name;
    std::string value;
};

Parsed parse(const std::string &text)
{
    Parsed p;
    const std::string t = strip(text);
    if (t.empty() || t[0] == ';')
        return p;
    if (t[0] == '[') {
        p.kind = Kind::Header;
        const std::size_t close = t.find(']');
        p.name = strip(close == std::string::npos ? t.substr(1) : t.substr(1, close - 1));
        return p;
    }
    const std::size_t equals = t.find('=');
    if (equals == std::string::npos)
        return p;
    p.kind = Kind::Key;
    p.name = strip(t.substr(0, equals));
    p.value = strip(t.substr(equals + 1));
    return p;
}

// Index of the first header named section, or -1; sectionEnd gets the next header's index.
long findSection(const std::vector<ModelLine> &lines, const std::string &section,
                 std::size_t &sectionEnd)
{
    long found = -1;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (parse(lines[i].text).kind != Kind::Header)
            continue;
        if (found >= 0) {
            sectionEnd = i;
            return found;
        }
        if (lower(parse(lines[i].text).name) == lower(section))
            found = long(i);
    }
    sectionEnd = lines.size();
    return found;
}

long findKey(const std::vector<ModelLine> &lines, long header, std::size_t sectionEnd,
             const std::string &key)
{
    for (std::size_t i = std::size_t(header) + 1; i < sectionEnd; ++i) {
        const Parsed p = parse(lines[i].text);
        if (p.kind == Kind::Key && lower(p.name) == lower(key))
            return long(i);
    }
    return -1;
}

std::optional<std::string> modelRead(const std::string &file, const std::string &section,
                                     const std::string &key)
{
    const std::vector<ModelLine> lines = splitLines(file);
    std::size_t end = 0;
    const long header = findSection(lines, stripSpaces(section), end);
    if (header < 0)
        return std::nullopt;
    const long at = findKey(lines, header, end, stripSpaces(key));
    if (at < 0)
        return std::nullopt;
    std::string v = parse(lines[std::size_t(at)].text).value;
    if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0])
        v = v.substr(1, v.size() - 2);
    return v;
}

std::uint32_t modelInteger(const std::optional<std::string> &value, int defaultValue)
{
    if (!value || value->empty())
        return std::uint32_t(defaultValue);
    const std::string &v = *value;
    std::size_t i = 0;
    while (i < v.size() && blank(v[i]))
        ++i;
    bool minus = false;
    if (i < v.size() && (v[i] == '-' || v[i] == '+'))
        minus = v[i++] == '-';
    std::uint64_t n = 0;
    if (v.compare(i, 2, "0x") == 0) {
        for (i += 2; i < v.size(); ++i) {
            const char c = (v[i] >= 'A' && v[i] <= 'F') ? char(v[i] + 32) : v[i];
            const std::size_t d = std::string_view("0123456789abcdef").find(c);
            if (d == std::string_view::npos)
                break;
            n = (n * 16 + d) % 4294967296u;
        }
    } else {
        for (; i < v.size() && v[i] >= '0' && v[i] <= '9'; ++i)
            n = (n * 10 + std::uint64_t(v[i] - '0')) % 4294967296u;
    }
    return std::uint32_t(minus ? (4294967296u - n) % 4294967296u : n);
}

// UTF-16 files (after a byte-order mark): the text the rules apply to is their UTF-8, where a
// lone surrogate is written as any other code unit of its range, and back.
std::string modelFromUtf16(const std::string &bytes, bool little)
{
    std::vector<std::uint32_t> units;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const std::uint8_t a = std::uint8_t(bytes[i]), b = std::uint8_t(bytes[i + 1]);
        units.push_back(little ? std::uint32_t(b << 8 | a) : std::uint32_t(a << 8 | b));
    }
    std::string text;
    for (std::size_t i = 0; i < units.size(); ++i) {
        std::uint32_t c = units[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00);
        if (c < 0x80) {
            text += char(c);
        } else if (c < 0x800) {
            text += {char(0xC0 | c >> 6), char(0x80 | (c & 0x3F))};
        } else if (c < 0x10000) {
            text += {char(0xE0 | c >> 12), char(0x80 | (c >> 6 & 0x3F)), char(0x80 | (c & 0x3F))};
        } else {
            text += {char(0xF0 | c >> 18), char(0x80 | (c >> 12 & 0x3F)),
                     char(0x80 | (c >> 6 & 0x3F)), char(0x80 | (c & 0x3F))};
        }
    }
    return text;
}

std::string modelToUtf16(const std::string &text, bool little)
{
    std::string bytes;
    auto put = [&](std::uint32_t u) {
        bytes += little ? char(u & 0xFF) : char(u >> 8);
        bytes += little ? char(u >> 8) : char(u & 0xFF);
    };
    put(0xFEFF);
    for (std::size_t i = 0; i < text.size();) {
        const std::uint8_t b = std::uint8_t(text[i]);
        const std::size_t n = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        std::uint32_t c = n == 1 ? b : b & (0x7F >> n);
        for (std::size_t k = 1; k < n; ++k)
            c = c << 6 | (std::uint8_t(text[i + k]) & 0x3F);
        i += n;
        if (c >= 0x10000) {
            put(0xD800 + ((c - 0x10000) >> 10));
            put(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            put(c);
        }
    }
    return bytes;
}

// The file after the write, from the rules: a list of lines edited as a list. Lines added to
// a text without line ends get NewLineEnd.
std::string modelWrite(const std::string &file, const std::string &sectionArg, const char *keyArg,
                       const char *value, const std::string &newLineEnd)
{
    std::vector<ModelLine> lines = splitLines(file);
    const std::string section = stripSpaces(sectionArg);
    std::size_t end = 0;
    const long header = findSection(lines, section, end);
    if (!keyArg) {
        if (header >= 0)
            lines.erase(lines.begin() + header, lines.begin() + long(end));
        return joinLines(lines);
    }
    const std::string key = stripSpaces(keyArg);
    const long at = header >= 0 ? findKey(lines, header, end, key) : -1;
    if (!value) {
        if (at >= 0)
            lines.erase(lines.begin() + at);
        return joinLines(lines);
    }
    if (at >= 0) {
        std::string &text = lines[std::size_t(at)].text;
        std::size_t v = text.find('=') + 1;
        while (v < text.size() && blank(text[v]))
            ++v;
        text = text.substr(0, v) + value;
        return joinLines(lines);
    }
    std::string eol = newLineEnd;
    for (const ModelLine &line : lines) {
        if (!line.end.empty()) {
            eol = line.end;
            break;
        }
    }
    const ModelLine newKey{key + "=" + value, eol};
    if (header >= 0) {
        std::size_t anchor = std::size_t(header);
        for (std::size_t i = std::size_t(header) + 1; i < end; ++i) {
            if (parse(lines[i].text).kind == Kind::Key)
                anchor = i;
        }
        if (lines[anchor].end.empty())
            lines[anchor].end = eol;
        lines.insert(lines.begin() + long(anchor) + 1, newKey);
        return joinLines(lines);
    }
    if (!lines.empty() && lines.back().end.empty())
        lines.back().end = eol;
    lines.push_back({"[" + section + "]", eol});
    lines.push_back(newKey);
    return joinLines(lines);
}

// ---- the run ---------------------------------------------------------------------------

std::string readFile(const std::string &path, bool &exists)
{
    std::string text;
    FILE *f = std::fopen(path.c_str(), "rb");
    exists = f != nullptr;
    if (!f)
        return text;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        text.append(buffer, n);
    std::fclose(f);
    return text;
}

[[noreturn]] void failed(const char *what, const std::string &detail)
{
    std::fprintf(stderr, "profile_fuzzer: %s: %s\n", what, detail.c_str());
    std::abort();
}

const std::string &workFile()
{
    static const std::string path = [] {
        struct stat st
        {
        };
        const std::string base = ::stat("/dev/shm", &st) == 0 ? "/dev/shm" : "/tmp";
        const std::string folder = base + "/hueloft-fuzz-" + std::to_string(::getpid());
        ::mkdir(folder.c_str(), 0700);
        return folder + "/FUZZ.INI";
    }();
    static const bool cleanUp = [] {
        std::atexit([] {
            std::remove(path.c_str());
            ::rmdir(path.substr(0, path.rfind('/')).c_str());
        });
        return true;
    }();
    (void)cleanUp;
    return path;
}

std::string pick(FuzzedDataProvider &in, const std::vector<std::string> &pool)
{
    const std::size_t i = in.ConsumeIntegralInRange<std::size_t>(0, pool.size());
    if (i < pool.size())
        return pool[i];
    static const char alphabet[] = "aAbB xk0[];=\t\"'\v#";
    std::string s(in.ConsumeIntegralInRange<std::size_t>(0, 5), 'a');
    for (char &c : s)
        c = alphabet[in.ConsumeIntegralInRange<std::size_t>(0, sizeof alphabet - 2)];
    return s;
}

// Names whose written line reads back as the same key of the same section.
bool readsBack(const std::string &section, const std::string &key, const std::string &value)
{
    const std::string s = stripSpaces(section), k = stripSpaces(key);
    auto edgesClean = [](const std::string &n) {
        return n.empty() || (!blank(n.front()) && !blank(n.back()));
    };
    return s.find_first_of("]\r\n") == std::string::npos && edgesClean(s) &&
           k.find_first_of("=\r\n") == std::string::npos && edgesClean(k) &&
           (k.empty() || (k[0] != '[' && k[0] != ';')) &&
           value.find_first_of("\r\n") == std::string::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const std::vector<std::string> sections = {
        "A", "a", " A  ", "B", "Section", "S", "sec ", "", "Custom Colors", "RGB Color"};
    static const std::vector<std::string> keys = {"x", "X", "k", "K", " y ", "Key", "Red", ""};
    static const std::vector<std::string> values = {"1", "-1",         "0x1F", "\"q\"", " v ",
                                                    "",  "4294967297", "abc",  "12abc", "' s '"};

    struct Op
    {
        int kind;
        std::string section, key, value;
        std::uint32_t size;
        int defaultValue;
    };
    FuzzedDataProvider in(data, size);
    std::vector<Op> ops(in.ConsumeIntegralInRange<std::size_t>(1, 8));
    for (Op &op : ops) {
        op.kind = in.ConsumeIntegralInRange<int>(0, 5);
        op.section = pick(in, sections);
        op.key = pick(in, keys);
        op.value = pick(in, values);
        op.size = in.ConsumeIntegralInRange<std::uint32_t>(1, 40);
        op.defaultValue = in.ConsumeIntegral<int>();
    }
    const bool fileExists = in.ConsumeBool();
    // 0: 8-bit text; 1, 2: the rest of the input is UTF-16 (little-, big-endian) after a mark.
    int wide = fileExists ? in.ConsumeIntegralInRange<int>(0, 2) : 0;
    std::string file = in.ConsumeRemainingBytesAsString();
    // 8-bit text that starts with a mark is UTF-16 all the same.
    if (fileExists && !wide &&
        (file.compare(0, 2, "\xFF\xFE") == 0 || file.compare(0, 2, "\xFE\xFF") == 0)) {
        wide = file[0] == '\xFF' ? 1 : 2;
        file.erase(0, 2);
    }

    const std::string &path = workFile();
    std::remove(path.c_str());
    std::string oddByte; // a UTF-16 file's odd last byte, kept as it is
    if (fileExists) {
        FILE *f = std::fopen(path.c_str(), "wb");
        if (wide)
            std::fwrite(wide == 1 ? "\xFF\xFE" : "\xFE\xFF", 1, 2, f);
        std::fwrite(file.data(), 1, file.size(), f);
        std::fclose(f);
        if (wide) {
            oddByte = file.substr(file.size() - file.size() % 2);
            file = modelFromUtf16(file, wide == 1);
        }
    } else {
        file.clear();
    }
    const std::string newLineEnd = wide ? "\r\n" : "\n";

    // The model's text, and whether the model's file exists: a write that changes nothing
    // (deleting what is not there) must not create it.
    bool modelExists = fileExists;
    auto flushAndCompare = [&](const char *what) {
        if (!platform::WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str()))
            failed("flush failed", platform::profileErrorText());
        bool exists = false;
        const std::string now = readFile(path, exists);
        if (now != (wide ? modelToUtf16(file, wide == 1) + oddByte : file))
            failed("flushed file differs",
                   std::string(what) + "\n--- file:\n" + now + "\n--- model:\n" + file);
        if (exists != modelExists)
            failed(exists ? "a flush created a file for nothing" : "a flush lost the file", what);
    };
    for (const Op &op : ops) {
        const char *s = op.section.c_str(), *k = op.key.c_str(), *v = op.value.c_str();
        switch (op.kind) {
        case 5:
            flushAndCompare("flush");
            break;
        case 0: {
            const std::uint32_t got =
                platform::GetPrivateProfileIntA(s, k, op.defaultValue, path.c_str());
            if (got != modelInteger(modelRead(file, s, k), op.defaultValue))
                failed("integer read differs", op.section + "/" + op.key);
            break;
        }
        case 1: {
            std::string buffer(op.size + 1, '\x7f');
            const std::uint32_t n = platform::GetPrivateProfileStringA(
                s, k, "dflt  ", buffer.data(), op.size, path.c_str());
            std::string expected = modelRead(file, s, k).value_or("dflt");
            expected.resize(std::min<std::size_t>(expected.size(), op.size - 1));
            if (buffer.compare(0, n, expected) != 0 || n != expected.size() || buffer[n] != '\0' ||
                buffer[op.size] != '\x7f')
                failed("string read differs", op.section + "/" + op.key);
            break;
        }
        default: {
            const char *key = op.kind == 4 ? nullptr : k;
            const char *value = op.kind == 2 ? v : nullptr;
            const std::string expected = modelWrite(file, s, key, value, newLineEnd);
            if (!platform::WritePrivateProfileStringA(s, key, value, path.c_str()))
                failed("write failed", platform::profileErrorText());
            // The file exists once a write changed its (empty) text.
            modelExists = modelExists || expected != file;
            file = expected;
            if (value && readsBack(s, key, value)) {
                std::string want = strip(value);
                if (want.size() >= 2 && (want[0] == '"' || want[0] == '\'') &&
                    want.back() == want[0])
                    want = want.substr(1, want.size() - 2);
                char buffer[64];
                platform::GetPrivateProfileStringA(s, key, "", buffer, sizeof buffer, path.c_str());
                if (std::string(buffer) != want.substr(0, sizeof buffer - 1))
                    failed("written value does not read back", op.section + "/" + op.key);
            }
        }
        }
    }
    flushAndCompare("end of input");
    return 0;
}
