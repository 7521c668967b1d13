// The program's texts are UTF-8; the forms' windows take the system's ANSI
// code page. Where that is UTF-8 (Windows 10 1903 on, under the manifest)
// nothing changes; before, each character the code page has shows as itself
// rather than as its UTF-8 bytes.
#pragma once

#include "os/Utf8.h"
#include "os/win32/WinHeaders.h"

#include <string>

namespace forms::win32 {

inline std::string SystemText(const std::string& text) {
    if (::GetACP() == CP_UTF8 || text.empty()) return text;
    const std::u16string wide = os::Utf8ToUtf16(text);
    const auto* chars = reinterpret_cast<const wchar_t*>(wide.data());
    const int length = static_cast<int>(wide.size());
    const int size = ::WideCharToMultiByte(CP_ACP, 0, chars, length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0) ::WideCharToMultiByte(CP_ACP, 0, chars, length, out.data(), size, nullptr, nullptr);
    return out;
}

inline std::string FromSystemText(const std::string& text) {
    if (::GetACP() == CP_UTF8 || text.empty()) return text;
    const int length = static_cast<int>(text.size());
    const int size = ::MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    std::u16string wide(static_cast<std::size_t>(size > 0 ? size : 0), u'\0');
    if (size > 0) ::MultiByteToWideChar(CP_ACP, 0, text.data(), length, reinterpret_cast<wchar_t*>(wide.data()), size);
    return os::Utf16ToUtf8(wide);
}

}  // namespace forms::win32
