#include "platform/FileError.h"

#include "os/Api.h"
#include "platform/RaisedError.h"

namespace platform {

void RaiseFileErrorNumber(long number, const std::string& source) {
    const char* text = "Path/File access error";
    switch (number) {
        case kErrBadFileName: text = "Bad file name or number"; break;
        case kErrFileNotFound: text = "File not found"; break;
        case kErrDiskFull: text = "Disk full"; break;
        case kErrPermissionDenied: text = "Permission denied"; break;
        case kErrPathNotFound: text = "Path not found"; break;
        default: number = kErrPathFileAccess; break;
    }
    throw RaisedError(number, source, text);
}

void RaiseFileError(uint32_t lastError, const std::string& source) {
    switch (lastError) {
        case os::err::FileNotFound: RaiseFileErrorNumber(kErrFileNotFound, source);
        case os::err::PathNotFound: RaiseFileErrorNumber(kErrPathNotFound, source);
        case os::err::SharingViolation: RaiseFileErrorNumber(kErrPermissionDenied, source);
        case os::err::DiskFull:
        case os::err::HandleDiskFull: RaiseFileErrorNumber(kErrDiskFull, source);
        case os::err::InvalidName: RaiseFileErrorNumber(kErrBadFileName, source);
        default: RaiseFileErrorNumber(kErrPathFileAccess, source);  // access denied, not empty, exists, ...
    }
}

}  // namespace platform
