#include "platform/MFile.h"

namespace platform {

namespace {
// The size of the original 32-bit request; the Win32 layer maps it to this
// build's size.
constexpr uint32_t kRequestSize = 76;
constexpr uint32_t kMaxFile = 260;
constexpr uint32_t kHideReadOnly = 4;
}  // namespace

void MFile::BuildDialogFilter(const std::string& filter) {
    filter_.clear();
    for (char c : filter) filter_ += c == '|' ? '\0' : c;
    // The terminator the call adds makes the second NUL that ends the list.
    filter_ += '\0';
}

std::string MFile::ShowOpenDialog(const std::string& title, const std::string& filter, std::string& defaultExt) {
    defaultExt = ".BAK";
    BuildDialogFilter(filter);

    os::OpenFileRequest request;
    request.structSize = kRequestSize;
    request.owner = 0;
    request.filter = filter_;
    request.fileBuffer = std::string(kMaxFile - 1, ' ') + '\0';
    request.maxFile = kMaxFile;
    request.title = title;
    request.flags = kHideReadOnly;
    request.defExt = defaultExt;
    // Cancel and failure alike leave the blanks in the buffer.
    services_.api.GetOpenFileName(&request);

    const std::string& buffer = request.fileBuffer;
    return buffer.substr(0, buffer.find('\0'));
}

}  // namespace platform
