#include "platform/clsRegistry.h"

#include "os/Handles.h"
#include "platform/RaisedError.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <exception>
#include <optional>

// Decisions of our own:
// - SetValue on an existing REG_BINARY value stores Value as one byte
//   (REG_BINARY, length 1); a Value that is no number from 0 to 255 raises
//   11001, as any other failure inside SetValue does.
// - GetValue reads REG_BINARY data of up to 4 bytes as a little-endian
//   number; longer data, or a number above 255, cannot be a byte and gives
//   the 16-bit integer 0, the same result as a failed read.
// - A remote connection is released when the operation ends.
// - SetValue and SetDWordValue answer False when the write is refused or, for
//   a value of another type, when nothing was written: a True that stored
//   nothing would send the caller on with data that is not there.
// - SetValue learns an existing value's type even when its data passes the
//   255-byte buffer, so a long REG_MULTI_SZ or REG_BINARY value is never
//   overwritten with text.

namespace platform {

namespace {

constexpr uint32_t kBufferSize = 255;
constexpr const char* kSource = "clsRegistry";

std::string WithoutLeadingBackslash(const std::string& keyName) {
    if (!keyName.empty() && keyName.front() == '\\') return keyName.substr(1);
    return keyName;
}

// The root an operation works below: the predefined key itself, or its
// counterpart on another computer. A failed connection is not reported here;
// it leaves no root, so the open that follows fails like a missing key.
class Root {
public:
    Root(os::Api& api, os::HKey predefined, const std::string& computerName) : root_(predefined) {
        if (computerName.empty()) return;
        os::HKey remote = 0;
        if (api.RegConnectRegistry(computerName, predefined, &remote) == os::err::Success) {
            remote_ = os::UniqueKey(api, remote);
            root_ = remote;
        } else {
            root_ = 0;
        }
    }
    os::HKey get() const { return root_; }

private:
    os::HKey root_;
    os::UniqueKey remote_;
};

os::UniqueKey OpenKey(os::Api& api, const Root& root, const std::string& keyName) {
    os::HKey key = 0;
    if (api.RegOpenKeyEx(root.get(), keyName, os::KeyAllAccess, &key) != os::err::Success) return {};
    return os::UniqueKey(api, key);
}

uint32_t LittleEndian(const uint8_t (&bytes)[4]) {
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
}

// A number as the runtime converts one: text is read as a decimal number
// and rounded half to even; anything else fails.
std::optional<double> ToNumber(const Variant& value) {
    struct {
        std::optional<double> operator()(std::monostate) const { return 0.0; }
        std::optional<double> operator()(int32_t n) const { return double(n); }
        std::optional<double> operator()(uint8_t n) const { return double(n); }
        std::optional<double> operator()(int16_t n) const { return double(n); }
        std::optional<double> operator()(const std::string& text) const {
            auto first = text.find_first_not_of(" \t");
            if (first == std::string::npos) return std::nullopt;
            auto last = text.find_last_not_of(" \t");
            const char* begin = text.data() + first;
            const char* end = text.data() + last + 1;
            if (*begin == '+') ++begin;
            double number = 0;
            auto [stop, ec] = std::from_chars(begin, end, number, std::chars_format::general);
            if (ec != std::errc() || stop != end || !std::isfinite(number)) return std::nullopt;
            return number;
        }
    } visitor;
    auto number = std::visit(visitor, value);
    if (number) number = std::nearbyint(*number);  // the default rounding mode: half to even
    return number;
}

std::optional<int32_t> ToLong(const Variant& value) {
    auto number = ToNumber(value);
    if (!number || *number < -2147483648.0 || *number > 2147483647.0) return std::nullopt;
    return int32_t(*number);
}

std::optional<uint8_t> ToByte(const Variant& value) {
    auto number = ToNumber(value);
    if (!number || *number < 0 || *number > 255) return std::nullopt;
    return uint8_t(*number);
}

long WriteDword(os::Api& api, os::HKey key, const std::string& name, int32_t value) {
    auto bits = uint32_t(value);
    const uint8_t data[4] = {uint8_t(bits), uint8_t(bits >> 8), uint8_t(bits >> 16), uint8_t(bits >> 24)};
    return api.RegSetValueEx(key, name, os::RegDword, data, 4);
}

long WriteText(os::Api& api, os::HKey key, const std::string& name, const std::string& text) {
    std::string data = text;
    data.push_back('\0');
    return api.RegSetValueEx(key, name, os::RegSz, reinterpret_cast<const uint8_t*>(data.data()),
                             uint32_t(data.size()));
}

[[noreturn]] void Raise(long number, const char* operation) { throw RaisedError(number, kSource, operation); }

}  // namespace

bool clsRegistry::SetValue(os::HKey PredefinedKey, const std::string& KeyName, const std::string& ValueName,
                           const Variant& Value, const std::string& ComputerName) {
    try {
        Root root(api_, PredefinedKey, ComputerName);
        auto key = OpenKey(api_, root, WithoutLeadingBackslash(KeyName));
        if (!key) Raise(11001, "SetValue");

        uint8_t buffer[kBufferSize] = {};
        uint32_t size = kBufferSize;
        uint32_t type = 0;
        long status = api_.RegQueryValueEx(key.get(), ValueName, &type, buffer, &size);
        if (status != os::err::Success && status != os::err::MoreData) type = os::RegSz;  // a new value

        switch (type) {
            case os::RegSz: return WriteText(api_, key.get(), ValueName, ToText(Value)) == os::err::Success;
            case os::RegDword: {
                auto number = ToLong(Value);
                if (!number) Raise(11001, "SetValue");
                return WriteDword(api_, key.get(), ValueName, *number) == os::err::Success;
            }
            case os::RegBinary: {
                auto byte = ToByte(Value);
                if (!byte) Raise(11001, "SetValue");
                return api_.RegSetValueEx(key.get(), ValueName, os::RegBinary, &*byte, 1) == os::err::Success;
            }
            default: return false;  // other types are left as they are
        }
    } catch (const RaisedError&) {
        throw;
    } catch (const std::exception&) {
        Raise(11001, "SetValue");
    }
}

bool clsRegistry::SetDWordValue(os::HKey PredefinedKey, const std::string& KeyName, const std::string& ValueName,
                                int32_t Value, const std::string& ComputerName) {
    Root root(api_, PredefinedKey, ComputerName);
    auto key = OpenKey(api_, root, WithoutLeadingBackslash(KeyName));
    if (!key) Raise(11001, "SetValue");
    return WriteDword(api_, key.get(), ValueName, Value) == os::err::Success;
}

Variant clsRegistry::GetValue(os::HKey PredefinedKey, const std::string& KeyName, const std::string& ValueName,
                              const std::string& ComputerName) {
    Root root(api_, PredefinedKey, ComputerName);
    auto key = OpenKey(api_, root, WithoutLeadingBackslash(KeyName));
    if (!key) return {};

    uint8_t buffer[kBufferSize] = {};
    uint32_t size = kBufferSize;
    uint32_t type = 0;
    if (api_.RegQueryValueEx(key.get(), ValueName, &type, buffer, &size) != os::err::Success) return {};

    if (type == os::RegDword || type == os::RegBinary) {
        uint8_t number[4] = {};
        uint32_t numberSize = sizeof number;
        uint32_t numberType = 0;
        if (api_.RegQueryValueEx(key.get(), ValueName, &numberType, number, &numberSize) != os::err::Success)
            return int16_t(0);
        uint32_t bits = LittleEndian(number);
        if (type == os::RegDword) return int32_t(bits);
        if (bits > 255) return int16_t(0);
        return uint8_t(bits);
    }

    // REG_SZ and every other type are read as text. The data's last byte,
    // normally its NUL, is dropped: data stored without a NUL loses a character.
    size = kBufferSize;
    if (api_.RegQueryValueEx(key.get(), ValueName, &type, buffer, &size) != os::err::Success) return std::string();
    size = std::min(size, kBufferSize);
    if (size == 0) return std::string();
    return std::string(reinterpret_cast<const char*>(buffer), size - 1);
}

std::string clsRegistry::ListSubKey(os::HKey PredefinedKey, const std::string& KeyName, uint32_t Index,
                                    const std::string& ComputerName) {
    try {
        Root root(api_, PredefinedKey, ComputerName);
        auto key = OpenKey(api_, root, WithoutLeadingBackslash(KeyName));
        if (!key) return {};
        char name[kBufferSize] = {};
        uint32_t chars = kBufferSize;
        if (api_.RegEnumKeyEx(key.get(), Index, name, &chars) != os::err::Success) return {};
        return std::string(name, std::min(chars, kBufferSize));
    } catch (const std::exception&) {
        Raise(11003, "ListSubKey");
    }
}

bool clsRegistry::DeleteValue(os::HKey PredefinedKey, const std::string& KeyName, const std::string& ValueName,
                              const std::string& ComputerName) {
    try {
        Root root(api_, PredefinedKey, ComputerName);
        auto key = OpenKey(api_, root, WithoutLeadingBackslash(KeyName));
        if (!key) return false;
        return api_.RegDeleteValue(key.get(), ValueName) == os::err::Success;
    } catch (const std::exception&) {
        Raise(11004, "DeleteValue");
    }
}

bool clsRegistry::CreateKey(os::HKey PredefinedKey, const std::string& KeyName, const std::string& ComputerName) {
    try {
        Root root(api_, PredefinedKey, ComputerName);
        os::HKey created = 0;
        uint32_t disposition = 0;
        if (api_.RegCreateKeyEx(root.get(), WithoutLeadingBackslash(KeyName), os::KeyAllAccess, &created,
                                &disposition) != os::err::Success)
            return false;
        os::UniqueKey key(api_, created);  // closed at once
        return true;
    } catch (const std::exception&) {
        Raise(11005, "CreateKey");
    }
}

bool clsRegistry::DeleteKey(os::HKey PredefinedKey, const std::string& KeyName, const std::string& ComputerName) {
    try {
        Root root(api_, PredefinedKey, ComputerName);
        return api_.RegDeleteKey(root.get(), WithoutLeadingBackslash(KeyName)) == os::err::Success;
    } catch (const std::exception&) {
        Raise(11006, "DeleteKey");
    }
}

std::string clsRegistry::ListSubValue(os::HKey PredefinedKey, const std::string& KeyName, uint32_t Index,
                                      const std::string& ComputerName) {
    try {
        Root root(api_, PredefinedKey, ComputerName);
        auto key = OpenKey(api_, root, WithoutLeadingBackslash(KeyName));
        if (!key) return {};
        char name[kBufferSize] = {};
        uint32_t chars = kBufferSize;
        if (api_.RegEnumValue(key.get(), Index, name, &chars, nullptr, nullptr, nullptr) != os::err::Success)
            return {};
        return std::string(name, std::min(chars, kBufferSize));
    } catch (const std::exception&) {
        Raise(11007, "ListSubValue");
    }
}

bool clsRegistry::KeyExists(os::HKey PredefinedKey, const std::string& KeyName, const std::string& ComputerName) {
    try {
        Root root(api_, PredefinedKey, ComputerName);
        return bool(OpenKey(api_, root, WithoutLeadingBackslash(KeyName)));
    } catch (const std::exception&) {
        Raise(11008, "KeyExists");
    }
}

}  // namespace platform
