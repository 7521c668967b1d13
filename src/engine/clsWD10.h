// The Word 2002 (Office 10.0) profile.
#pragma once

#include "engine/WordProfile.h"

namespace engine {

class clsWD10 : public WordProfile {
public:
    explicit clsWD10(Program& program) : WordProfile(program, Word2002()) {}
    static const ProfileTable& Word2002();
};

}  // namespace engine
