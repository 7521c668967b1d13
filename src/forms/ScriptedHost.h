// A host that plays the user in native tests: it records every message box,
// answers them from a queue, counts yields and runs queued actions at chosen
// yields ("click Cancel at the 5th yield").
#pragma once

#include "forms/Host.h"

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace forms {

class ScriptedHost : public Host {
public:
    struct Box {
        std::string text;
        uint32_t style = 0;
        std::string caption;
        int answer = 0;
    };

    int MsgBox(const std::string& text, uint32_t style, const std::string& caption) override;
    void DoEvents() override;
    [[noreturn]] void End() override;

    // The next message box is closed with this button. Without a queued
    // answer a box is closed with its first button (OK, Yes, Abort, Retry).
    void QueueAnswer(int answer) { answers_.push_back(answer); }
    // Runs action during the n-th yield from now on (1 = the next one).
    void AtYield(int n, std::function<void()> action);

    const std::vector<Box>& Boxes() const { return boxes_; }
    int Yields() const { return yields_; }
    bool Ended() const { return ended_; }

private:
    std::vector<Box> boxes_;
    std::deque<int> answers_;
    std::multimap<int, std::function<void()>> atYield_;
    int yields_ = 0;
    bool ended_ = false;
};

}  // namespace forms
