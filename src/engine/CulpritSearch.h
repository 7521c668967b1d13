// Which of a component's add-ins keep Word from starting, found by halving:
// Word is started with half of the suspects on, and only the half it fails
// with is split again. One add-in at fault among n costs about log2(n) + 1
// starts instead of one start per add-in.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

namespace engine {

// Starts Word with exactly the items marked true turned on; true when Word
// started.
using StartWith = std::function<bool(const std::vector<bool>& on)>;

struct CulpritResult {
    std::vector<bool> atFault;  // the items left off; every other one is on
    int starts = 0;             // how often Word was started
};

// Word must start with none of the items on. allStarted is what an earlier
// start with all of them on showed, if there was one. The items left on
// always start together; each item left off failed with them.
CulpritResult FindCulprits(size_t count, const StartWith& startWith, std::optional<bool> allStarted);

// The starts to expect when one item is at fault, for the question asked
// before the search: ceil(log2 count) + 1, none when Word started with all.
int ExpectedStarts(size_t count, std::optional<bool> allStarted);

}  // namespace engine
