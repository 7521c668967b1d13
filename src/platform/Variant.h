// The few shapes of value that registry and file reads hand back.
#pragma once

#include <cstdint>
#include <string>
#include <variant>

namespace platform {

// Empty, text, 32-bit integer, byte, or 16-bit integer.
using Variant = std::variant<std::monostate, std::string, int32_t, uint8_t, int16_t>;

inline bool IsEmpty(const Variant& v) { return std::holds_alternative<std::monostate>(v); }

// The text form of a value, as a caller converting it to text sees it: the
// empty variant gives the empty text.
inline std::string ToText(const Variant& v) {
    struct {
        std::string operator()(std::monostate) const { return {}; }
        std::string operator()(const std::string& s) const { return s; }
        std::string operator()(int32_t n) const { return std::to_string(n); }
        std::string operator()(uint8_t n) const { return std::to_string(n); }
        std::string operator()(int16_t n) const { return std::to_string(n); }
    } visitor;
    return std::visit(visitor, v);
}

}  // namespace platform
