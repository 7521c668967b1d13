// Typed access to the registry: keys are named by a predefined root, a path
// below it and, optionally, another computer whose registry is addressed.
// The class holds nothing between calls; create one where it is needed.
#pragma once

#include "os/Api.h"
#include "platform/Services.h"
#include "platform/Variant.h"

#include <cstdint>
#include <string>

namespace platform {

class clsRegistry {
public:
    explicit clsRegistry(const Services& services) : api_(services.api) {}

    // Writes Value as text into a new or REG_SZ value, converted into an
    // existing REG_DWORD or REG_BINARY one. Raises 11001 when the key cannot
    // be opened or Value does not convert.
    bool SetValue(os::HKey PredefinedKey, const std::string& KeyName, const std::string& ValueName,
                  const Variant& Value, const std::string& ComputerName = {});
    // Writes Value as REG_DWORD whatever the value's type was. Raises 11001
    // ("SetValue") when the key cannot be opened.
    bool SetDWordValue(os::HKey PredefinedKey, const std::string& KeyName, const std::string& ValueName,
                       int32_t Value, const std::string& ComputerName = {});
    // Empty when the key or value is missing or the data passes 255 bytes;
    // otherwise text, a 32-bit integer (REG_DWORD), a byte (REG_BINARY) or the
    // 16-bit integer 0 when a number cannot be read.
    Variant GetValue(os::HKey PredefinedKey, const std::string& KeyName, const std::string& ValueName,
                     const std::string& ComputerName = {});
    // The name of the Index-th subkey; empty past the last one.
    std::string ListSubKey(os::HKey PredefinedKey, const std::string& KeyName, uint32_t Index,
                           const std::string& ComputerName = {});
    bool DeleteValue(os::HKey PredefinedKey, const std::string& KeyName, const std::string& ValueName,
                     const std::string& ComputerName = {});
    // Creates the key and any missing keys above it; true when it exists now.
    bool CreateKey(os::HKey PredefinedKey, const std::string& KeyName, const std::string& ComputerName = {});
    // Deletes one key that has no subkeys; false (nothing raised) otherwise.
    bool DeleteKey(os::HKey PredefinedKey, const std::string& KeyName, const std::string& ComputerName = {});
    // The name of the Index-th value; empty past the last one.
    std::string ListSubValue(os::HKey PredefinedKey, const std::string& KeyName, uint32_t Index,
                             const std::string& ComputerName = {});
    // True exactly when the key opens with full access.
    bool KeyExists(os::HKey PredefinedKey, const std::string& KeyName, const std::string& ComputerName = {});

private:
    os::Api& api_;
};

}  // namespace platform
