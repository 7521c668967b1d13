// Export and import of registry keys in the registry editor's .reg format,
// done by the program itself so that every backup can be checked before the
// key it saves is removed.
//
// Files are written as "Windows Registry Editor Version 5.00" (UTF-16LE with
// a BOM, CRLF line ends, hex data wrapped the way the editor wraps it); both
// that format and the older ANSI "REGEDIT4" are read. Registry data is held
// as the ANSI ("A") functions see it: string types in the ANSI code page,
// everything else as raw bytes.
#pragma once

#include "os/Api.h"

#include <cstdint>
#include <string>
#include <vector>

namespace engine {

struct RegValue {
    std::string name;  // empty: the key's default value
    uint32_t type = os::RegNone;
    std::vector<uint8_t> data;
    bool remove = false;  // "name"=- : the value is deleted on import

    bool operator==(const RegValue&) const = default;
};

// One key section of a file, or one key of a tree read from the registry.
struct RegKey {
    std::string path;     // with the root's full name: "HKEY_CURRENT_USER\Software\..."
    bool remove = false;  // [-path]: the key and everything below it are deleted
    std::vector<RegValue> values;

    bool operator==(const RegKey&) const = default;
};

// A .reg file's content, or a key tree as read from the registry, in order.
struct RegFile {
    bool unicode = true;  // false: the ANSI REGEDIT4 format
    std::vector<RegKey> keys;

    bool operator==(const RegFile&) const = default;
};

// Where and why a file could not be used; line 0 means the file as a whole.
struct RegFileError {
    int line = 0;
    std::string message;
};

// The full name of a predefined root ("HKEY_CURRENT_USER"), empty for others.
std::string RegRootName(os::HKey root);

// Reads root\subKey with all its values and subkeys, in the order the
// registry enumerates them. Returns 0 or the status code that stopped it:
// a key that cannot be read in full is an error, never a shorter tree.
long ReadRegTree(os::Api& api, os::HKey root, const std::string& subKey, RegFile* tree);

// The bytes of a "Windows Registry Editor Version 5.00" file of tree.
std::string FormatRegFile(os::Api& api, const RegFile& tree);

// ReadRegTree followed by FormatRegFile.
long ExportRegKey(os::Api& api, os::HKey root, const std::string& subKey, std::string* bytes);

// Parses a whole file without touching the registry. Fails on a wrong
// header, a damaged or truncated file and malformed entries; comments, blank
// lines and lines that are no entries are skipped as the editor skips them.
bool ParseRegFile(os::Api& api, const std::string& bytes, RegFile* file, RegFileError* error);

// Writes a parsed file into the registry, in file order. Returns 0 or the
// status code of the registry call that failed (error names the key).
long ApplyRegFile(os::Api& api, const RegFile& file, RegFileError* error = nullptr);

// Parses the whole file first, so that a file that cannot be parsed writes
// nothing (ERROR_INVALID_DATA), then applies it.
long ImportRegFile(os::Api& api, const std::string& bytes, RegFileError* error = nullptr);

// The first difference between two trees (keys matched by path, values by
// name, both without regard to case or order), or an empty text when they
// hold the same keys and values.
std::string DescribeRegDifference(const RegFile& expected, const RegFile& actual);

// The outcome of a backup or a restore: 0 or a status code, and what went wrong.
struct RegResult {
    uint32_t code = os::err::Success;
    std::string message;
    bool refused = false;  // a restore that would reach beyond its key: nothing was applied

    bool ok() const { return code == os::err::Success; }
};

// Exports root\subKey to path, reads the file back and checks that it
// describes the key exactly. Only an ok() result means the key may go.
// Without replace, a file already at path is left alone and the backup fails.
RegResult BackupRegKey(os::Api& api, os::HKey root, const std::string& subKey, const std::string& path,
                       bool replace = true);

// Why file may not be put into root\subKey alone ("the file names another
// key", "the file holds a deletion"); empty when every key it names is that
// key or below it and it only writes.
std::string OutsideOf(const RegFile& file, os::HKey root, const std::string& subKey);

// Reads and parses path whole, then imports it. With a root, a file that
// OutsideOf refuses is refused whole (refused, the reason as message).
RegResult RestoreRegFile(os::Api& api, const std::string& path, os::HKey root = 0, const std::string& subKey = {});

}  // namespace engine
