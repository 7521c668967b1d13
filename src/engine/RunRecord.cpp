#include "engine/RunRecord.h"

namespace engine {

std::string ResultLine(const RunRecord& run, RunRecord::Part part, Done done, const std::string& success) {
    const std::string& why = run.Failure(part);
    if (why.empty()) return success;
    static constexpr const char* kNames[] = {"Normal.dot", "Data", "COM", "Options", "Addins"};
    static constexpr const char* kDone[] = {"reset", "put back", "disabled"};
    return std::string(kNames[static_cast<size_t>(part)]) + " could not be " + kDone[static_cast<size_t>(done)] +
           ": " + why;
}

std::string WithForAllUsers(const RunRecord& run, RunRecord::Part part, const std::string& line) {
    std::string result = line;
    for (const std::string& name : run.forAllUsers[static_cast<size_t>(part)])
        result += "; " + name + " (for all users: an administrator can disable it)";
    return result;
}

}  // namespace engine
