// The hook a CandyButton puts on its own window: per window, the messages it
// wants to see before and after the window's own handling. Failures are
// reported under the routine's name ("sc_Subclass", "zAddMsg", ...) to a
// sink; ReportHookFailure is the program's sink (a message box and an entry
// in the application event log).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace forms {
class Host;
}
namespace os {
class Api;
}

namespace controls {

enum class When { Before, After };
// Stands for every message in a table.
constexpr int64_t kAllMessages = -1;
constexpr std::size_t kMessageEntries = 32;

class WindowHook {
public:
    // What hooking a window takes of the system.
    class System {
    public:
        virtual ~System() = default;
        virtual bool IsWindow(std::uintptr_t window) = 0;
        virtual bool IsOwnProcess(std::uintptr_t window) = 0;
        // False with the system's error number when the window could not be
        // hooked.
        virtual bool Install(std::uintptr_t window, uint32_t* error) = 0;
        virtual void Remove(std::uintptr_t window) = 0;
    };
    using FailureSink = std::function<void(const std::string& routine, const std::string& message)>;

    WindowHook(System& system, FailureSink failed);
    // Removes the hooks still in place.
    ~WindowHook();
    WindowHook(const WindowHook&) = delete;
    WindowHook& operator=(const WindowHook&) = delete;

    bool Subclass(std::uintptr_t window);    // sc_Subclass
    bool UnSubclass(std::uintptr_t window);  // sc_UnSubclass
    bool AddMsg(std::uintptr_t window, int64_t message, When when);  // zAddMsg
    bool DelMsg(std::uintptr_t window, int64_t message, When when);  // zDelMsg
    // Whether the window's table asks for the message at that moment.
    bool Wants(std::uintptr_t window, uint32_t message, When when) const;
    bool IsSubclassed(std::uintptr_t window) const { return tables_.count(window) != 0; }
    // The window is gone (its last message): forget it without touching it.
    void Forget(std::uintptr_t window) { tables_.erase(window); }

private:
    struct Table {
        std::vector<int64_t> before;
        std::vector<int64_t> after;
    };
    Table* Map(std::uintptr_t window);  // zMap_hWnd
    void Fail(const std::string& routine, const std::string& message) const;

    System& system_;
    FailureSink failed_;
    std::map<std::uintptr_t, Table> tables_;
};

// Says a failure of the hook: a message box with an exclamation icon, caption
// "Error in CandyButton.<routine>", text "<message>.", and an error entry
// "CandyButton.<routine>: <message>" in the application event log under source.
void ReportHookFailure(forms::Host& host, os::Api& api, const std::string& source, const std::string& routine,
                       const std::string& message);

}  // namespace controls
