// Waiting for what happens in its own time: another thread, another process.
#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace qvxtest {

// Asks done every step until it holds (true) or limit has passed (false).
inline bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit,
                      std::chrono::milliseconds step = std::chrono::milliseconds(20)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (done()) return true;
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(step);
    }
}

}  // namespace qvxtest
