// Small registry and file helpers over os::Api for the simulated Word. They
// report failure by result and never throw: the simulation must keep going on
// a machine that refuses one call, as Word would.
#pragma once

#include "os/Api.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace wordsim::io {

// --- Registry ---
bool KeyExists(os::Api& api, os::HKey root, const std::string& key);
// Creates the key and every missing parent.
bool CreateKey(os::Api& api, os::HKey root, const std::string& key);
std::optional<std::string> ReadString(os::Api& api, os::HKey root, const std::string& key, const std::string& name);
std::optional<uint32_t> ReadDword(os::Api& api, os::HKey root, const std::string& key, const std::string& name);
bool ValueExists(os::Api& api, os::HKey root, const std::string& key, const std::string& name);
// Create the key when missing, then set the value.
bool WriteString(os::Api& api, os::HKey root, const std::string& key, const std::string& name,
                 const std::string& value);
bool WriteDword(os::Api& api, os::HKey root, const std::string& key, const std::string& name, uint32_t value);
bool WriteBinary(os::Api& api, os::HKey root, const std::string& key, const std::string& name,
                 const std::vector<uint8_t>& value);
std::vector<std::string> SubKeys(os::Api& api, os::HKey root, const std::string& key);
// Deletes a key with everything below it; true when it is gone afterwards.
bool DeleteKeyTree(os::Api& api, os::HKey root, const std::string& key);
// Deletes the key only when it has neither subkeys nor values.
void DeleteKeyIfEmpty(os::Api& api, os::HKey root, const std::string& key);

// --- Files ---
std::optional<std::string> ReadWholeFile(os::Api& api, const std::string& path);
bool WriteWholeFile(os::Api& api, const std::string& path, const std::string& content);
// Creates the folder and every missing parent ("C:\a\b"); adds the folders
// it created to *created, parents first.
bool MakeFolders(os::Api& api, const std::string& folder, std::vector<std::string>* created = nullptr);
// Names (not paths) of the plain files in a folder.
std::vector<std::string> FilesIn(os::Api& api, const std::string& folder);
// Deletes a folder with everything in it; read-only files included.
void DeleteFolderTree(os::Api& api, const std::string& folder);

// --- Paths ---
std::string WithoutTrailingBackslash(std::string path);
// folder + "\" + name, with exactly one backslash between them.
std::string Join(const std::string& folder, const std::string& name);
std::string FolderOf(const std::string& path);
std::string Lower(std::string text);
// The extension after the last dot of a name, lower case; empty when none.
std::string Extension(const std::string& name);

}  // namespace wordsim::io
