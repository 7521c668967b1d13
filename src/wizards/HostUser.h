// The user the engine and the platform classes talk to, played by the form
// host: messages and questions become message boxes.
#pragma once

#include "forms/Host.h"
#include "platform/UserPort.h"

namespace wizards {

class HostUser : public platform::UserPort {
public:
    explicit HostUser(forms::Host& host) : host_(host) {}

    void Tell(const std::string& text, platform::Mark mark, const std::string& caption) override {
        host_.MsgBox(text, Style(forms::vbOKOnly, mark), caption);
    }
    bool Ask(const std::string& question, platform::Mark mark, const std::string& caption) override {
        return host_.MsgBox(question, Style(forms::vbYesNo, mark), caption) == forms::vbYes;
    }
    void DoEvents() override { host_.DoEvents(); }
    void DoEvents(int times) override { host_.DoEvents(times); }
    [[noreturn]] void End() override {
        host_.End();
        // Every host's End throws; the compiler cannot know that of a virtual call.
        throw forms::ProgramEnded();
    }

    forms::Host& FormHost() const { return host_; }

private:
    static uint32_t Style(uint32_t buttons, platform::Mark mark) {
        switch (mark) {
            case platform::Mark::None: break;
            case platform::Mark::Question: return buttons | forms::vbQuestion;
            case platform::Mark::Exclamation: return buttons | forms::vbExclamation;
            case platform::Mark::Information: return buttons | forms::vbInformation;
        }
        return buttons;
    }

    forms::Host& host_;
};

}  // namespace wizards
