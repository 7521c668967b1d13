#include "engine/RegFile.h"

#include "engine/FileIo.h"
#include "engine/RegTree.h"
#include "os/Handles.h"
#include "os/Utf8.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <string_view>

namespace engine {
namespace {

constexpr os::HKey HKeyCurrentConfig = 0x80000005u;

struct Root {
    const char* name;
    os::HKey key;
};
constexpr Root Roots[] = {
    {"HKEY_CLASSES_ROOT", os::HKeyClassesRoot}, {"HKEY_CURRENT_USER", os::HKeyCurrentUser},
    {"HKEY_LOCAL_MACHINE", os::HKeyLocalMachine}, {"HKEY_USERS", os::HKeyUsers},
    {"HKEY_CURRENT_CONFIG", HKeyCurrentConfig},
};

constexpr std::u16string_view Header5 = u"Windows Registry Editor Version 5.00";
constexpr std::u16string_view Header4 = u"REGEDIT4";

// The editor breaks a hex line once it holds this many characters, before
// the continuation backslash.
constexpr size_t HexLineBreak = 77;

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string Lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), LowerAscii);
    return out;
}

bool IsStringType(uint32_t type) { return type == os::RegSz || type == os::RegExpandSz || type == os::RegMultiSz; }

// The registry's texts reach us in UTF-8 whatever the code page; NULs inside
// (REG_MULTI_SZ, damaged strings) are characters like any other.
std::u16string Widen(std::string_view text) { return os::Utf8ToUtf16(text); }
std::string Narrow(std::u16string_view text) { return os::Utf16ToUtf8(text); }

// A file of the editor's version 4 is in the system's code page. Converted
// piece by piece around NULs, so that data with embedded NULs keeps every
// character and its length whatever the conversion does with a NUL.
std::u16string WidenAnsi(os::Api& api, std::string_view text) {
    std::u16string out;
    size_t start = 0;
    for (;;) {
        size_t nul = text.find('\0', start);
        std::string_view piece = text.substr(start, nul == std::string_view::npos ? nul : nul - start);
        if (!piece.empty()) out += api.AnsiToUtf16(std::string(piece));
        if (nul == std::string_view::npos) break;
        out += u'\0';
        start = nul + 1;
    }
    return out;
}

std::vector<uint8_t> Utf16Bytes(const std::u16string& text) {
    std::vector<uint8_t> bytes;
    bytes.reserve(text.size() * 2);
    for (char16_t c : text) {
        bytes.push_back(static_cast<uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<uint8_t>(c >> 8));
    }
    return bytes;
}

// UTF-16LE string data from a version 5 file, as the seam holds it.
// An odd last byte is read as the low byte of a character: kept raw, it need
// not be a character of the code page (no byte above 0x7F alone is one in
// UTF-8), and our writer would then put another back.
std::vector<uint8_t> Utf8OfUtf16Bytes(const std::vector<uint8_t>& bytes) {
    const std::string narrow = os::Utf8OfUtf16Bytes(bytes.data(), bytes.size());
    return {narrow.begin(), narrow.end()};
}

// Splits "HKEY_...\sub\key" into its root and the path below it.
bool SplitRoot(std::string_view path, os::HKey* root, std::string* subKey) {
    size_t slash = path.find('\\');
    std::string_view rootName = path.substr(0, slash);
    for (const Root& r : Roots) {
        if (Lower(rootName) == Lower(r.name)) {
            *root = r.key;
            *subKey = slash == std::string_view::npos ? std::string() : std::string(path.substr(slash + 1));
            return true;
        }
    }
    return false;
}

// --- Reading the registry ---

// The registry's names are at most 16383 characters long; a buffer larger
// than this means the API keeps asking for more.
constexpr size_t MaxNameBuffer = 65536;
constexpr int MaxRetries = 64;

long EnumSubkeyNames(os::Api& api, os::HKey key, uint32_t maxSubKeyLen, std::vector<std::string>* names) {
    std::vector<char> name(std::max<size_t>(maxSubKeyLen + 1, 256));
    int retries = 0;
    for (uint32_t index = 0;;) {
        uint32_t chars = static_cast<uint32_t>(name.size());
        long rc = api.RegEnumKeyEx(key, index, name.data(), &chars);
        if (rc == os::err::NoMoreItems) return os::err::Success;
        if (rc == os::err::MoreData && name.size() < MaxNameBuffer && ++retries < MaxRetries) {
            name.resize(name.size() * 2);
            continue;
        }
        if (rc != os::err::Success) return rc;
        names->emplace_back(name.data(), std::min<size_t>(chars, name.size()));
        ++index;
        retries = 0;
    }
}

long EnumValues(os::Api& api, os::HKey key, uint32_t maxNameLen, uint32_t maxDataLen, std::vector<RegValue>* values) {
    std::vector<char> name(maxNameLen + 2);
    std::vector<uint8_t> data(maxDataLen + 2);
    int retries = 0;
    for (uint32_t index = 0;;) {
        uint32_t chars = static_cast<uint32_t>(name.size());
        uint32_t type = 0;
        uint32_t size = static_cast<uint32_t>(data.size());
        long rc = api.RegEnumValue(key, index, name.data(), &chars, &type, data.data(), &size);
        if (rc == os::err::NoMoreItems) return os::err::Success;
        if (rc == os::err::MoreData && ++retries < MaxRetries) {
            // The ANSI call does not say which buffer was short: a size
            // beyond the data buffer names the data, otherwise the name.
            if (size > data.size()) {
                data.resize(size);
                continue;
            }
            if (name.size() < MaxNameBuffer) {
                name.resize(name.size() * 2);
                continue;
            }
        }
        if (rc != os::err::Success) return rc;
        RegValue value;
        value.name.assign(name.data(), std::min<size_t>(chars, name.size()));
        value.type = type;
        value.data.assign(data.data(), data.data() + std::min<size_t>(size, data.size()));
        values->push_back(std::move(value));
        ++index;
        retries = 0;
    }
}

long ReadKey(os::Api& api, os::HKey key, const std::string& path, RegFile* tree) {
    uint32_t subKeys = 0, maxSubKeyLen = 0, valueCount = 0, maxNameLen = 0, maxDataLen = 0;
    long rc = api.RegQueryInfoKey(key, &subKeys, &maxSubKeyLen, &valueCount, &maxNameLen, &maxDataLen);
    if (rc != os::err::Success) return rc;
    RegKey entry;
    entry.path = path;
    rc = EnumValues(api, key, maxNameLen, maxDataLen, &entry.values);
    if (rc != os::err::Success) return rc;
    std::vector<std::string> names;
    rc = EnumSubkeyNames(api, key, maxSubKeyLen, &names);
    if (rc != os::err::Success) return rc;
    tree->keys.push_back(std::move(entry));
    for (const std::string& name : names) {
        os::HKey raw = 0;
        rc = api.RegOpenKeyEx(key, name, os::KeyRead, &raw);
        if (rc != os::err::Success) return rc;
        os::UniqueKey subkey(api, raw);
        rc = ReadKey(api, subkey.get(), path + "\\" + name, tree);
        if (rc != os::err::Success) return rc;
    }
    return os::err::Success;
}

// --- Writing the file ---

std::u16string Escape(const std::u16string& text) {
    std::u16string out;
    for (char16_t c : text) {
        switch (c) {
        case u'\\': out += u"\\\\"; break;
        case u'"': out += u"\\\""; break;
        case u'\r': out += u"\\r"; break;
        case u'\n': out += u"\\n"; break;
        case u'\0': out += u"\\0"; break;  // a name read from "\0": a NUL in the file is damage
        default: out += c;
        }
    }
    return out;
}

// Data that reads back the same from "text": one NUL at the very end and no
// other, and no line break (an editor that does not know the \n escape
// would split the line). Anything else is written as hex(1).
bool IsPlainString(const std::vector<uint8_t>& data) {
    if (data.empty() || data.back() != 0) return false;
    return std::none_of(data.begin(), data.end() - 1, [](uint8_t b) { return b == 0 || b == '\r' || b == '\n'; });
}

std::u16string Ascii(const std::string& text) { return std::u16string(text.begin(), text.end()); }

void FormatValue(const RegValue& value, std::u16string* out) {
    std::u16string name =
        value.name.empty() ? std::u16string(u"@=") : u"\"" + Escape(Widen(value.name)) + u"\"=";
    *out += name;
    if (value.remove) {
        *out += u"-\r\n";
        return;
    }
    const std::vector<uint8_t>& data = value.data;
    if (value.type == os::RegSz && IsPlainString(data)) {
        *out += u"\"" + Escape(Widen(std::string(data.begin(), data.end() - 1))) + u"\"\r\n";
        return;
    }
    if (value.type == os::RegDword && data.size() == 4) {
        char text[16];
        uint32_t dword = data[0] | (data[1] << 8) | (data[2] << 16) | (static_cast<uint32_t>(data[3]) << 24);
        std::snprintf(text, sizeof text, "dword:%08x", static_cast<unsigned>(dword));
        *out += Ascii(text) + u"\r\n";
        return;
    }
    std::vector<uint8_t> bytes =
        IsStringType(value.type) ? Utf16Bytes(Widen(std::string(data.begin(), data.end()))) : data;
    char tag[24];
    if (value.type == os::RegBinary) {
        std::snprintf(tag, sizeof tag, "hex:");
    } else {
        std::snprintf(tag, sizeof tag, "hex(%x):", static_cast<unsigned>(value.type));
    }
    *out += Ascii(tag);
    // The editor counts the name, the tag and three characters per byte, and
    // breaks after the comma that reaches the limit; the last byte never
    // breaks.
    size_t lineLength = name.size() + std::char_traits<char>::length(tag);
    for (size_t i = 0; i < bytes.size(); ++i) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02x", bytes[i]);
        *out += Ascii(hex);
        if (i + 1 == bytes.size()) break;
        *out += u',';
        lineLength += 3;
        if (lineLength >= HexLineBreak) {
            *out += u"\\\r\n  ";
            lineLength = 2;
        }
    }
    *out += u"\r\n";
}

// --- Parsing ---

struct Line {
    std::u16string text;
    int number = 0;
    bool terminated = false;  // ended by a line break, not by the end of the file
};

std::vector<Line> SplitLines(const std::u16string& text) {
    std::vector<Line> lines;
    size_t start = 0;
    int number = 1;
    while (start < text.size()) {
        size_t end = text.find_first_of(u"\r\n", start);
        Line line;
        line.number = number++;
        line.text = text.substr(start, end == std::u16string::npos ? std::u16string::npos : end - start);
        line.terminated = end != std::u16string::npos;
        lines.push_back(std::move(line));
        if (end == std::u16string::npos) break;
        start = end + 1;
        if (text[end] == u'\r' && start < text.size() && text[start] == u'\n') ++start;
    }
    return lines;
}

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

size_t SkipBlanks(const std::u16string& text, size_t pos) {
    while (pos < text.size() && IsBlank(text[pos])) ++pos;
    return pos;
}

// Only blanks and a comment may follow an entry.
bool AtLineEnd(const std::u16string& text, size_t pos) {
    pos = SkipBlanks(text, pos);
    return pos == text.size() || text[pos] == u';';
}

int HexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

bool StartsWith(const std::u16string& text, size_t pos, std::u16string_view prefix) {
    return text.compare(pos, prefix.size(), prefix) == 0;
}

class Parser {
public:
    Parser(os::Api& api, std::vector<Line> lines, bool unicode, RegFile* file)
        : api_(api), lines_(std::move(lines)), file_(file) {
        file_->unicode = unicode;
    }

    bool Run(RegFileError* error) {
        error_ = error;
        if (lines_.empty()) return Fail(0, "The file is empty.");
        std::u16string header = lines_[0].text.substr(SkipBlanks(lines_[0].text, 0));
        if (header != Header5 && header != Header4) {
            return Fail(1, "The file is not a registry file: it does not begin with \"Windows Registry Editor "
                           "Version 5.00\" or \"REGEDIT4\".");
        }
        for (index_ = 1; index_ < lines_.size(); ++index_) {
            const Line& line = lines_[index_];
            if (line.text.find(u'\0') != std::u16string::npos) return Damaged(line);
            size_t pos = SkipBlanks(line.text, 0);
            if (pos == line.text.size() || line.text[pos] == u';') continue;
            char16_t first = line.text[pos];
            // Anything else is no entry; the editor skips such lines too.
            if (first != u'[' && first != u'@' && first != u'"') continue;
            if (!line.terminated) return Truncated(line);
            bool ok = first == u'[' ? KeyLine(line, pos) : ValueLine(line, pos);
            if (!ok) return false;
        }
        return true;
    }

private:
    bool Fail(int line, std::string message) {
        error_->line = line;
        error_->message = std::move(message);
        return false;
    }
    bool Damaged(const Line& line) { return Fail(line.number, "The file holds NUL characters: it is damaged."); }
    bool Truncated(const Line& line) {
        return Fail(line.number, "The file ends in the middle of an entry: it is truncated.");
    }

    bool KeyLine(const Line& line, size_t pos) {
        const std::u16string& text = line.text;
        size_t start = pos + 1;
        size_t close = text.rfind(u']');
        if (start == text.size() || IsBlank(text[start]) || close == std::u16string::npos || close < start) {
            return Fail(line.number, "A key line is malformed.");
        }
        RegKey key;
        if (text[start] == u'-') {
            key.remove = true;
            ++start;
        }
        key.path = Narrow(std::u16string_view(text).substr(start, close - start));
        os::HKey root = 0;
        std::string subKey;
        if (!SplitRoot(key.path, &root, &subKey)) {
            return Fail(line.number, "The key \"" + key.path + "\" is not below a known root key.");
        }
        if (key.remove && subKey.empty()) {
            return Fail(line.number, "The file asks to delete the root key \"" + key.path + "\".");
        }
        file_->keys.push_back(std::move(key));
        return true;
    }

    // Reads a quoted text from just after its opening quote; returns the
    // position after the closing quote, or npos when there is none.
    static size_t Unquote(const std::u16string& text, size_t pos, std::u16string* out) {
        for (; pos < text.size(); ++pos) {
            char16_t c = text[pos];
            if (c == u'"') return pos + 1;
            if (c != u'\\') {
                *out += c;
                continue;
            }
            if (++pos == text.size()) break;
            switch (text[pos]) {
            case u'n': *out += u'\n'; break;
            case u'r': *out += u'\r'; break;
            case u'0': *out += u'\0'; break;
            default: *out += text[pos];  // \\, \" and, as the editor does, any other character
            }
        }
        return std::u16string::npos;
    }

    bool ValueLine(const Line& line, size_t pos) {
        const std::u16string& text = line.text;
        if (file_->keys.empty() || file_->keys.back().remove) {
            return Fail(line.number, "A value stands outside a key section.");
        }
        RegValue value;
        if (text[pos] == u'@') {
            ++pos;
        } else {
            std::u16string name;
            pos = Unquote(text, pos + 1, &name);
            if (pos == std::u16string::npos) return Fail(line.number, "A value name lacks its closing quote.");
            value.name = Narrow(name);
        }
        pos = SkipBlanks(text, pos);
        if (pos == text.size() || text[pos] != u'=') return Fail(line.number, "A value lacks its \"=\".");
        pos = SkipBlanks(text, pos + 1);

        if (pos < text.size() && text[pos] == u'-') {
            if (!AtLineEnd(text, pos + 1)) return Fail(line.number, "A value deletion is malformed.");
            value.remove = true;
        } else if (pos < text.size() && text[pos] == u'"') {
            std::u16string data;
            pos = Unquote(text, pos + 1, &data);
            if (pos == std::u16string::npos) return Fail(line.number, "A text value lacks its closing quote.");
            if (!AtLineEnd(text, pos)) return Fail(line.number, "Text follows a text value.");
            std::string narrow = Narrow(data);
            value.type = os::RegSz;
            value.data.assign(narrow.begin(), narrow.end());
            value.data.push_back(0);
        } else if (StartsWith(text, pos, u"dword:")) {
            pos = SkipBlanks(text, pos + 6);
            uint32_t dword = 0;
            int digits = 0;
            for (; pos < text.size() && HexDigit(text[pos]) >= 0; ++pos, ++digits) {
                dword = (dword << 4) | static_cast<uint32_t>(HexDigit(text[pos]));
            }
            if (digits == 0 || digits > 8 || !AtLineEnd(text, pos)) {
                return Fail(line.number, "A dword value is malformed.");
            }
            value.type = os::RegDword;
            value.data = {static_cast<uint8_t>(dword), static_cast<uint8_t>(dword >> 8),
                          static_cast<uint8_t>(dword >> 16), static_cast<uint8_t>(dword >> 24)};
        } else if (StartsWith(text, pos, u"hex:")) {
            value.type = os::RegBinary;
            if (!HexData(pos + 4, &value.data)) return false;
        } else if (StartsWith(text, pos, u"hex(")) {
            pos += 4;
            uint32_t type = 0;
            int digits = 0;
            for (; pos < text.size() && HexDigit(text[pos]) >= 0; ++pos, ++digits) {
                type = (type << 4) | static_cast<uint32_t>(HexDigit(text[pos]));
            }
            if (digits == 0 || digits > 8 || !StartsWith(text, pos, u"):")) {
                return Fail(line.number, "A value's type is malformed.");
            }
            value.type = type;
            if (!HexData(pos + 2, &value.data)) return false;
            if (file_->unicode && IsStringType(type)) {
                value.data = Utf8OfUtf16Bytes(value.data);
            } else if (IsStringType(type)) {
                std::string narrow = Narrow(WidenAnsi(api_, std::string(value.data.begin(), value.data.end())));
                value.data.assign(narrow.begin(), narrow.end());
            }
        } else {
            return Fail(line.number, "A value has a type that is not known.");
        }
        file_->keys.back().values.push_back(std::move(value));
        return true;
    }

    // Comma-separated bytes from pos of the current line on, over as many
    // lines as end with a backslash. Blank and comment lines inside are
    // skipped, as the editor skips them.
    bool HexData(size_t pos, std::vector<uint8_t>* data) {
        const Line* line = &lines_[index_];
        for (;;) {
            const std::u16string& text = line->text;
            pos = SkipBlanks(text, pos);
            if (pos == text.size() || text[pos] == u';') return true;
            if (text[pos] == u'\\') {
                if (!AtLineEnd(text, pos + 1)) return Fail(line->number, "Text follows a line continuation.");
                if (!NextDataLine(&line, &pos)) return false;
                continue;
            }
            unsigned byte = 0;
            int digits = 0;
            for (; pos < text.size() && HexDigit(text[pos]) >= 0 && byte <= 0xFF; ++pos, ++digits) {
                byte = (byte << 4) | static_cast<unsigned>(HexDigit(text[pos]));
            }
            if (digits == 0 || byte > 0xFF) return Fail(line->number, "A hex value is malformed.");
            data->push_back(static_cast<uint8_t>(byte));
            pos = SkipBlanks(text, pos);
            if (pos < text.size() && text[pos] == u',') {
                ++pos;
                continue;
            }
            if (!AtLineEnd(text, pos)) return Fail(line->number, "A hex value is malformed.");
            return true;
        }
    }

    bool NextDataLine(const Line** line, size_t* pos) {
        for (;;) {
            if (++index_ == lines_.size()) return Truncated(**line);
            const Line& next = lines_[index_];
            if (next.text.find(u'\0') != std::u16string::npos) return Damaged(next);
            size_t start = SkipBlanks(next.text, 0);
            if (start == next.text.size() || next.text[start] == u';') {
                if (!next.terminated) return Truncated(next);
                continue;
            }
            if (HexDigit(next.text[start]) < 0) {
                return Fail(next.number, "A value continued from the line before goes on with something "
                                         "that is no hex data.");
            }
            if (!next.terminated) return Truncated(next);
            *line = &next;
            *pos = start;
            return true;
        }
    }

    os::Api& api_;
    std::vector<Line> lines_;
    RegFile* file_;
    RegFileError* error_ = nullptr;
    size_t index_ = 0;
};

// --- Writing to the registry ---

long SetValue(os::Api& api, os::HKey key, const RegValue& value) {
    // RegSetValueExA counts in a terminating NUL that the caller "forgot"
    // when the byte after the data is NUL; data without a terminator must
    // keep its length, so the byte after it is never NUL.
    std::vector<uint8_t> buffer(value.data);
    buffer.push_back(0xFF);
    return api.RegSetValueEx(key, value.name, value.type, buffer.data(), static_cast<uint32_t>(value.data.size()));
}

std::string DescribeStatus(os::Api& api, long code) {
    return api.FormatMessage(static_cast<uint32_t>(code)) + " (" + std::to_string(code) + ")";
}

// --- Comparing ---

struct FlatKey {
    std::string path;
    std::map<std::string, RegValue> values;  // by lower-case name
};

// The state a sequence of sections leaves behind: later sections win,
// deletions take effect.
std::map<std::string, FlatKey> Flatten(const RegFile& file) {
    std::map<std::string, FlatKey> keys;
    for (const RegKey& key : file.keys) {
        std::string lower = Lower(key.path);
        if (key.remove) {
            for (auto it = keys.begin(); it != keys.end();) {
                bool below = it->first == lower || it->first.rfind(lower + "\\", 0) == 0;
                it = below ? keys.erase(it) : std::next(it);
            }
            continue;
        }
        FlatKey& flat = keys[lower];
        if (flat.path.empty()) flat.path = key.path;
        for (const RegValue& value : key.values) {
            if (value.remove) {
                flat.values.erase(Lower(value.name));
            } else {
                flat.values[Lower(value.name)] = value;
            }
        }
    }
    return keys;
}

std::string ValueLabel(const RegValue& value, const FlatKey& key) {
    return (value.name.empty() ? std::string("The default value") : "The value \"" + value.name + "\"") +
           " of \"" + key.path + "\"";
}

}  // namespace

std::string RegRootName(os::HKey root) {
    for (const Root& r : Roots) {
        if (r.key == root) return r.name;
    }
    return {};
}

long ReadRegTree(os::Api& api, os::HKey root, const std::string& subKey, RegFile* tree) {
    *tree = RegFile{};
    std::string rootName = RegRootName(root);
    if (rootName.empty()) return os::err::InvalidParameter;
    os::UniqueKey key;
    if (subKey.empty()) {
        key = os::UniqueKey(api, root);
    } else {
        os::HKey raw = 0;
        long rc = api.RegOpenKeyEx(root, subKey, os::KeyRead, &raw);
        if (rc != os::err::Success) return rc;
        key = os::UniqueKey(api, raw);
    }
    long rc = ReadKey(api, key.get(), subKey.empty() ? rootName : rootName + "\\" + subKey, tree);
    if (rc != os::err::Success) *tree = RegFile{};
    return rc;
}

std::string FormatRegFile(os::Api& /*api*/, const RegFile& tree) {
    std::u16string text(Header5);
    text += u"\r\n";
    for (const RegKey& key : tree.keys) {
        text += (key.remove ? u"\r\n[-" : u"\r\n[") + Widen(key.path) + u"]\r\n";
        for (const RegValue& value : key.values) FormatValue(value, &text);
    }
    text += u"\r\n";
    std::string bytes = "\xFF\xFE";
    for (uint8_t b : Utf16Bytes(text)) bytes += static_cast<char>(b);
    return bytes;
}

long ExportRegKey(os::Api& api, os::HKey root, const std::string& subKey, std::string* bytes) {
    bytes->clear();
    RegFile tree;
    long rc = ReadRegTree(api, root, subKey, &tree);
    if (rc == os::err::Success) *bytes = FormatRegFile(api, tree);
    return rc;
}

bool ParseRegFile(os::Api& api, const std::string& bytes, RegFile* file, RegFileError* error) {
    *file = RegFile{};
    RegFileError ignored;
    if (error == nullptr) error = &ignored;
    *error = RegFileError{};
    std::u16string text;
    bool unicode =
        bytes.size() >= 2 && static_cast<uint8_t>(bytes[0]) == 0xFF && static_cast<uint8_t>(bytes[1]) == 0xFE;
    if (unicode) {
        if (bytes.size() % 2 != 0) {
            error->message = "The file ends in the middle of a character: it is truncated.";
            return false;
        }
        for (size_t i = 2; i < bytes.size(); i += 2) {
            text += static_cast<char16_t>(static_cast<uint8_t>(bytes[i]) | (static_cast<uint8_t>(bytes[i + 1]) << 8));
        }
    } else {
        text = WidenAnsi(api, bytes);
    }
    Parser parser(api, SplitLines(text), unicode, file);
    if (parser.Run(error)) return true;
    *file = RegFile{};
    return false;
}

long ApplyRegFile(os::Api& api, const RegFile& file, RegFileError* error) {
    RegFileError ignored;
    if (error == nullptr) error = &ignored;
    for (const RegKey& key : file.keys) {
        os::HKey root = 0;
        std::string subKey;
        if (!SplitRoot(key.path, &root, &subKey)) {
            error->message = "The key \"" + key.path + "\" is not below a known root key.";
            return os::err::InvalidParameter;
        }
        if (key.remove) {
            long rc = subKey.empty() ? os::err::AccessDenied : DeleteRegTree(api, root, subKey);
            if (rc != os::err::Success && rc != os::err::FileNotFound) {
                error->message = "The key \"" + key.path + "\" could not be deleted: " + DescribeStatus(api, rc);
                return rc;
            }
            continue;
        }
        os::UniqueKey handle;
        if (subKey.empty()) {
            handle = os::UniqueKey(api, root);
        } else {
            os::HKey raw = 0;
            uint32_t disposition = 0;
            long rc = api.RegCreateKeyEx(root, subKey, os::KeyAllAccess, &raw, &disposition);
            if (rc != os::err::Success) {
                error->message = "The key \"" + key.path + "\" could not be created: " + DescribeStatus(api, rc);
                return rc;
            }
            handle = os::UniqueKey(api, raw);
        }
        for (const RegValue& value : key.values) {
            long rc = value.remove ? api.RegDeleteValue(handle.get(), value.name) : SetValue(api, handle.get(), value);
            if (rc == os::err::FileNotFound && value.remove) rc = os::err::Success;
            if (rc != os::err::Success) {
                error->message = "The value \"" + value.name + "\" of \"" + key.path +
                                 "\" could not be written: " + DescribeStatus(api, rc);
                return rc;
            }
        }
    }
    return os::err::Success;
}

long ImportRegFile(os::Api& api, const std::string& bytes, RegFileError* error) {
    RegFile file;
    if (!ParseRegFile(api, bytes, &file, error)) return os::err::InvalidData;
    return ApplyRegFile(api, file, error);
}

std::string DescribeRegDifference(const RegFile& expected, const RegFile& actual) {
    std::map<std::string, FlatKey> want = Flatten(expected);
    std::map<std::string, FlatKey> have = Flatten(actual);
    for (const auto& [path, key] : want) {
        auto found = have.find(path);
        if (found == have.end()) return "The key \"" + key.path + "\" is missing.";
        for (const auto& [name, value] : key.values) {
            auto other = found->second.values.find(name);
            if (other == found->second.values.end()) return ValueLabel(value, key) + " is missing.";
            if (other->second.type != value.type) return ValueLabel(value, key) + " has another type.";
            if (other->second.data != value.data) return ValueLabel(value, key) + " has other data.";
        }
        for (const auto& [name, value] : found->second.values) {
            if (key.values.count(name) == 0) return ValueLabel(value, key) + " is not expected.";
        }
    }
    for (const auto& [path, key] : have) {
        if (want.count(path) == 0) return "The key \"" + key.path + "\" is not expected.";
    }
    return {};
}

namespace {

RegResult CheckBackup(os::Api& api, os::HKey root, const std::string& subKey, const std::string& path,
                      const std::string& bytes) {
    const std::string fullName = RegRootName(root) + (subKey.empty() ? "" : "\\" + subKey);
    std::string back;
    uint32_t code = ReadWholeFile(api, path, &back);
    if (code != os::err::Success) {
        return {code, "The backup \"" + path + "\" could not be read back: " + DescribeStatus(api, code)};
    }
    RegFile parsed;
    RegFileError error;
    if (back != bytes || !ParseRegFile(api, back, &parsed, &error)) {
        return {os::err::InvalidData, "The backup \"" + path + "\" does not read back as it was written."};
    }
    // Compared with the registry as it is now, so that a change made while
    // the file was written is not lost with the key.
    RegFile now;
    const long rc = ReadRegTree(api, root, subKey, &now);
    if (rc != os::err::Success) {
        return {static_cast<uint32_t>(rc),
                "The key \"" + fullName + "\" could not be read: " + DescribeStatus(api, rc)};
    }
    std::string difference = DescribeRegDifference(now, parsed);
    if (!difference.empty()) {
        return {os::err::InvalidData, "The backup \"" + path + "\" differs from the registry: " + difference};
    }
    return {};
}

}  // namespace

RegResult BackupRegKey(os::Api& api, os::HKey root, const std::string& subKey, const std::string& path,
                       bool replace) {
    std::string fullName = RegRootName(root) + (subKey.empty() ? "" : "\\" + subKey);
    RegFile tree;
    long rc = ReadRegTree(api, root, subKey, &tree);
    if (rc != os::err::Success) {
        return {static_cast<uint32_t>(rc),
                "The key \"" + fullName + "\" could not be read: " + DescribeStatus(api, rc)};
    }
    std::string bytes = FormatRegFile(api, tree);
    uint32_t code = WriteWholeFile(api, path, bytes, replace);
    if (code != os::err::Success) {
        return {code, "The backup \"" + path + "\" could not be written: " + DescribeStatus(api, code)};
    }
    // A file that fails its check is no backup; one made new here goes again.
    RegResult checked = CheckBackup(api, root, subKey, path, bytes);
    if (!checked.ok() && !replace) api.DeleteFile(path);
    return checked;
}

std::string OutsideOf(const RegFile& file, os::HKey root, const std::string& subKey) {
    const std::string own = Lower(subKey);
    for (const RegKey& key : file.keys) {
        if (key.remove) return "the file holds a deletion";
        for (const RegValue& value : key.values)
            if (value.remove) return "the file holds a deletion";
        os::HKey keyRoot = 0;
        std::string keySub;
        if (!SplitRoot(key.path, &keyRoot, &keySub)) return "the file names another key";
        const std::string lower = Lower(keySub);
        if (keyRoot != root || (lower != own && lower.rfind(own + "\\", 0) != 0)) return "the file names another key";
    }
    return {};
}

RegResult RestoreRegFile(os::Api& api, const std::string& path, os::HKey root, const std::string& subKey) {
    std::string bytes;
    uint32_t code = ReadWholeFile(api, path, &bytes);
    if (code != os::err::Success) {
        return {code, "The backup \"" + path + "\" could not be read: " + DescribeStatus(api, code)};
    }
    RegFile file;
    RegFileError error;
    if (!ParseRegFile(api, bytes, &file, &error)) {
        std::string where = error.line > 0 ? " (line " + std::to_string(error.line) + ")" : "";
        return {os::err::InvalidData, "The backup \"" + path + "\" cannot be imported" + where + ": " + error.message};
    }
    if (root != 0) {
        std::string outside = OutsideOf(file, root, subKey);
        if (!outside.empty()) return {os::err::AccessDenied, std::move(outside), true};
    }
    long rc = ApplyRegFile(api, file, &error);
    if (rc != os::err::Success) return {static_cast<uint32_t>(rc), error.message};
    return {};
}

}  // namespace engine
