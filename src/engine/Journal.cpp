#include "engine/Journal.h"

#include "engine/FileIo.h"
#include "engine/Generations.h"

#include <algorithm>
#include <cstdio>

namespace engine {

namespace {

constexpr char kHeader[] = "Quorvex journal\t1";
constexpr char kPrefix[] = "Run ";
constexpr char kSuffix[] = ".txt";
constexpr int kDigits = 6;
constexpr int kKept = 10;

uint32_t Fnv32(uint32_t seed, const std::string& text) {
    uint32_t h = seed ^ 2166136261u;
    for (unsigned char c : text) h = (h ^ c) * 16777619u;
    return h;
}

std::string Hex(uint64_t value, int digits) {
    char text[17];
    std::snprintf(text, sizeof text, "%0*llx", digits, static_cast<unsigned long long>(value));
    return text;
}

std::vector<std::string> Split(const std::string& line) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos) return fields;
        start = tab + 1;
    }
}

// Tabs and line breaks cannot be part of a field; paths never hold them.
std::string Field(std::string text) {
    std::replace_if(text.begin(), text.end(), [](char c) { return c == '\t' || c == '\r' || c == '\n'; }, ' ');
    return text;
}

// The journal's number from its file name, 0 when the name is no journal's.
int NumberOf(const std::string& name) {
    const size_t prefix = sizeof kPrefix - 1, suffix = sizeof kSuffix - 1;
    if (name.size() != prefix + kDigits + suffix) return 0;
    if (FoldPath(name.substr(0, prefix)) != FoldPath(kPrefix) ||
        FoldPath(name.substr(prefix + kDigits)) != FoldPath(kSuffix))
        return 0;
    int number = 0;
    for (size_t i = prefix; i < prefix + kDigits; ++i) {
        if (name[i] < '0' || name[i] > '9') return 0;
        number = number * 10 + (name[i] - '0');
    }
    return number;
}

// The journals in folder by number, oldest first.
std::map<int, std::string> Journals(os::Api& api, const std::string& folder) {
    std::map<int, std::string> found;
    os::FindData data;
    os::UniqueFind find(api, api.FindFirstFile(folder + "\\" + kPrefix + "*" + kSuffix, &data));
    if (!find) return found;
    do {
        if (int number = NumberOf(data.name); number > 0 && !(data.attributes & os::AttrDirectory))
            found[number] = folder + "\\" + data.name;
    } while (api.FindNextFile(find.get(), &data));
    return found;
}

const char* KindWord(JournalEntry::Kind kind) { return kind == JournalEntry::Kind::Key ? "key" : "file"; }

}  // namespace

bool JournalRun::Acted() const {
    if (!putsBack.empty()) return true;
    for (const JournalEntry& entry : entries)
        if (!entry.changes.empty()) return true;
    return false;
}

std::string JournalFolder(os::Api& api) {
    std::string folder;
    if (!api.GetSpecialFolderPath(os::CsidlLocalAppData, &folder) || folder.empty()) return {};
    if (folder.back() == '\\') folder.pop_back();
    return folder + "\\Quorvex";
}

std::string FileHash(os::Api& api, const std::string& path) {
    std::string bytes;
    if (ReadWholeFile(api, path, &bytes) != os::err::Success) return {};
    uint64_t h = 14695981039346656037ull;
    for (unsigned char c : bytes) h = (h ^ c) * 1099511628211ull;
    return Hex(h, 16);
}

void Journal::SetWizard(const std::string& name) { wizard_ = name; }

std::string Journal::Id(JournalEntry::Kind kind, const std::string& place) const {
    return std::string(KindWord(kind)) + "|" + FoldPath(place);
}

bool Journal::Open() {
    if (file_) return true;
    if (failed_) return false;
    const std::string folder = JournalFolder(api_);
    failed_ = true;
    if (folder.empty()) return false;
    api_.CreateDirectory(folder);
    const std::map<int, std::string> earlier = Journals(api_, folder);
    int number = earlier.empty() ? 1 : earlier.rbegin()->first + 1;
    for (int tries = 0; tries < 100 && !file_; ++tries, ++number) {
        char name[32];
        std::snprintf(name, sizeof name, "%s%0*d%s", kPrefix, kDigits, number, kSuffix);
        path_ = folder + "\\" + name;
        file_ = os::UniqueHandle(api_, api_.CreateFile(path_, os::GenericWrite, os::ShareRead, os::CreateNew));
    }
    if (!file_) {
        path_.clear();
        return false;
    }
    --number;
    failed_ = false;
    chain_ = 0;
    ids_.clear();
    Append(kHeader, false);
    os::FileInfo info;
    Append("started\t" + std::to_string(api_.GetFileAttributesEx(path_, &info) ? info.lastWrite : 0), false);
    Append("wizard\t" + Field(wizard_), false);
    // The last ten runs are kept, this one among them.
    for (const auto& [older, path] : earlier)
        if (older <= number - kKept) api_.DeleteFile(path);
    return !failed_;
}

void Journal::Append(const std::string& line, bool flush) {
    if (!file_) return;
    chain_ = Fnv32(chain_, line);
    const std::string text = line + "\t#" + Hex(chain_, 8) + "\r\n";
    uint32_t written = 0;
    if (!api_.WriteFile(file_.get(), text.data(), static_cast<uint32_t>(text.size()), &written) ||
        written != text.size() || (flush && !api_.FlushFileBuffers(file_.get()))) {
        failed_ = true;
        file_.reset();
    }
}

void Journal::Note(JournalEntry::Kind kind, const std::string& place, bool present, const std::string& backup) {
    if (ids_.count(Id(kind, place)) != 0 || !Open()) return;
    const int id = static_cast<int>(ids_.size()) + 1;
    ids_[Id(kind, place)] = id;
    const std::string hash = present && !backup.empty() ? FileHash(api_, backup) : std::string();
    Append(std::string(KindWord(kind)) + "\t" + std::to_string(id) + "\t" + Field(place) + "\t" +
           (present ? "present" : "absent") + "\t" + Field(backup) + "\t" + hash,
           false);
}

void Journal::Change(JournalEntry::Kind kind, const std::string& place, const std::string& what, bool flush) {
    const auto announced = announced_.find(Id(kind, place) + "\t" + what);
    if (announced != announced_.end()) return void(announced_.erase(announced));
    // Unknown: present, with no kept file, so nothing is ever done to it.
    Note(kind, place, true, {});
    auto found = ids_.find(Id(kind, place));
    if (found == ids_.end()) return;
    Append("change\t" + std::to_string(found->second) + "\t" + Field(what), flush);
}

void Journal::Change(JournalEntry::Kind kind, const std::string& place, const std::string& what) {
    Change(kind, place, what, true);
}

void Journal::ChangeBack(JournalEntry::Kind kind, const std::string& place, const std::string& what) {
    Change(kind, place, what, false);
}

void Journal::Announce(const std::vector<Planned>& changes) {
    announced_.clear();
    std::vector<std::string> lines;
    for (const Planned& change : changes) {
        const auto found = ids_.find(Id(change.kind, change.place));
        if (found == ids_.end() || !file_) continue;
        lines.push_back("change\t" + std::to_string(found->second) + "\t" + Field(change.what));
        announced_.insert(Id(change.kind, change.place) + "\t" + change.what);
    }
    // One flush for them all, with the last.
    for (size_t i = 0; i < lines.size(); ++i) Append(lines[i], i + 1 == lines.size());
    // Unwritten, they announce nothing: each change writes its own line.
    if (!file_) announced_.clear();
}

void Journal::PutsBack(const std::string& journalPath) {
    if (Open()) Append("putsback\t" + Field(journalPath), true);
}

void Journal::Finish() {
    if (file_) Append("finished", true);
    file_.reset();
    announced_.clear();
    path_.clear();
    failed_ = false;
}

JournalRun ReadJournal(os::Api& api, const std::string& path) {
    JournalRun run;
    run.path = path;
    const size_t slash = path.find_last_of('\\');
    run.number = NumberOf(slash == std::string::npos ? path : path.substr(slash + 1));
    std::string bytes;
    if (ReadWholeFile(api, path, &bytes) != os::err::Success) {
        run.damage = "it cannot be read";
        run.unreadable = true;
        return run;
    }
    uint32_t chain = 0;
    int lineNumber = 0;
    std::map<int, size_t> byId;
    auto damaged = [&](const char* why) {
        run.damage = "line " + std::to_string(lineNumber) + " " + why;
        run.entries.clear();
        return run;
    };
    size_t start = 0;
    for (size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2) {
        ++lineNumber;
        const std::string line = bytes.substr(start, end - start);
        const size_t mark = line.rfind("\t#");
        if (mark == std::string::npos) return damaged("has no check");
        const std::string body = line.substr(0, mark);
        chain = Fnv32(chain, body);
        if (line.substr(mark + 2) != Hex(chain, 8)) return damaged("does not match its check");
        const std::vector<std::string> f = Split(body);
        if (lineNumber == 1) {
            if (body != kHeader) return damaged("is no journal's first line");
        } else if (f[0] == "started" && f.size() == 2) {
            run.started = std::strtoull(f[1].c_str(), nullptr, 10);
        } else if (f[0] == "wizard" && f.size() == 2) {
            run.wizard = f[1];
        } else if ((f[0] == "key" || f[0] == "file") && f.size() == 6 && (f[3] == "present" || f[3] == "absent")) {
            JournalEntry entry;
            entry.kind = f[0] == "key" ? JournalEntry::Kind::Key : JournalEntry::Kind::File;
            entry.place = f[2];
            entry.present = f[3] == "present";
            entry.backup = f[4];
            entry.hash = f[5];
            const int id = std::atoi(f[1].c_str());
            if (id <= 0 || byId.count(id) != 0) return damaged("repeats a component");
            byId[id] = run.entries.size();
            run.entries.push_back(entry);
        } else if (f[0] == "change" && f.size() == 3) {
            auto found = byId.find(std::atoi(f[1].c_str()));
            if (found == byId.end()) return damaged("changes a component it never named");
            run.entries[found->second].changes.push_back(f[2]);
        } else if (f[0] == "putsback" && f.size() == 2) {
            run.putsBack = f[1];
        } else if (f[0] == "finished" && f.size() == 1) {
            run.finished = true;
        } else {
            return damaged("is not understood");
        }
    }
    if (lineNumber == 0) return damaged("is missing");
    return run;
}

std::vector<JournalRun> ListJournals(os::Api& api) {
    std::vector<JournalRun> runs;
    const std::string folder = JournalFolder(api);
    if (folder.empty()) return runs;
    const std::map<int, std::string> found = Journals(api, folder);
    for (auto it = found.rbegin(); it != found.rend() && runs.size() < kKept; ++it)
        runs.push_back(ReadJournal(api, it->second));
    return runs;
}

}  // namespace engine
