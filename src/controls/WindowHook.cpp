#include "controls/WindowHook.h"

#include "forms/Host.h"
#include "os/Api.h"

#include <algorithm>
#include <cstdio>

namespace controls {

namespace {
const char* const kClassName = "CandyButton";
}  // namespace

WindowHook::WindowHook(System& system, FailureSink failed) : system_(system), failed_(std::move(failed)) {}

WindowHook::~WindowHook() {
    for (const auto& entry : tables_) system_.Remove(entry.first);
}

void WindowHook::Fail(const std::string& routine, const std::string& message) const {
    if (failed_) failed_(routine, message);
}

bool WindowHook::Subclass(std::uintptr_t window) {
    const char* routine = "sc_Subclass";
    if (window == 0 || !system_.IsWindow(window)) {
        Fail(routine, "Invalid window handle");
        return false;
    }
    if (!system_.IsOwnProcess(window)) {
        Fail(routine, "Window handle belongs to another process");
        return false;
    }
    if (IsSubclassed(window)) {
        Fail(routine, "Window handle is already subclassed");
        return false;
    }
    uint32_t error = 0;
    if (!system_.Install(window, &error)) {
        Fail(routine, "SetWindowLong failed, error #" + std::to_string(error));
        return false;
    }
    tables_[window];
    return true;
}

bool WindowHook::UnSubclass(std::uintptr_t window) {
    auto found = tables_.find(window);
    if (found == tables_.end()) {
        Fail("sc_UnSubclass", "Window handle isn't subclassed");
        return false;
    }
    tables_.erase(found);
    system_.Remove(window);
    return true;
}

WindowHook::Table* WindowHook::Map(std::uintptr_t window) {
    if (tables_.empty()) {
        Fail("zMap_hWnd", "Subclassing hasn't been started");
        return nullptr;
    }
    auto found = tables_.find(window);
    if (found == tables_.end()) {
        Fail("zMap_hWnd", "Window handle isn't subclassed");
        return nullptr;
    }
    return &found->second;
}

bool WindowHook::AddMsg(std::uintptr_t window, int64_t message, When when) {
    Table* table = Map(window);
    if (table == nullptr) return false;
    auto& list = when == When::Before ? table->before : table->after;
    if (std::find(list.begin(), list.end(), message) != list.end()) return true;
    if (list.size() >= kMessageEntries) {
        Fail("zAddMsg",
             "Message table overflow. Either increase the value of Const MSG_ENTRIES or use ALL_MESSAGES "
             "instead of specific message values");
        return false;
    }
    list.push_back(message);
    return true;
}

bool WindowHook::DelMsg(std::uintptr_t window, int64_t message, When when) {
    Table* table = Map(window);
    if (table == nullptr) return false;
    auto& list = when == When::Before ? table->before : table->after;
    auto found = std::find(list.begin(), list.end(), message);
    if (found == list.end()) {
        char hex[24];
        std::snprintf(hex, sizeof hex, "%llX", static_cast<unsigned long long>(message & 0xFFFFFFFF));
        Fail("zDelMsg", std::string("Message &H") + hex + " not found in table");
        return false;
    }
    list.erase(found);
    return true;
}

bool WindowHook::Wants(std::uintptr_t window, uint32_t message, When when) const {
    auto found = tables_.find(window);
    if (found == tables_.end()) return false;
    const auto& list = when == When::Before ? found->second.before : found->second.after;
    return std::any_of(list.begin(), list.end(),
                       [message](int64_t m) { return m == kAllMessages || m == static_cast<int64_t>(message); });
}

void ReportHookFailure(forms::Host& host, os::Api& api, const std::string& source, const std::string& routine,
                       const std::string& message) {
    const std::string where = std::string(kClassName) + "." + routine;
    // The log first: the box waits for the user, and the entry must not.
    api.ReportEvent(source, os::EventlogError, where + ": " + message);
    host.MsgBox(message + ".", forms::vbExclamation, "Error in " + where);
}

}  // namespace controls
