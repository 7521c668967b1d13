// The system's open-file dialog, as the restore wizard uses it to let the
// user pick a backup file.
#pragma once

#include "platform/Services.h"

#include <string>

namespace platform {

class MFile {
public:
    explicit MFile(const Services& services) : services_(services) {}

    // Shows the dialog and returns the chosen full path. After Cancel (or a
    // dialog that could not be shown) the result is the untouched buffer:
    // 259 blanks. defaultExt is set to ".BAK" whatever the caller passed.
    std::string ShowOpenDialog(const std::string& title, const std::string& filter, std::string& defaultExt);
    // Turns "description|pattern|..." into the dialog's NUL-separated list.
    void BuildDialogFilter(const std::string& filter);
    const std::string& DialogFilter() const { return filter_; }

private:
    Services services_;
    std::string filter_;
};

}  // namespace platform
