// Writes a whole text file in one call.
#pragma once

#include "platform/Services.h"

#include <string>

namespace platform {

class clsFile {
public:
    explicit clsFile(const Services& services) : services_(services) {}

    // Creates or truncates strfileName and writes strText followed by CR LF.
    // Raises a file error on failure.
    void FileWrite(const std::string& strfileName, const std::string& strText);
    static std::string sRemoveLastChar(const std::string& sPassString);
    static std::string LastChar(const std::string& strText);

private:
    Services services_;
};

}  // namespace platform
