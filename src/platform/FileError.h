// File operations that trap nothing raise the runtime's file error numbers,
// so a caller sees the same failure whichever class met it.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// Runtime file errors, by the Win32 status that caused them.
constexpr long kErrBadFileName = 52;   // "Bad file name or number"
constexpr long kErrFileNotFound = 53;  // "File not found"
constexpr long kErrDiskFull = 61;      // "Disk full"
constexpr long kErrPermissionDenied = 70;  // "Permission denied"
constexpr long kErrPathFileAccess = 75;    // "Path/File access error"
constexpr long kErrPathNotFound = 76;      // "Path not found"

// Throws RaisedError with the number and text that fit lastError.
[[noreturn]] void RaiseFileError(uint32_t lastError, const std::string& source);
[[noreturn]] void RaiseFileErrorNumber(long number, const std::string& source);

}  // namespace platform
