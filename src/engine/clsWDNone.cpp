#include "engine/clsWDNone.h"

#include "forms/Host.h"

namespace engine {

void clsWDNone::Execute(bool) {
    program_.services.host.MsgBox("WP 9", forms::vbOKOnly, program_.services.title);
}

}  // namespace engine
