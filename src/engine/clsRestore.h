// The restore wizard creates one of these and calls Restore once it has read
// the chosen backup file; restoring from such a file does nothing yet.
#pragma once

namespace engine {

class clsRestore {
public:
    void Restore() {}
};

}  // namespace engine
