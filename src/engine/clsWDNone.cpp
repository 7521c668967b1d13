#include "engine/clsWDNone.h"

namespace engine {

void clsWDNone::Execute(bool) {
    program_.services.user.Tell("WP 9", platform::Mark::None, program_.services.title);
}

}  // namespace engine
