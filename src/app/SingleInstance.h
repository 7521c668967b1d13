// One copy of the program at a time in the user's session. Two copies would
// move each other's backups aside and restore the wrong data, so the first
// holds a named mutex of the session for its whole run and a later one finds
// it taken.
#pragma once

#include "forms/Host.h"
#include "os/Api.h"
#include "os/Handles.h"

#include <string>

namespace app {

// The exit code of a copy that did not run because another one does.
constexpr int kExitAnotherCopyRuns = 3;

class SingleInstance {
public:
    explicit SingleInstance(os::Api& api);

    // Whether another copy held the mark when this one started.
    bool AnotherCopyRuns() const { return another_; }

private:
    bool another_ = false;
    os::UniqueHandle mutex_;
};

// What a second copy does instead of starting: tells the user, then brings
// the first copy's window (of the form host's window class) to the front.
// Touches nothing else. Returns the exit code.
int RefuseSecondCopy(os::Api& api, forms::Host& host, const std::string& title, const std::string& windowClass);

}  // namespace app
