// RAII owners for the handles that os::Api hands out.
#pragma once

#include "os/Api.h"

#include <utility>

namespace os {

// Owns one handle and closes it through the Api it came from. Predefined
// registry roots are never closed.
template <typename T, bool (*Close)(Api&, T)>
class Unique {
public:
    Unique() = default;
    Unique(Api& api, T value) : api_(&api), value_(value) {}
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;
    Unique(Unique&& other) noexcept : api_(other.api_), value_(std::exchange(other.value_, T{})) {}
    Unique& operator=(Unique&& other) noexcept {
        if (this != &other) {
            reset();
            api_ = other.api_;
            value_ = std::exchange(other.value_, T{});
        }
        return *this;
    }
    ~Unique() { reset(); }

    T get() const { return value_; }
    explicit operator bool() const { return value_ != T{}; }
    T release() { return std::exchange(value_, T{}); }
    void reset() {
        if (value_ != T{} && api_ != nullptr) Close(*api_, value_);
        value_ = T{};
    }

private:
    Api* api_ = nullptr;
    T value_{};
};

inline bool IsPredefinedKey(HKey key) { return key >= 0x80000000u && key <= 0x80000006u; }

namespace detail {
inline bool CloseKey(Api& api, HKey key) { return IsPredefinedKey(key) || api.RegCloseKey(key) == 0; }
inline bool CloseHandleOf(Api& api, Handle handle) { return api.CloseHandle(handle); }
inline bool CloseFind(Api& api, Handle handle) { return api.FindClose(handle); }
}  // namespace detail

using UniqueKey = Unique<HKey, detail::CloseKey>;
using UniqueHandle = Unique<Handle, detail::CloseHandleOf>;
using UniqueFind = Unique<Handle, detail::CloseFind>;

}  // namespace os
