#include "os/emulated/Text.h"

#include <algorithm>
#include <iterator>

namespace os::emulated::text {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

std::string ToLower(std::string_view text) {
    std::string result(text);
    for (char& c : result) c = Lower(c);
    return result;
}

std::string ToUpper(std::string_view text) {
    std::string result(text);
    for (char& c : result) c = Upper(c);
    return result;
}

bool IEquals(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

bool IContains(std::string_view haystack, std::string_view needle) {
    return ToLower(haystack).find(ToLower(needle)) != std::string::npos;
}

namespace {

template <char (*Fold)(char)>
bool FoldedLess(std::string_view a, std::string_view b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(Fold(x)) < static_cast<unsigned char>(Fold(y));
    });
}

char16_t Upper16(char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - u'a' + u'A') : c; }
char16_t Lower16(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c; }

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

constexpr char32_t kReplacement = 0xFFFD;

}  // namespace

bool RegistryLess(std::string_view a, std::string_view b) { return FoldedLess<Lower>(a, b); }
bool ListingLess(std::string_view a, std::string_view b) { return FoldedLess<Upper>(a, b); }

std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        auto lead = static_cast<unsigned char>(text[i]);
        size_t extra = 0;
        char32_t cp = 0;
        if (lead < 0x80) {
            cp = lead;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            extra = 1;
            cp = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            extra = 2;
            cp = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            extra = 3;
            cp = lead & 0x07;
        } else {
            out += static_cast<char16_t>(kReplacement);
            ++i;
            continue;
        }
        bool valid = i + extra < text.size();
        for (size_t k = 1; valid && k <= extra; ++k) {
            auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) valid = false;
            else cp = (cp << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        if (valid && ((extra == 2 && cp < 0x800) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)) ||
                      (cp >= 0xD800 && cp <= 0xDFFF)))
            valid = false;
        if (!valid) {
            out += static_cast<char16_t>(kReplacement);
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
        i += extra + 1;
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = kReplacement;
        }
        AppendUtf8(out, c);
    }
    return out;
}

namespace {

// Code page 1252 from 0x80 to 0x9F; the five holes map to themselves.
constexpr char16_t kWestern80[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

std::u16string AnsiToUtf16(std::string_view text, uint32_t codePage) {
    if (codePage == kCodePageUtf8) return Utf8ToUtf16(text);
    std::u16string out;
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        out += byte >= 0x80 && byte < 0xA0 ? kWestern80[byte - 0x80] : static_cast<char16_t>(byte);
    }
    return out;
}

std::string Utf16ToAnsi(std::u16string_view text, uint32_t codePage) {
    if (codePage == kCodePageUtf8) return Utf16ToUtf8(text);
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        // A surrogate pair is one character, and one '?'.
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) ++i;
        const char16_t* high = std::find(std::begin(kWestern80), std::end(kWestern80), c);
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) out += static_cast<char>(c);
        else if (high != std::end(kWestern80)) out += static_cast<char>(0x80 + (high - std::begin(kWestern80)));
        else out += '?';
    }
    return out;
}

bool MatchMask(std::u16string_view mask, std::u16string_view name) {
    // Greedy matching with one point to fall back to, the last '*': Wine's
    // rule, quirks included ("*?x" never matches, as there).
    size_t n = 0, m = 0;
    const size_t nameEnd = name.size(), maskEnd = mask.size();
    bool haveJoker = false;
    size_t joker = 0, retry = 0;
    while (n < nameEnd && m < maskEnd) {
        char16_t mc = mask[m];
        if (mc == u'*') {
            while (m < maskEnd && mask[m] == u'*') ++m;
            if (m == maskEnd) return true;
            haveJoker = true;
            joker = m;
            while (n < nameEnd && Upper16(name[n]) != Upper16(mask[m])) ++n;
            retry = n;
        } else if (mc == u'?') {
            ++m;
            ++n;
        } else if (Upper16(mc) == Upper16(name[n])) {
            ++m;
            ++n;
            if (m == maskEnd) {
                if (n == nameEnd) return true;
                if (haveJoker) m = joker;
            }
        } else if (haveJoker) {
            m = joker;
            n = ++retry;
        } else {
            return false;
        }
    }
    while (m < maskEnd && (mask[m] == u'.' || mask[m] == u'*')) ++m;
    return n == nameEnd && m == maskEnd;
}

namespace {

bool IsInvalidDosChar(char16_t c) {
    if (c > 0x7F) return true;
    static constexpr std::u16string_view invalid = u"*?<>|\"+=,;[] ~.";
    return invalid.find(c) != std::u16string_view::npos;
}

}  // namespace

bool IsLegal83(std::u16string_view name) {
    if (name.size() > 12) return false;
    if (!name.empty() && name[0] == u'.') return name == u"." || name == u"..";
    static constexpr std::u16string_view invalid = u"*?<>|\"+=,;[] :/\\";
    size_t dot = std::u16string_view::npos;
    for (size_t i = 0; i < name.size(); ++i) {
        char16_t c = name[i];
        if (c > 0x7F || invalid.find(c) != std::u16string_view::npos) return false;
        if (c == u'.') {
            if (dot != std::u16string_view::npos) return false;
            dot = i;
        }
    }
    if (dot == std::u16string_view::npos) return name.size() <= 8;
    if (dot > 8) return false;
    size_t extension = name.size() - dot;
    return extension > 1 && extension < 5;
}

std::u16string ShortName(std::u16string_view name) {
    if (name.empty()) return {};
    uint16_t hash = 0xBEEF;
    for (size_t i = 0; i + 1 < name.size(); ++i)
        hash = static_cast<uint16_t>((hash << 3) ^ (hash >> 5) ^ Lower16(name[i]) ^ (Lower16(name[i + 1]) << 8));
    hash = static_cast<uint16_t>((hash << 3) ^ (hash >> 5) ^ Lower16(name.back()));

    // The extension starts at the last dot that is neither first nor last.
    size_t ext = std::u16string_view::npos;
    for (size_t i = 1; i + 1 < name.size(); ++i)
        if (name[i] == u'.') ext = i;

    std::u16string out;
    size_t stem = std::min<size_t>(ext == std::u16string_view::npos ? name.size() : ext, 4);
    for (size_t i = 0; i < stem; ++i) out += IsInvalidDosChar(name[i]) ? u'_' : Upper16(name[i]);
    while (out.size() < 5) out += u'~';
    static constexpr char16_t hashChars[] = u"ABCDEFGHIJKLMNOPQRSTUVWXYZ012345";
    out += hashChars[(hash >> 10) & 0x1F];
    out += hashChars[(hash >> 5) & 0x1F];
    out += hashChars[hash & 0x1F];
    if (ext != std::u16string_view::npos) {
        out += u'.';
        for (size_t i = ext + 1; i < name.size() && i < ext + 4; ++i)
            out += IsInvalidDosChar(name[i]) ? u'_' : Upper16(name[i]);
    }
    return out;
}

bool ListingMatches(std::string_view mask, std::string_view name) {
    std::u16string wideMask = Utf8ToUtf16(mask);
    std::u16string wideName = Utf8ToUtf16(name);
    if (MatchMask(wideMask, wideName)) return true;
    return !IsLegal83(wideName) && MatchMask(wideMask, ShortName(wideName));
}

}  // namespace os::emulated::text
