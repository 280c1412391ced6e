// The platform calls of one attach, counted by kind, and the write tests read out of them.
//
// How a write test is recognised in the machine's record:
// - a probe: a CreateFileA call right after the attribute query of the same path (the test
//   that a fresh probe name is free, then its creation); the folder tested is that path's
//   parent, the test passed when the file was created. A refused creation counts as a test as
//   well.
// - missing levels: directories created and removed again during the attach. The levels
//   created since the last removal form one test, counted at its first removal; the folder
//   tested is the deepest level created, or a level whose creation failed after them.
//   Directories created and left in place (documents, My Pictures) are no test: they change
//   the disk, and a test after them is no repeat of one before. A test refused at its first
//   missing level leaves only refused CreateDirectoryA calls, which are counted as such and
//   not as a test.
// A folder's test repeats another when no such lasting change came between the two.
#pragma once

#include <winsim/machine.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace census {

struct WriteTest {
    std::string folder;
    bool passed;
    size_t call;    // position in the call record
    int generation; // lasting disk changes made before it
};

struct Census {
    size_t calls = 0;       // every platform call but the conversions
    size_t conversions = 0; // WideCharToMultiByte and MultiByteToWideChar, counted apart
    size_t registryOpens = 0, registryReads = 0;
    size_t fileOpens = 0; // CreateFileA calls of any kind
    size_t filesCreated = 0, filesDeleted = 0;
    size_t directoriesCreated = 0, directoriesRemoved = 0;
    size_t directoriesRefused = 0; // CreateDirectoryA calls that created nothing
    size_t attributeQueries = 0;
    size_t networkTrials = 0;
    std::map<std::string, size_t> trialsPerShare; // by remote name
    size_t moduleLoads = 0;
    std::vector<WriteTest> writeTests;

    // Tests of the same folder (without regard to case) with no lasting change between.
    size_t Repeats() const;
    std::map<std::string, std::vector<const WriteTest*>> ByFolder() const;
};

inline std::string Upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 32);
    return s;
}

inline std::string Parent(const std::string& path) {
    size_t last = path.rfind('\\');
    return last == std::string::npos ? std::string() : path.substr(0, last);
}

inline std::map<std::string, std::vector<const WriteTest*>> Census::ByFolder() const {
    std::map<std::string, std::vector<const WriteTest*>> by;
    for (const WriteTest& t : writeTests)
        by[Upper(t.folder)].push_back(&t);
    return by;
}

inline size_t Census::Repeats() const {
    size_t repeats = 0;
    for (const auto& folder : ByFolder())
        for (size_t i = 1; i < folder.second.size(); ++i)
            repeats += folder.second[i]->generation == folder.second[i - 1]->generation;
    return repeats;
}

// Reads the census of the attach that the machine has just recorded.
inline Census Take(const winsim::Machine& m) {
    Census c;
    const std::vector<winsim::Call>& calls = m.calls.calls;
    const winsim::FileSystem& fs = m.files;
    c.calls = calls.size();
    c.filesCreated = fs.createdFiles.size();
    c.filesDeleted = fs.deletedFiles.size();
    c.directoriesCreated = fs.createdDirectories.size();
    c.directoriesRemoved = fs.removedDirectories.size();

    // Each successful creation or removal appended its path to the file system's lists, in
    // call order: a call succeeded when its path is the next one listed.
    size_t nextFile = 0, nextDir = 0, nextRemoved = 0;
    auto took = [](const std::vector<std::string>& list, size_t& next, const std::string& path) {
        if (next < list.size() && list[next] == path) {
            ++next;
            return true;
        }
        return false;
    };
    struct Created {
        std::string path;
        size_t call;
        bool removed = false;
    };
    std::vector<Created> createdDirs;
    std::vector<bool> fileCreatedAt(calls.size(), false);
    std::vector<std::string> pending; // levels created since the last test closed
    std::string refusedLevel;         // a level whose creation failed after them
    bool groupCounted = false;
    for (size_t i = 0; i < calls.size(); ++i) {
        const winsim::Call& call = calls[i];
        const std::string& api = call.api;
        if (api == "WideCharToMultiByte" || api == "MultiByteToWideChar") {
            ++c.conversions;
            --c.calls;
        } else if (api == "RegOpenKeyExA" || api == "RegOpenKeyA") {
            ++c.registryOpens;
        } else if (api == "RegQueryValueExA" || api == "RegQueryValueExW") {
            ++c.registryReads;
        } else if (api == "GetFileAttributesA") {
            ++c.attributeQueries;
        } else if (api == "WNetAddConnectionA") {
            ++c.networkTrials;
            ++c.trialsPerShare[Upper(call.detail)];
        } else if (api == "LoadLibraryA") {
            ++c.moduleLoads;
        } else if (api == "CreateFileA") {
            ++c.fileOpens;
            fileCreatedAt[i] = took(fs.createdFiles, nextFile, call.detail);
            // A probe's creation follows the query that found its name free.
            if (i > 0 && calls[i - 1].api == "GetFileAttributesA" &&
                calls[i - 1].detail == call.detail)
                c.writeTests.push_back({Parent(call.detail), fileCreatedAt[i], i, 0});
        } else if (api == "CreateDirectoryA") {
            if (took(fs.createdDirectories, nextDir, call.detail)) {
                if (groupCounted) {
                    pending.clear();
                    groupCounted = false;
                }
                createdDirs.push_back({call.detail, i});
                pending.push_back(call.detail);
                refusedLevel.clear();
            } else {
                ++c.directoriesRefused;
                if (!pending.empty())
                    refusedLevel = call.detail;
            }
        } else if (api == "RemoveDirectoryA") {
            if (!took(fs.removedDirectories, nextRemoved, call.detail))
                continue;
            for (auto it = createdDirs.rbegin(); it != createdDirs.rend(); ++it)
                if (!it->removed && Upper(it->path) == Upper(call.detail)) {
                    it->removed = true;
                    break;
                }
            if (!pending.empty() && !groupCounted) {
                const std::string folder = refusedLevel.empty() ? pending.back() : refusedLevel;
                c.writeTests.push_back({folder, refusedLevel.empty(), i, 0});
                groupCounted = true;
            }
        }
    }

    // Lasting changes: directories created and never removed, files created and never deleted.
    std::vector<size_t> lasting;
    for (const Created& d : createdDirs)
        if (!d.removed)
            lasting.push_back(d.call);
    std::multiset<std::string> deleted;
    for (const std::string& f : fs.deletedFiles)
        deleted.insert(Upper(f));
    for (size_t i = 0; i < calls.size(); ++i)
        if (fileCreatedAt[i]) {
            auto it = deleted.find(Upper(calls[i].detail));
            if (it == deleted.end())
                lasting.push_back(i);
            else
                deleted.erase(it);
        }
    for (WriteTest& t : c.writeTests)
        t.generation = static_cast<int>(
            std::count_if(lasting.begin(), lasting.end(), [&](size_t at) { return at < t.call; }));
    return c;
}

} // namespace census
