// Roots of paths. A drive path's root is its drive; a network path's share is found by
// mapping a free drive letter to ever longer prefixes of the path until the network accepts
// one, and the accepted prefix is remembered for the life of the library.
#include "paths/Root.h"

#include "paths/ShortPath.h"
#include "platform/WideText.h"

#include <windows.h>
#include <winnetwk.h>

#include <vector>

namespace {

// A drive letter mapped for a moment to a network share ('F:'): the mapping is cancelled by
// force when the owner goes.
class TrialConnection {
  public:
    explicit TrialConnection(const std::string& localName) : localName_(localName) {}
    ~TrialConnection() { WNetCancelConnectionA(localName_.c_str(), TRUE); }
    TrialConnection(const TrialConnection&) = delete;
    TrialConnection& operator=(const TrialConnection&) = delete;

  private:
    std::string localName_;
};

bool IsAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Created at the first call, which also registers its destruction at library unload; the
// folder table's construction makes that first call, so the cache is destroyed after it.
CStringArray& Cache() {
    static CStringArray cache;
    return cache;
}

// Candidates the network refused. The folder table asks for the roots of many paths below one
// share while it is built; a server that does not answer may take long to refuse, so each
// candidate is tried once for the life of the library. A path whose candidates were all
// refused gets the root built from its text, as it would from a fresh trial that is refused.
std::vector<ShareTrial>& Refused() {
    static std::vector<ShareTrial> refused;
    return refused;
}

const ShareTrial* RefusedTrial(const std::string& candidate) {
    for (const ShareTrial& trial : Refused())
        if (StrEqual(trial.candidate, candidate, kAnyCase))
            return &trial;
    return nullptr;
}

// A cached root answers for the path when the path begins with it (without regard to case)
// and goes on, if at all, with a backslash: '\\srv\share' answers for '\\srv\share\x' but not
// for '\\srv\share2\x'.
bool RootCovers(const std::string& root, const std::string& path) {
    if (path.size() < root.size() || !StrEqual(path.substr(0, root.size()), root, kAnyCase))
        return false;
    return path.size() == root.size() || path[root.size()] == '\\';
}

} // namespace

const CStringArray& ShareRootCache() {
    return Cache();
}

// Only 'A' to 'Z' in either case name a drive; any other byte is no drive.
int DriveExists(char letter) {
    if (!IsAsciiLetter(letter))
        return 0;
    LPSTR single = reinterpret_cast<LPSTR>(static_cast<UINT_PTR>(static_cast<BYTE>(letter)));
    const BYTE upper = static_cast<BYTE>(reinterpret_cast<UINT_PTR>(CharUpperA(single)) & 0xFF);
    if (upper < 'A' || upper > 'Z')
        return 0;
    return static_cast<int>((GetLogicalDrives() >> (upper - 'A')) & 1);
}

std::string FindFreeDriveLetter() {
    for (char letter = 'F'; letter <= 'Z'; ++letter)
        if (!DriveExists(letter))
            return std::string(1, letter);
    return std::string();
}

const ShareTrial* RefusedShareTrial(const std::string& path) {
    const std::string text = StrStripTrailing(StrTrim(path), "\\");
    if (text.compare(0, 2, "\\\\") != 0)
        return nullptr;
    for (const std::string& root : Cache())
        if (RootCovers(root, text))
            return nullptr;
    CStringArray items;
    StrSplit(text, items, '\\');
    return items.size() >= 4 ? RefusedTrial("\\\\" + items[2] + "\\" + items[3]) : nullptr;
}

std::string PathRoot(const std::string& path) {
    CStringArray& cache = Cache();
    const std::string text = StrStripTrailing(StrTrim(path), "\\");

    // A drive path: one letter before the first colon. A path with a colon is never a
    // network path.
    if (StrContains(text, ":", kExactCase)) {
        const std::string drive = StrBefore(text, ":");
        if (drive.size() == 1 && IsAsciiLetter(drive[0]))
            return drive + ":";
        return std::string();
    }
    // Only a path that begins with two backslashes is a network path; a doubled backslash
    // further in ('Apps\\\\Tolva\\sub') names no server.
    if (text.compare(0, 2, "\\\\") != 0)
        return std::string();

    for (const std::string& root : cache)
        if (RootCovers(root, text))
            return root;

    CStringArray items;
    StrSplit(text, items, '\\');
    if (items.size() < 4 || items[2].empty())
        return std::string();
    std::string byText = "\\\\" + items[2] + "\\" + items[3];

    const std::string letter = FindFreeDriveLetter();
    if (letter.empty())
        return byText;
    const std::string localName = letter + ":";
    // '\\server\share', then '\\server\share\dir1', and so on up to the whole path. The
    // trial never offers credentials: a logon failure proves the share as well as a
    // connection does.
    std::string candidate = "\\\\" + items[2];
    for (size_t i = 3; i < items.size(); ++i) {
        candidate += "\\" + items[i];
        if (RefusedTrial(candidate) != nullptr)
            continue;
        const DWORD start = GetTickCount();
        const DWORD result = WNetAddConnectionA(candidate.c_str(), "", localName.c_str());
        const DWORD milliseconds = GetTickCount() - start;
        if (result == NO_ERROR || result == ERROR_LOGON_FAILURE) {
            TrialConnection trial(localName);
            cache.push_back(candidate);
            return candidate;
        }
        Refused().push_back({candidate, localName, result, milliseconds});
    }
    return byText;
}

// The root is found in the ANSI code page, where the trial connections are made: through the
// path's exact ANSI form, else its short name.
std::wstring PathRoot(const std::wstring& path) {
    std::string ansi;
    if (AnsiFromWide(path, ansi) != AnsiForm::Exact && !PathShortAnsi(path, ansi))
        return std::wstring();
    return WideFromAnsi(PathRoot(ansi));
}
