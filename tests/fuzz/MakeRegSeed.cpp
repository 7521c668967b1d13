// Writes our own export of a key that holds every kind of value (texts with
// escapes, non-ASCII names, all value types, hex data around the line break,
// nested subkeys) to the file given: a seed for fuzz_regfile and the file
// that tests/fuzz/make-corpus imports into Wine's registry editor.
#include "engine/RegFile.h"
#include "os/emulated/Machine.h"

#include <cstdio>
#include <string>
#include <string_view>

namespace {

constexpr char kKey[] = "Software\\Quorvex Fuzz Seed";

void Put(os::Api& api, const std::string& sub, const std::string& name, uint32_t type, std::string_view data) {
    os::HKey key = 0;
    std::string path = std::string(kKey) + (sub.empty() ? "" : "\\" + sub);
    if (api.RegCreateKeyEx(os::HKeyCurrentUser, path, os::KeyAllAccess, &key, nullptr) != 0) return;
    api.RegSetValueEx(key, name, type, reinterpret_cast<const uint8_t*>(data.data()), static_cast<uint32_t>(data.size()));
    api.RegCloseKey(key);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_reg_seed OUT.reg\n");
        return 2;
    }
    os::emulated::Machine api;
    std::string bytes;
    for (int i = 0; i < 300; ++i) bytes += static_cast<char>(i * 13);
    Put(api, "", "", os::RegSz, std::string_view("default", 8));
    Put(api, "", "plain", os::RegSz, std::string_view("hello \"q\" back\\slash", 21));
    Put(api, "", "na\"me\\with=[brackets]", os::RegSz, std::string_view("v", 2));
    Put(api, "", "empty", os::RegSz, std::string_view("", 1));
    Put(api, "", "caf\xC3\xA9", os::RegSz, std::string_view("na\xC3\xAFve \xC2\xA3", 10));
    Put(api, "", "lines", os::RegSz, std::string_view("one\r\ntwo", 9));
    Put(api, "", "dword", os::RegDword, std::string_view("\xab\x12\0\0", 4));
    Put(api, "", "qword", os::RegQword, std::string_view("\x88\x77\x66\x55\x44\x33\x22\x11", 8));
    Put(api, "", "expand", os::RegExpandSz, std::string_view("%SystemRoot%\\system32\\a long path\\to wrap", 42));
    Put(api, "", "multi", os::RegMultiSz, std::string_view("one\0two\0\0", 9));
    Put(api, "", "none", os::RegNone, std::string_view("\xaa\xbb", 2));
    Put(api, "", "empty binary", os::RegBinary, std::string_view("", 0));
    Put(api, "", "big endian", os::RegDwordBigEndian, std::string_view("\1\2\3\4", 4));
    Put(api, "", "odd type", 0x1234, std::string_view("\1\2", 2));
    for (size_t size : {23, 24, 25, 49, 120}) {
        Put(api, "", "b" + std::to_string(size), os::RegBinary, std::string_view(bytes).substr(0, size));
    }
    Put(api, "", std::string(71, 'n'), os::RegBinary, std::string_view(bytes).substr(0, 30));
    Put(api, "Empty", "", os::RegNone, {});
    Put(api, "a=b [c]", "x", os::RegSz, std::string_view("y", 2));
    Put(api, "K\xC3\xA9y\\Deeper\\Deepest", "leaf", os::RegMultiSz, std::string_view("\0", 1));

    std::string file;
    if (long rc = engine::ExportRegKey(api, os::HKeyCurrentUser, kKey, &file); rc != 0) {
        std::fprintf(stderr, "make_reg_seed: export failed (%ld)\n", rc);
        return 1;
    }
    std::FILE* out = std::fopen(argv[1], "wb");
    if (out == nullptr || std::fwrite(file.data(), 1, file.size(), out) != file.size() || std::fclose(out) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
