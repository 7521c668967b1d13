// Small owners for the Win32 handles the Windows-only code holds: the real
// Api for the length of a call (or of an automation object's life), the form
// host and the painter for GDI objects and modules, the test driver for its
// screen captures. Handles that the Api hands to its callers are owned by
// os::Unique (os/Handles.h) instead.
#pragma once

#include "os/win32/WinHeaders.h"

#include <utility>

namespace os::win32 {

// A handle type's empty value and how it is closed.
template <typename T, T Empty, auto Close>
class UniqueWin {
public:
    UniqueWin() = default;
    explicit UniqueWin(T value) : value_(value) {}
    UniqueWin(const UniqueWin&) = delete;
    UniqueWin& operator=(const UniqueWin&) = delete;
    UniqueWin(UniqueWin&& other) noexcept : value_(std::exchange(other.value_, Empty)) {}
    UniqueWin& operator=(UniqueWin&& other) noexcept {
        if (this != &other) reset(std::exchange(other.value_, Empty));
        return *this;
    }
    ~UniqueWin() { reset(); }

    T get() const { return value_; }
    explicit operator bool() const { return value_ != Empty; }
    T release() { return std::exchange(value_, Empty); }
    void reset(T value = Empty) {
        if (value_ != Empty) Close(value_);
        value_ = value;
    }

private:
    T value_ = Empty;
};

namespace detail {
inline void CloseKey(HKEY key) { ::RegCloseKey(key); }
inline void CloseKernelHandle(HANDLE handle) { ::CloseHandle(handle); }
inline void CloseFind(HANDLE handle) { ::FindClose(handle); }
inline void CloseChangeNotification(HANDLE handle) { ::FindCloseChangeNotification(handle); }
inline void CloseEventSource(HANDLE handle) { ::DeregisterEventSource(handle); }
inline void FreeBstr(BSTR text) { ::SysFreeString(text); }
inline void FreeLocal(wchar_t* text) { ::LocalFree(text); }
inline void DeleteGdiObject(HGDIOBJ object) { ::DeleteObject(object); }
inline void DestroyIconHandle(HICON icon) { ::DestroyIcon(icon); }
inline void DeleteMemoryDc(HDC dc) { ::DeleteDC(dc); }
inline void UnloadModule(HMODULE module) { ::FreeLibrary(module); }
}  // namespace detail

// Only keys this program opened: never a predefined root.
using UniqueHkey = UniqueWin<HKEY, nullptr, detail::CloseKey>;
// Kernel objects (processes, threads, files): null is the empty value.
using UniqueHandle = UniqueWin<HANDLE, nullptr, detail::CloseKernelHandle>;
// Find handles: FindFirstFile reports failure as INVALID_HANDLE_VALUE, and the
// owner is only ever given a handle that succeeded.
using UniqueFind = UniqueWin<HANDLE, nullptr, detail::CloseFind>;
// FindFirstChangeNotification's handles, on the same terms.
using UniqueChangeNotification = UniqueWin<HANDLE, nullptr, detail::CloseChangeNotification>;
using UniqueEventSource = UniqueWin<HANDLE, nullptr, detail::CloseEventSource>;
using UniqueBstr = UniqueWin<BSTR, nullptr, detail::FreeBstr>;
// Text that FormatMessage allocated.
using UniqueLocalText = UniqueWin<wchar_t*, nullptr, detail::FreeLocal>;

using UniqueFont = UniqueWin<HFONT, nullptr, detail::DeleteGdiObject>;
using UniqueBitmap = UniqueWin<HBITMAP, nullptr, detail::DeleteGdiObject>;
using UniqueBrush = UniqueWin<HBRUSH, nullptr, detail::DeleteGdiObject>;
using UniquePen = UniqueWin<HPEN, nullptr, detail::DeleteGdiObject>;
using UniqueRegion = UniqueWin<HRGN, nullptr, detail::DeleteGdiObject>;
using UniqueIcon = UniqueWin<HICON, nullptr, detail::DestroyIconHandle>;
// A DC made by CreateCompatibleDC (never one from GetDC).
using UniqueMemoryDc = UniqueWin<HDC, nullptr, detail::DeleteMemoryDc>;
// A library this program loaded itself.
using UniqueModule = UniqueWin<HMODULE, nullptr, detail::UnloadModule>;

// A window's DC (the screen's for null) for one scope; with flags, the one
// GetDCEx gives (e.g. of the whole window).
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(::GetDC(window)) {}
    WindowDc(HWND window, DWORD flags) : window_(window), dc_(::GetDCEx(window, nullptr, flags)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() {
        if (dc_ != nullptr) ::ReleaseDC(window_, dc_);
    }
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// A VARIANT that is cleared when it goes (frees its BSTR, releases its object).
class UniqueVariant {
public:
    UniqueVariant() { ::VariantInit(&value_); }
    UniqueVariant(const UniqueVariant&) = delete;
    UniqueVariant& operator=(const UniqueVariant&) = delete;
    ~UniqueVariant() { ::VariantClear(&value_); }

    VARIANT* get() { return &value_; }
    const VARIANT& operator*() const { return value_; }

private:
    VARIANT value_;
};

// The strings an IDispatch::Invoke failure may fill in.
class UniqueExcepInfo {
public:
    UniqueExcepInfo() { ::ZeroMemory(&value_, sizeof value_); }
    UniqueExcepInfo(const UniqueExcepInfo&) = delete;
    UniqueExcepInfo& operator=(const UniqueExcepInfo&) = delete;
    ~UniqueExcepInfo() {
        ::SysFreeString(value_.bstrSource);
        ::SysFreeString(value_.bstrDescription);
        ::SysFreeString(value_.bstrHelpFile);
    }

    EXCEPINFO* get() { return &value_; }
    // Servers may defer filling the structure to this callback.
    void Fill() {
        if (value_.pfnDeferredFillIn != nullptr) {
            value_.pfnDeferredFillIn(&value_);
            value_.pfnDeferredFillIn = nullptr;
        }
    }
    const EXCEPINFO& operator*() const { return value_; }

private:
    EXCEPINFO value_;
};

// An owned COM interface pointer: one reference, released when it goes.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            reset();
            ptr_ = std::exchange(other.ptr_, nullptr);
        }
        return *this;
    }
    ~ComPtr() { reset(); }

    T* get() const { return ptr_; }
    T* operator->() const { return ptr_; }
    explicit operator bool() const { return ptr_ != nullptr; }
    // For out-parameters: releases what is held first.
    T** put() {
        reset();
        return &ptr_;
    }
    void reset() {
        if (ptr_ != nullptr) std::exchange(ptr_, nullptr)->Release();
    }

private:
    T* ptr_ = nullptr;
};

// COM initialised on the thread that made this object (single-threaded
// apartment); uninitialised when it goes, if this object's call succeeded.
class ComApartment {
public:
    ComApartment() : result_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)), thread_(::GetCurrentThreadId()) {}
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment() {
        // S_FALSE (already initialised here) still needs its matching call.
        if (SUCCEEDED(result_)) ::CoUninitialize();
    }

    // S_OK, S_FALSE, or RPC_E_CHANGED_MODE when the thread already chose the
    // multi-threaded apartment, in which COM is usable as well.
    HRESULT Result() const { return result_; }
    bool Usable() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }
    DWORD Thread() const { return thread_; }

private:
    HRESULT result_;
    DWORD thread_;
};

static_assert(sizeof(UniqueHkey) == sizeof(HKEY) && sizeof(UniqueFind) == sizeof(HANDLE) &&
              sizeof(UniqueBstr) == sizeof(BSTR));

}  // namespace os::win32
