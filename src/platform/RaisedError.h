// A raised error as the program's classes report one to their caller: a
// number, the source that raised it and a description.
#pragma once

#include <stdexcept>
#include <string>

namespace platform {

class RaisedError : public std::runtime_error {
public:
    RaisedError(long number, std::string source, std::string description)
        : std::runtime_error(source + " error " + std::to_string(number) + ": " + description),
          Number(number),
          Source(std::move(source)),
          Description(std::move(description)) {}

    long Number;
    std::string Source;
    std::string Description;
};

}  // namespace platform
