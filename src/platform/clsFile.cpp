#include "platform/clsFile.h"

#include "os/Handles.h"
#include "platform/FileError.h"
#include "platform/clsFileSystem.h"

#include <algorithm>

namespace platform {

namespace {
constexpr const char* kSource = "clsFile";
}  // namespace

void clsFile::FileWrite(const std::string& strfileName, const std::string& strText) {
    os::Api& api = services_.api;
    os::UniqueHandle file(api, api.CreateFile(strfileName, os::GenericWrite, 0, os::CreateAlways));
    if (!file) RaiseFileError(api.GetLastError(), kSource);

    const std::string data = strText + "\r\n";
    const char* next = data.data();
    std::string::size_type left = data.size();
    while (left > 0) {
        const auto chunk = uint32_t(std::min<std::string::size_type>(left, 1u << 30));
        uint32_t written = 0;
        if (!api.WriteFile(file.get(), next, chunk, &written)) RaiseFileError(api.GetLastError(), kSource);
        if (written == 0) RaiseFileErrorNumber(kErrDiskFull, kSource);
        next += written;
        left -= std::min<std::string::size_type>(written, left);
    }
    if (!api.CloseHandle(file.release())) RaiseFileError(api.GetLastError(), kSource);
}

std::string clsFile::sRemoveLastChar(const std::string& sPassString) {
    return clsFileSystem::sRemoveLastChar(sPassString);
}

std::string clsFile::LastChar(const std::string& strText) { return clsFileSystem::LastChar(strText); }

}  // namespace platform
