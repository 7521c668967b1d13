// A scripted host that is also the user the engine and the platform classes
// talk to, through the same adapter the program uses.
#pragma once

#include "forms/ScriptedHost.h"
#include "wizards/HostUser.h"

namespace qvxtest {

class ScriptedUser : public forms::ScriptedHost, public wizards::HostUser {
public:
    ScriptedUser() : HostUser(static_cast<forms::ScriptedHost&>(*this)) {}
    using forms::ScriptedHost::DoEvents;
    using forms::ScriptedHost::End;
};

}  // namespace qvxtest
