#include "engine/clsWD10.h"

namespace engine {

const ProfileTable& clsWD10::Word2002() {
    static const ProfileTable table{
        "clsWD10",
        "Software\\Microsoft\\Office\\10.0\\Word\\Data",
        "Software\\Microsoft\\Office\\10.0\\Word\\Options",
        "Software\\Microsoft\\Office\\Word\\Addins",
        "Software\\Microsoft\\Office\\10.0\\Common\\General",
        "SUPPORT10.DOT",
        true,
    };
    return table;
}

}  // namespace engine
