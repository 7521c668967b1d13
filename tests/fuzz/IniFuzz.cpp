// Fuzzes the profile-file reading of the emulated machine and MIni over it.
// The input is the file. It is asked for the keys the restore wizard reads
// and for the first section and key the file itself names, with buffers of
// several sizes; the answers must be NUL-terminated within the buffer, never
// write past it, agree with each other, and hold no line break.
#include "os/emulated/Machine.h"
#include "platform/MIni.h"
#include "platform/Services.h"
#include "support/ScriptedUser.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr char kFile[] = "C:\\Fuzz\\Word.BAK";
constexpr uint32_t kSizes[] = {0, 1, 2, 7, 255, 4096};
constexpr size_t kGuard = 16;
constexpr char kFill = 0x5A;

[[noreturn]] void Broken(const char* what, const std::string& section, const std::string& key, uint32_t size) {
    std::fprintf(stderr, "fuzz_ini: %s ([%s] %s, buffer %u)\n", what, section.c_str(), key.c_str(), size);
    std::abort();
}

// The first "[section]" and the first "key=" after it, so that the fuzzer
// can reach values without guessing names.
std::pair<std::string, std::string> NamedInFile(const std::string& content) {
    size_t open = content.find('[');
    if (open == std::string::npos) return {};
    size_t close = content.find_first_of("]\r\n", open + 1);
    if (close == std::string::npos) return {};
    std::string section = content.substr(open + 1, close - open - 1);
    size_t lineStart = content.find_first_of("\r\n", close);
    if (lineStart == std::string::npos) return {section, {}};
    size_t equals = content.find('=', lineStart);
    if (equals == std::string::npos) return {section, {}};
    size_t keyStart = content.find_last_of("\r\n", equals);
    return {section, content.substr(keyStart + 1, equals - keyStart - 1)};
}

std::string Ask(os::emulated::Machine& machine, const std::string& section, const std::string& key,
                const std::string& defaultValue, uint32_t size) {
    std::vector<char> buffer(size + kGuard, kFill);
    uint32_t count = machine.GetPrivateProfileString(section, key, defaultValue, buffer.data(), size, kFile);
    for (size_t i = size; i < buffer.size(); ++i) {
        if (buffer[i] != kFill) Broken("wrote past the buffer", section, key, size);
    }
    if (size == 0) {
        if (count != 0) Broken("counted characters into no buffer", section, key, size);
        return {};
    }
    if (count >= size) Broken("the count does not fit the buffer", section, key, size);
    if (buffer[count] != '\0') Broken("the text is not terminated at its count", section, key, size);
    if (std::strlen(buffer.data()) != count) Broken("the count is not the text's length", section, key, size);
    std::string text(buffer.data(), count);
    if (text.find_first_of("\r\n") != std::string::npos) Broken("a line break in a value", section, key, size);
    return text;
}

void Check(os::emulated::Machine& machine, platform::MIni& ini, const std::string& section, const std::string& key) {
    const std::string defaultValue = "none";
    const std::string full = Ask(machine, section, key, defaultValue, kSizes[std::size(kSizes) - 1]);
    for (uint32_t size : kSizes) {
        if (size == 0) continue;
        std::string cut = Ask(machine, section, key, defaultValue, size);
        if (cut != full.substr(0, size - 1)) Broken("a smaller buffer gets another text", section, key, size);
    }
    std::string read = ini.ReadIniString(kFile, section, key);
    std::string expected = Ask(machine, section, key, "", 255);
    if (read != expected) Broken("ReadIniString differs from the profile call", section, key, 255);
    if (read.size() > 254) Broken("ReadIniString is longer than 254", section, key, 255);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string content(reinterpret_cast<const char*>(data), size);
    os::emulated::Machine machine;
    machine.WriteFileText(kFile, content);
    qvxtest::ScriptedUser host;
    platform::Services services{machine, host};
    platform::MIni ini(services);

    Check(machine, ini, "Backup", "Version");
    Check(machine, ini, "Backup", "Backup_Location");
    auto [section, key] = NamedInFile(content);
    Check(machine, ini, section, key);
    return 0;
}
