#include "engine/RunRecord.h"

namespace engine {

std::string ResultLine(const RunRecord& run, RunRecord::Part part, Done done, const std::string& success) {
    const std::string& why = run.Failure(part);
    if (why.empty()) return success;
    static constexpr const char* kNames[] = {"", "Data", "COM", "Options", "Addins"};
    static constexpr const char* kDone[] = {"reset", "put back", "disabled"};
    const std::string name = part == RunRecord::Part::Template ? run.templateName : kNames[static_cast<size_t>(part)];
    return name + " could not be " + kDone[static_cast<size_t>(done)] + ": " + why;
}

std::string WithForAllUsers(const RunRecord& run, RunRecord::Part part, const std::string& line) {
    std::string result = line;
    for (const std::string& name : run.forAllUsers[static_cast<size_t>(part)])
        result += "; " + name + " (for all users: an administrator can disable it)";
    return result;
}

}  // namespace engine
