// What the program's logic asks of the user: to read a message, to answer
// Yes or No, to let the windows keep painting while it works, and to end the
// program. The wizards implement it over the form host, so that neither the
// engine nor the platform classes need the form runtime.
#pragma once

#include <string>

namespace platform {

// The icon a message shows beside its text.
enum class Mark { None, Question, Exclamation, Information };

class UserPort {
public:
    virtual ~UserPort() = default;
    // A message closed with OK.
    virtual void Tell(const std::string& text, Mark mark, const std::string& caption) = 0;
    // A Yes/No question; true only for Yes.
    virtual bool Ask(const std::string& question, Mark mark, const std::string& caption) = 0;
    // Lets pending window messages run once.
    virtual void DoEvents() = 0;
    // As many times; a host may stop at a time that found nothing to run,
    // since nothing of the program's has run after it.
    virtual void DoEvents(int times) {
        for (int i = 0; i < times; ++i) DoEvents();
    }
    // Stops the program at once; no code after it runs.
    [[noreturn]] virtual void End() = 0;
};

}  // namespace platform
