// The seam's texts are UTF-8 whatever the system's code page, so that every
// name and value the system holds in UTF-16 comes through byte for byte.
// Unpaired surrogates, which the registry and file names may hold, are
// carried as their own three-byte forms and come back unchanged.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace os {

// Bytes that are not UTF-8 become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);
// Text held as UTF-16 little-endian bytes (registry string data) in UTF-8; an
// odd last byte reads as the low byte of a character.
std::string Utf8OfUtf16Bytes(const void* bytes, size_t size);

}  // namespace os
