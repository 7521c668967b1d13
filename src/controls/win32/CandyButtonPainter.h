// The CandyButtons on real windows: draws them (faces, caption, picture,
// focus) into the owner-drawn buttons the form host makes, and hooks each
// button's window for hover, Enter, focus and its rounded shape.
#pragma once

#include <string>

namespace forms {
class Win32Host;
}
namespace os {
class Api;
}

namespace controls::win32 {

struct PainterOptions {
    // Look for the mouse-leave tracking functions; without them (or with
    // this off, for tests) the buttons have no hover looks.
    bool hoverTracking = true;
};

// Registers the painter of every CandyButton the host shows. Failures of the
// window hook are said in a message box and in the application event log
// under eventSource.
void UseCandyButtons(forms::Win32Host& host, os::Api& api, const std::string& eventSource,
                     PainterOptions options = {});

}  // namespace controls::win32
