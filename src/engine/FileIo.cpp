#include "engine/FileIo.h"

#include "os/Handles.h"

#include <algorithm>
#include <vector>

namespace engine {
namespace {

// A failing call that left no status behind still must not read as success.
uint32_t LastErrorOr(os::Api& api, uint32_t fallback) {
    uint32_t code = api.GetLastError();
    return code != os::err::Success ? code : fallback;
}

constexpr uint32_t ChunkSize = 64 * 1024;

uint32_t WriteAndFlush(os::Api& api, const std::string& path, const std::string& bytes, bool replace,
                       bool* created) {
    api.SetLastError(os::err::Success);
    os::UniqueHandle file(api, api.CreateFile(path, os::GenericWrite, 0, replace ? os::CreateAlways : os::CreateNew));
    if (!file) return LastErrorOr(api, os::err::AccessDenied);
    *created = true;
    size_t done = 0;
    while (done < bytes.size()) {
        uint32_t chunk = static_cast<uint32_t>(std::min<size_t>(bytes.size() - done, ChunkSize));
        uint32_t written = 0;
        if (!api.WriteFile(file.get(), bytes.data() + done, chunk, &written)) {
            return LastErrorOr(api, os::err::DiskFull);
        }
        // A short write without an error is a full disk on every system we know.
        if (written == 0) return os::err::DiskFull;
        done += written;
    }
    if (!api.FlushFileBuffers(file.get())) return LastErrorOr(api, os::err::DiskFull);
    os::Handle handle = file.release();
    if (!api.CloseHandle(handle)) return LastErrorOr(api, os::err::InvalidHandle);
    return os::err::Success;
}

}  // namespace

uint32_t WriteWholeFile(os::Api& api, const std::string& path, const std::string& bytes, bool replace) {
    bool created = false;
    uint32_t code = WriteAndFlush(api, path, bytes, replace, &created);
    // Once CreateFile has truncated the file, a failure leaves a damaged
    // file; when CreateFile itself failed, whatever was there is untouched.
    if (code != os::err::Success && created) api.DeleteFile(path);
    return code;
}

uint32_t ReadWholeFile(os::Api& api, const std::string& path, std::string* bytes) {
    bytes->clear();
    api.SetLastError(os::err::Success);
    os::UniqueHandle file(api, api.CreateFile(path, os::GenericRead, os::ShareRead, os::OpenExisting));
    if (!file) return LastErrorOr(api, os::err::FileNotFound);
    std::vector<char> buffer(ChunkSize);
    for (;;) {
        uint32_t read = 0;
        if (!api.ReadFile(file.get(), buffer.data(), ChunkSize, &read)) {
            bytes->clear();
            return LastErrorOr(api, os::err::InvalidData);
        }
        if (read == 0) break;
        bytes->append(buffer.data(), read);
    }
    return os::err::Success;
}

}  // namespace engine
