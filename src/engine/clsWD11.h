// The Word 2003 (Office 11.0) profile.
#pragma once

#include "engine/WordProfile.h"

namespace engine {

class clsWD11 : public WordProfile {
public:
    explicit clsWD11(Program& program) : WordProfile(program, Word2003()) {}
    static const ProfileTable& Word2003();
};

}  // namespace engine
