// Puts components back as a journal says they were before its run: the
// recovery at the next start and the undo wizard. What is there now is kept
// first, like any other backup, and this run's own journal records it, so
// that a put-back can itself be put back.
#pragma once

#include "engine/Journal.h"
#include "engine/Program.h"

#include <string>
#include <vector>

namespace engine {

// A component as the user knows it: one key, Normal.dot, or the Startup
// add-ins together; the journal's entries that make it up.
struct Component {
    std::string name;  // "the COM add-ins", "the Data key", "Normal.dot", "the Startup add-ins"
    std::vector<size_t> entries;
};
// The components run changed, in the order it first changed them.
std::vector<Component> ChangedComponents(const JournalRun& run);
// Their names, joined with ", ".
std::string Names(const std::vector<Component>& components);

struct PutBackResult {
    std::string component;
    bool done = false;
    std::string why;  // what stopped it, in plain words
};

// Puts back each component chosen as it was before run (which must be
// sound), each entry verified, as a run of its own named wizard: journalled
// like any run and finished once every component was tried. A component of
// which a kept file is gone, or no longer holds its bytes, is left as it is.
std::vector<PutBackResult> PutBackAsRun(Program& program, const JournalRun& run,
                                        const std::vector<Component>& chosen, const std::string& wizard);

// The component's name for a success; "<Component> could not be put back:
// <why>" for a failure.
std::string ResultText(const PutBackResult& result);

}  // namespace engine
