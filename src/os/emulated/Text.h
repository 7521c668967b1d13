// Text helpers of the emulated machine: the seam's texts are UTF-8, names
// compare without regard to ASCII case, and listings use Wine's name matching.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace os::emulated::text {

char Lower(char c);
char Upper(char c);
std::string ToLower(std::string_view text);
std::string ToUpper(std::string_view text);
bool IEquals(std::string_view a, std::string_view b);
bool IContains(std::string_view haystack, std::string_view needle);
// Orders as the registry lists keys and values (lower-cased comparison).
bool RegistryLess(std::string_view a, std::string_view b);
// Orders as a directory listing does (upper-cased comparison).
bool ListingLess(std::string_view a, std::string_view b);

// Invalid UTF-8 becomes U+FFFD; lone surrogates become U+FFFD too.
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

// The ANSI code pages the machine can have: UTF-8 (65001) and Western
// (1252), whose characters outside it become '?' as the system's do.
constexpr uint32_t kCodePageUtf8 = 65001;
constexpr uint32_t kCodePageWestern = 1252;
std::u16string AnsiToUtf16(std::string_view text, uint32_t codePage);
std::string Utf16ToAnsi(std::u16string_view text, uint32_t codePage);

// Wine's match of a listing mask against one name: '*' and '?' wildcards,
// ASCII case ignored, trailing '.' and '*' in the mask ignored ("*." and
// "*.*" match every name). '?' stands for exactly one character.
bool MatchMask(std::u16string_view mask, std::u16string_view name);
// Whether a name is a legal 8.3 name, which has no separate short name.
bool IsLegal83(std::u16string_view name);
// The hashed 8.3 name Wine gives a long name (upper case), e.g. REPO~ABC.DOT.
std::u16string ShortName(std::u16string_view name);
// A listing entry matches by its long name or, failing that, its short name;
// so "*.dot" also lists "Report.dotx".
bool ListingMatches(std::string_view mask, std::string_view name);

}  // namespace os::emulated::text
