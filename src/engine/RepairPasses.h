// The two passes of the automatic repair: the analysis starts Word with one
// component enabled at a time and puts everything back; the repair leaves
// disabled exactly the components Word fails with. The wizard and the
// unattended run call the same passes; only the reporter differs.
#pragma once

#include "engine/RunRecord.h"
#include "engine/clsWD.h"

#include <array>
#include <cstddef>
#include <string>

namespace engine {

enum class Pass { Analysis, Repair };

// How a component came out of its start test.
enum class Verdict {
    Passed,   // Word started with it
    Failed,   // Word did not: at fault
    NotDone,  // its step fell short; the line says why
};

class PassReporter {
public:
    virtual ~PassReporter() = default;
    // The step about to run on the way to everything disabled, by its index
    // in the pass's list; what names it in plain words.
    virtual void Step(Pass pass, size_t index, const char* what) = 0;
    // Word was started with everything disabled; a reporter that returns
    // after false lets the pass stop there.
    virtual void StartedDisabled(Pass pass, bool started) = 0;
    // A component's result; failureLine is set for NotDone. A later call for
    // the same component replaces the earlier one.
    virtual void Result(Pass pass, RunRecord::Part part, Verdict verdict, const std::string& failureLine) = 0;
};

struct PassResult {
    // Word started with everything disabled; when false nothing was checked
    // and everything is still disabled.
    bool started = false;
    // The final verdict per component, by RunRecord::Part.
    std::array<Verdict, 5> verdict{};
};

// The analysis steps before the start with everything disabled (the repair's
// are the same operations, in its own order).
inline constexpr size_t kAnalysisSteps = 10;

PassResult AnalysisPass(clsWD& wd, const RunRecord& run, PassReporter& reporter);
PassResult RepairPass(clsWD& wd, const RunRecord& run, PassReporter& reporter);
// Every component back as the user had it, after a pass that stopped with
// everything disabled. Returns the lines of those that could not be.
std::array<std::string, 5> PutEverythingBack(clsWD& wd, const RunRecord& run);

}  // namespace engine
