#include "app/SingleInstance.h"

namespace app {

namespace {

// Local\: one copy per user session; another user's session runs its own.
constexpr const char* kMutexName = "Local\\Quorvex.qvxfix.OneCopy";
constexpr const char* kAlreadyRunning = "Quorvex is already running.";

}  // namespace

SingleInstance::SingleInstance(os::Api& api) : mutex_(api, api.CreateMutex(kMutexName, &another_)) {
    // A mutex made by a process of other rights exists but cannot be
    // opened: that is another copy too. Any other failure leaves the run
    // unguarded rather than refusing it.
    if (!mutex_ && api.GetLastError() == os::err::AccessDenied) another_ = true;
}

int RefuseSecondCopy(os::Api& api, forms::Host& host, const std::string& title, const std::string& windowClass) {
    host.MsgBox(kAlreadyRunning, forms::vbOKOnly, title);
    api.ActivateOtherWindow(windowClass);
    return kExitAnotherCopyRuns;
}

}  // namespace app
