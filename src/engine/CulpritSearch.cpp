#include "engine/CulpritSearch.h"

namespace engine {

namespace {
int CeilLog2(size_t count) {
    int bits = 0;
    while ((size_t{1} << bits) < count) ++bits;
    return bits;
}
}  // namespace

CulpritResult FindCulprits(size_t count, const StartWith& startWith, std::optional<bool> allStarted) {
    CulpritResult result;
    result.atFault.assign(count, false);
    if (count == 0) return result;
    // Known good (on), suspects (fail together with the good ones), and the
    // items not tried yet (off).
    std::vector<bool> good(count, false);
    std::vector<size_t> suspects, untried;
    for (size_t i = 0; i < count; ++i) suspects.push_back(i);
    auto startWithGoodAnd = [&](const std::vector<size_t>& extra) {
        std::vector<bool> on = good;
        for (size_t i : extra) on[i] = true;
        ++result.starts;
        return startWith(on);
    };
    auto markGood = [&](const std::vector<size_t>& items) {
        for (size_t i : items) good[i] = true;
    };
    if (!allStarted) allStarted = startWithGoodAnd(suspects);
    if (*allStarted) return result;

    for (;;) {
        while (suspects.size() > 1) {
            const auto middle = suspects.begin() + static_cast<std::ptrdiff_t>(suspects.size() / 2);
            std::vector<size_t> first(suspects.begin(), middle), second(middle, suspects.end());
            if (startWithGoodAnd(first)) {
                markGood(first);
                suspects = std::move(second);
            } else {
                suspects = std::move(first);
                untried.insert(untried.end(), second.begin(), second.end());
            }
        }
        // Word starts with the good ones and fails once this one joins them.
        result.atFault[suspects.front()] = true;
        if (untried.empty()) break;
        if (startWithGoodAnd(untried)) {
            markGood(untried);
            break;
        }
        suspects = std::move(untried);
        untried.clear();
    }
    return result;
}

int ExpectedStarts(size_t count, std::optional<bool> allStarted) {
    if (count == 0 || allStarted.value_or(false)) return 0;
    const int first = allStarted ? 0 : 1;
    return count == 1 ? first : first + CeilLog2(count) + 1;
}

}  // namespace engine
