#include "engine/clsWD11.h"

namespace engine {

const ProfileTable& clsWD11::Word2003() {
    static const ProfileTable table{
        "clsWD11",
        "Software\\Microsoft\\Office\\11.0\\Word\\Data",
        "Software\\Microsoft\\Office\\11.0\\Word\\Options",
        "Software\\Microsoft\\Office\\Word\\Addins",
        "Software\\Microsoft\\Office\\11.0\\Common\\General",
        "SUPPORT11.DOT",
        false,
    };
    return table;
}

}  // namespace engine
