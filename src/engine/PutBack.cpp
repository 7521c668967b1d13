#include "engine/PutBack.h"

#include "engine/FileIo.h"
#include "engine/Generations.h"
#include "engine/RegFile.h"
#include "engine/RegTree.h"

#include <algorithm>

namespace engine {

namespace {

using Kind = JournalEntry::Kind;

constexpr char kMissing[] = "its backup file is missing";
constexpr char kNotKept[] = "what is there now could not be backed up first";

std::string LastPart(const std::string& path) {
    const size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool Exists(os::Api& api, const std::string& path) { return api.GetFileAttributes(path) != os::InvalidFileAttributes; }

bool KeyExists(os::Api& api, const std::string& key) {
    os::HKey raw = 0;
    const long rc = api.RegOpenKeyEx(os::HKeyCurrentUser, key, os::KeyRead, &raw);
    if (rc == os::err::Success) api.RegCloseKey(raw);
    return rc != os::err::FileNotFound;
}

// The .reg file describes key exactly as it is now.
bool KeyMatches(os::Api& api, const std::string& key, const std::string& path) {
    std::string bytes;
    RegFile saved, now;
    return ReadWholeFile(api, path, &bytes) == os::err::Success && ParseRegFile(api, bytes, &saved, nullptr) &&
           ReadRegTree(api, os::HKeyCurrentUser, key, &now) == os::err::Success &&
           DescribeRegDifference(now, saved).empty();
}

// The file kept under backup or one of its generations that holds hash.
std::string KeptWith(os::Api& api, const std::string& backup, const std::string& hash) {
    if (hash.empty()) return {};
    for (const std::string& file : KeptFiles(api, backup))
        if (FileHash(api, file) == hash) return file;
    return {};
}

// A read-only file goes as any other: its copy kept the attribute.
bool DeleteAnyway(os::Api& api, const std::string& path) {
    if (api.DeleteFile(path)) return true;
    const uint32_t attributes = api.GetFileAttributes(path);
    return attributes != os::InvalidFileAttributes && (attributes & os::AttrReadOnly) &&
           api.SetFileAttributes(path, attributes & ~os::AttrReadOnly) && api.DeleteFile(path);
}

// Keeps what is at place now beside backup, under the backup name while it
// is free, else as a new generation; empty when it could not be kept.
std::string KeepNow(os::Api& api, Kind kind, const std::string& place, const std::string& backup) {
    const std::string to = Exists(api, backup) ? FreeGenerationName(api, backup) : backup;
    if (kind == Kind::Key) return BackupRegKey(api, os::HKeyCurrentUser, place, to, false).ok() ? to : std::string();
    if (!api.CopyFile(place, to, true)) return {};
    if (FileHash(api, to) == FileHash(api, place)) return to;
    api.DeleteFile(to);
    return {};
}

// Whether the bytes an entry needs are still kept; empty when they are.
std::string Missing(os::Api& api, const JournalEntry& entry) {
    if (!entry.present) return {};
    if (entry.kind == Kind::File && !entry.hash.empty() && FileHash(api, entry.place) == entry.hash) return {};
    return KeptWith(api, entry.backup, entry.hash).empty() ? kMissing : "";
}

// One entry back as it was; empty when done, else why not.
std::string PutBackOne(Program& program, const JournalEntry& entry) {
    os::Api& api = program.services.api;
    Journal& journal = program.journal;
    const bool key = entry.kind == Kind::Key;
    const bool now = key ? KeyExists(api, entry.place) : Exists(api, entry.place);
    std::string from;
    if (entry.present) {
        if (!key && FileHash(api, entry.place) == entry.hash && !entry.hash.empty()) return {};
        from = KeptWith(api, entry.backup, entry.hash);
        if (from.empty()) return kMissing;
        if (key) {
            std::string bytes;
            RegFile file;
            if (ReadWholeFile(api, from, &bytes) != os::err::Success || !ParseRegFile(api, bytes, &file, nullptr) ||
                !OutsideOf(file, os::HKeyCurrentUser, entry.place).empty())
                return "its backup file " + from + " is not its backup";
            if (now && KeyMatches(api, entry.place, from)) return {};
        }
    } else if (!now) {
        return {};
    }
    if (now) {
        const std::string kept = KeepNow(api, entry.kind, entry.place, entry.backup);
        if (kept.empty()) return kNotKept;
        journal.Note(entry.kind, entry.place, true, kept);
    } else {
        journal.Note(entry.kind, entry.place, false, entry.backup);
    }
    journal.Change(entry.kind, entry.place, from.empty() ? "removed" : "put back from " + from);
    if (now) {
        const bool gone = key ? DeleteRegTree(api, os::HKeyCurrentUser, entry.place) == os::err::Success ||
                                    !KeyExists(api, entry.place)
                              : DeleteAnyway(api, entry.place);
        if (!gone) return key ? "the key could not be removed" : "the file in its place could not be removed";
    }
    if (from.empty()) return {};
    if (key) {
        RestoreRegFile(api, from, os::HKeyCurrentUser, entry.place);
        return KeyMatches(api, entry.place, from) ? std::string() : "it does not read back as it was";
    }
    if (!api.CopyFile(from, entry.place, true) || FileHash(api, entry.place) != entry.hash)
        return "the copy could not be made";
    // The backup under its own name holds what is in place again, as after
    // any putting back; a generation stays.
    if (FoldPath(from) == FoldPath(entry.backup)) DeleteAnyway(api, from);
    return {};
}

// Normal.dot by its name; every other file is a Startup add-in.
std::string NameOf(const JournalEntry& entry) {
    const std::string last = LastPart(entry.place);
    if (entry.kind == Kind::File) return FoldPath(last).rfind("normal.", 0) == 0 ? last : "the Startup add-ins";
    if (FoldPath(last) == "addins") return "the COM add-ins";
    return "the " + last + " key";
}

}  // namespace

std::vector<Component> ChangedComponents(const JournalRun& run) {
    std::vector<Component> components;
    for (size_t i = 0; i < run.entries.size(); ++i) {
        if (run.entries[i].changes.empty()) continue;
        const std::string name = NameOf(run.entries[i]);
        auto same = [&name](const Component& c) { return FoldPath(c.name) == FoldPath(name); };
        auto found = std::find_if(components.begin(), components.end(), same);
        if (found == components.end()) found = components.insert(components.end(), {name, {}});
        found->entries.push_back(i);
    }
    return components;
}

std::string Names(const std::vector<Component>& components) {
    std::string names;
    for (const Component& c : components) names += (names.empty() ? "" : ", ") + c.name;
    return names;
}

std::vector<PutBackResult> PutBackAsRun(Program& program, const JournalRun& run,
                                        const std::vector<Component>& chosen, const std::string& wizard) {
    os::Api& api = program.services.api;
    program.journal.SetWizard(wizard);
    program.journal.PutsBack(run.path);
    std::vector<PutBackResult> results;
    for (const Component& component : chosen) {
        PutBackResult result{component.name, true, {}};
        // A file of several names itself; a missing one stops the whole component.
        auto fail = [&](const JournalEntry& entry, const std::string& why) {
            if (!result.done) return;
            result.done = false;
            result.why = component.entries.size() > 1 ? LastPart(entry.place) + ": " + why : why;
        };
        for (size_t i : component.entries)
            if (std::string why = Missing(api, run.entries.at(i)); !why.empty()) fail(run.entries[i], why);
        for (size_t i : component.entries) {
            if (!result.done) break;
            try {
                if (std::string why = PutBackOne(program, run.entries[i]); !why.empty()) fail(run.entries[i], why);
            } catch (const std::exception& error) {
                fail(run.entries[i], error.what());
            }
        }
        results.push_back(result);
    }
    program.journal.Finish();
    return results;
}

std::string ResultText(const PutBackResult& result) {
    if (result.done) return result.component;
    std::string text = result.component + " could not be put back: " + result.why;
    if (text[0] >= 'a' && text[0] <= 'z') text[0] = static_cast<char>(text[0] - 'a' + 'A');
    return text;
}

}  // namespace engine
