// The rules every whole attach keeps, whatever the machine holds, and what an attach is seen to
// have done: the table read through the ANSI and the wide accessor with its records, and what
// it left behind. Free of the test framework and of child processes.
#pragma once

#include "random_machines.h"

#include "Quellin.h"
#include "paths/Path.h"

#include <winsim/machine.h>

#include <algorithm>
#include <array>
#include <iterator>
#include <string>
#include <vector>

// A slot's record, as QuellinFolderSource gives it: its lines, and the fields of one line.
namespace records {

inline std::vector<std::string> Lines(const std::string& record) {
    std::vector<std::string> lines;
    for (size_t at = 0, end; at < record.size(); at = end + 1) {
        end = record.find('\n', at);
        if (end == std::string::npos)
            end = record.size();
        lines.push_back(record.substr(at, end - at));
    }
    return lines;
}
inline std::string KindAndDetail(const std::string& line) {
    return line.substr(0, line.rfind('\t'));
}
inline std::string Outcome(const std::string& line) {
    return line.substr(line.rfind('\t') + 1);
}

// What breaks the rules of a record, one line each: every line holds a kind, a detail and an
// outcome; the last names the source of the slot's folder, which answered (`filled`), or is
// "none" for an empty slot.
inline std::vector<std::string> Problems(const std::string& record, bool filled) {
    const std::vector<std::string> lines = Lines(record);
    if (lines.empty())
        return {"no record"};
    std::vector<std::string> problems;
    for (const std::string& line : lines)
        if (std::count(line.begin(), line.end(), '\t') != 2)
            problems.push_back("a record line without three fields: " + line);
    if (!filled && KindAndDetail(lines.back()) != "none\t")
        problems.push_back("an empty slot whose record ends with: " + lines.back());
    if (filled && Outcome(lines.back()).compare(0, 8, "answered") != 0)
        problems.push_back("a filled slot whose record ends with: " + lines.back());
    return problems;
}

} // namespace records

namespace attach {

const char* const kSlotNames[] = {
#define QUELLIN_SLOT_NAME(number, constant, name) #name,
    QUELLIN_SLOTS(QUELLIN_SLOT_NAME)
#undef QUELLIN_SLOT_NAME
};

inline std::string Upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 32);
    return s;
}

// 'dir C:\A' for a directory, 'file C:\A' for a file, as the disk snapshot lists them.
inline bool IsAtOrAbove(const std::string& entry, const std::string& kind,
                        const std::string& path) {
    const std::string prefix = kind + " ";
    if (path.empty() || entry.compare(0, prefix.size(), prefix) != 0)
        return false;
    const std::string folder = Upper(entry.substr(prefix.size()));
    const std::string below = Upper(path);
    return below == folder ||
           (below.size() > folder.size() && below.compare(0, folder.size(), folder) == 0 &&
            below[folder.size()] == '\\');
}

// What one attach was seen to do: the table as read (the wide slots and records only when
// asked for), the calls it made, what it left open after detach, and the disk's changes.
struct AttachRun {
    std::array<std::string, QUELLIN_SLOT_COUNT> slots;
    std::array<std::wstring, QUELLIN_SLOT_COUNT> wideSlots;
    std::array<std::string, QUELLIN_SLOT_COUNT> records;
    std::vector<winsim::Call> calls;
    std::vector<std::string> open;
    std::vector<std::string> added, removed; // disk entries, against the disk before attach
    int readsPastBlock = 0;
};

// The disk entries added and removed between two snapshots.
inline void DiskChanges(std::vector<std::string> before, std::vector<std::string> after,
                        AttachRun& run) {
    std::sort(before.begin(), before.end());
    std::sort(after.begin(), after.end());
    std::set_difference(after.begin(), after.end(), before.begin(), before.end(),
                        std::back_inserter(run.added));
    std::set_difference(before.begin(), before.end(), after.begin(), after.end(),
                        std::back_inserter(run.removed));
}

// What the attach left behind, one line each: anything on disk but the documents and My
// Pictures folders (made on purpose, with their missing parents; named by the slot's text or
// by its long name), anything gone from disk, anything left open, a string read past its block.
inline std::vector<std::string> LeftBehind(const AttachRun& run) {
    const winsim::CodePage& codePage = winsim::machine().codePage;
    std::vector<std::string> made;
    for (QuellinSlot slot : {QUELLIN_PERSONAL_FOLDER, QUELLIN_MY_PICTURES_FOLDER}) {
        made.push_back(run.slots[slot]);
        made.push_back(codePage.ToAnsi(run.wideSlots[slot]));
    }
    std::vector<std::string> problems;
    for (const std::string& e : run.added)
        if (std::none_of(made.begin(), made.end(),
                         [&e](const std::string& folder) { return IsAtOrAbove(e, "dir", folder); }))
            problems.push_back("left on disk: " + e);
    for (const std::string& e : run.removed)
        problems.push_back("gone from disk: " + e);
    for (const std::string& e : run.open)
        problems.push_back("left open: " + e);
    if (run.readsPastBlock != 0)
        problems.push_back("a string read ran past its memory block");
    return problems;
}

// Two backslashes in a row after the root (past a network path's leading pair), stepping from
// character to character: a trail byte 0x5C is no backslash.
inline bool DoubledBackslash(const std::string& path) {
    const winsim::CodePage& codePage = winsim::machine().codePage;
    bool afterBackslash = false;
    for (size_t i = path.compare(0, 2, "\\\\") == 0 ? 2 : 0; i < path.size(); ++i) {
        if (codePage.IsLeadByte(static_cast<BYTE>(path[i])) && i + 1 < path.size()) {
            ++i;
            afterBackslash = false;
        } else if (path[i] == '\\') {
            if (afterBackslash)
                return true;
            afterBackslash = true;
        } else {
            afterBackslash = false;
        }
    }
    return false;
}

// The text before and after the last backslash (a trail byte 0x5C is none); false without one.
inline bool SplitLast(const std::string& path, std::string& parent, std::string& leaf) {
    const winsim::CodePage& codePage = winsim::machine().codePage;
    size_t last = std::string::npos;
    for (size_t i = 0; i < path.size(); ++i) {
        if (codePage.IsLeadByte(static_cast<BYTE>(path[i])) && i + 1 < path.size())
            ++i;
        else if (path[i] == '\\')
            last = i;
    }
    if (last == std::string::npos)
        return false;
    parent = path.substr(0, last);
    leaf = path.substr(last + 1);
    return true;
}

inline bool SplitLast(const std::wstring& path, std::wstring& parent, std::wstring& leaf) {
    const size_t last = path.rfind(L'\\');
    if (last == std::wstring::npos)
        return false;
    parent = path.substr(0, last);
    leaf = path.substr(last + 1);
    return true;
}

// The wide accessor's text agrees with the ANSI text: it is the ANSI text converted, or the
// long name of the folder that the ANSI text names by its short name, possibly with levels
// below it (that did not exist when the slot was resolved) the same in both.
inline bool WideAgrees(const std::string& ansi, const std::wstring& wide) {
    const winsim::Machine& m = winsim::machine();
    if (m.codePage.ToWide(ansi) == wide)
        return true;
    std::string a = ansi;
    std::wstring w = wide;
    for (;;) {
        if (m.files.ShortPath(w) == a && !a.empty())
            return true;
        std::string ansiParent, ansiLeaf;
        std::wstring wideParent, wideLeaf;
        if (!SplitLast(a, ansiParent, ansiLeaf) || !SplitLast(w, wideParent, wideLeaf) ||
            m.codePage.ToWide(ansiLeaf) != wideLeaf)
            return false;
        a = ansiParent;
        w = wideParent;
    }
}

// The fault's name, as PathFault spells it.
inline const char* FaultName(PathFault fault) {
    switch (fault) {
    case PathFault::Usable:
        break;
    case PathFault::NotFull:
        return "PathFault::NotFull";
    case PathFault::Unwritable:
        return "PathFault::Unwritable";
    case PathFault::Invalid:
        return "PathFault::Invalid";
    }
    return "PathFault::Usable";
}

// Everything wrong with the table an attach built, read through the ANSI and the wide accessor
// with its records, and with what the attach left behind: one line each.
inline std::vector<std::string> TableProblems(const AttachRun& run) {
    using machines::detail::Printable;
    std::vector<std::string> problems = LeftBehind(run);
    for (unsigned slot = 0; slot < QUELLIN_SLOT_COUNT; ++slot) {
        const std::string name = kSlotNames[slot];
        const std::string& value = run.slots[slot];
        const PathFault fault = PathFaultOf(value);
        if (fault != PathFault::Usable)
            problems.push_back(name + " holds " + Printable(value) +
                               ", no usable path: " + FaultName(fault));
        if (DoubledBackslash(value))
            problems.push_back(name + " holds " + Printable(value) +
                               ": a doubled backslash after the root");
        for (const std::string& p : records::Problems(run.records[slot], !value.empty()))
            problems.push_back(name + ": " + Printable(p));
        if (!WideAgrees(value, run.wideSlots[slot]))
            problems.push_back(name + " holds " + Printable(value) + ", its wide accessor " +
                               Printable(machines::detail::Wide(run.wideSlots[slot])));
    }
    return problems;
}

} // namespace attach
