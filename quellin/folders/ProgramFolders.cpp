// The program-files, system, maker's and suite folders.
#include "folders/FixedBuffer.h"
#include "folders/SystemFolders.h"
#include "paths/Directory.h"
#include "paths/Path.h"
#include "paths/RegValue.h"
#include "paths/Root.h"
#include "platform/Platform.h"
#include "strings/Strings.h"

namespace {

const char kProgramFilesDir[] = "Software\\Microsoft\\Windows\\CurrentVersion\\ProgramFilesDir";
const char kProgramFilesPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\ProgramFilesPath";
const char kSystemDrive[] = "%SystemDrive%";
const char kProgramFiles[] = "\\Program Files";
const char kProgramFilesX86[] = "\\Program Files (x86)";
const char kSuiteDestination[] = "Software\\Tolva\\Inkvale Suite\\9\\Destination";

// Write tests of folders, each made once: an outcome already in the list is taken from it.
class WriteTests {
  public:
    explicit WriteTests(std::vector<std::pair<std::string, int>>& outcomes) : outcomes_(outcomes) {}

    int CanWrite(const std::string& folder) {
        for (const auto& outcome : outcomes_)
            if (outcome.first == folder)
                return outcome.second;
        int writable = CanWriteToDirectory(folder);
        outcomes_.emplace_back(folder, writable);
        return writable;
    }

  private:
    std::vector<std::pair<std::string, int>>& outcomes_;
};

// What a write-tested candidate came to, for the record.
std::string Rejected(const char* why, const std::string& folder) {
    std::string outcome = std::string(why) + ": " + folder;
    if (ShareRootRefused(folder))
        outcome += " (the network refused the share)";
    return outcome;
}

} // namespace

// The folder service of shfolder.dll is believed without a test. Otherwise the registry's
// "ProgramFilesDir" if writable, else "ProgramFilesPath" with the Windows drive put in, else
// the fixed folder on the Windows drive; the candidate must be writable and have a root, or
// the fixed folder is taken untested. The fixed folder is "\Program Files", or "\Program Files
// (x86)" for a 32-bit process on 64-bit Windows (asked only when the fixed folder is reached).
//
// A folder is write-tested once within one run, and once for all the runs that ResolveAll
// makes while it keeps the outcomes (see there); every other run tests afresh.
std::string CSystemFolders::ProgramFilesFolderNow(int common) {
    if (FolderPathFunction != nullptr) {
        std::string path;
        if (AskFolderService(common ? CSIDL_PROGRAM_FILES_COMMON : CSIDL_PROGRAM_FILES, path))
            return path;
    }

    FolderRecord& record = Recording();
    std::vector<std::pair<std::string, int>> testsOfThisRun;
    WriteTests tests(keepProgramFilesWriteTests_ ? programFilesWriteTests_ : testsOfThisRun);
    bool rootKnown = false;
    std::string windowsRoot;
    auto WindowsRoot = [&]() {
        if (!rootKnown) {
            windowsRoot = PathRoot(QueryWindowsDirectory());
            rootKnown = true;
        }
        return windowsRoot;
    };
    // The fixed folder on the Windows drive, its detail for the record; WoW64 asked once.
    int wow64 = -1;
    auto Fixed = [&](std::string& detail) {
        if (wow64 < 0)
            wow64 = IsWow64();
        detail = wow64 ? "\"\\Program Files (x86)\" on the Windows drive (32-bit process on "
                         "64-bit Windows)"
                       : "\"\\Program Files\" on the Windows drive";
        return PathJoin(WindowsRoot(), wow64 ? kProgramFilesX86 : kProgramFiles);
    };

    // The candidate and where it came from, recorded once its fate is known.
    RegReadResult read;
    std::string candidate = RegReadValue(HKEY_LOCAL_MACHINE, kProgramFilesDir, read);
    const char* kind = kRegistrySource;
    std::string detail = RegistryValuePathText(HKEY_LOCAL_MACHINE, kProgramFilesDir);
    const bool dirEmpty = candidate.empty();
    if (dirEmpty || !tests.CanWrite(candidate)) {
        record.Add(kind, detail,
                   dirEmpty ? RegistryOutcome(read.open, read.query)
                            : Rejected("write test failed", candidate));
        detail = RegistryValuePathText(HKEY_LOCAL_MACHINE, kProgramFilesPath);
        const std::string stored = RegReadValue(HKEY_LOCAL_MACHINE, kProgramFilesPath, read);
        const bool pathEmpty = stored.empty();
        candidate = StrReplace(stored, kSystemDrive, WindowsRoot(), 0);
        if (candidate != stored)
            detail += ", " + std::string(kSystemDrive) + " = " + WindowsRoot();
        if (candidate.empty()) {
            if (pathEmpty)
                record.Add(kind, detail, RegistryOutcome(read.open, read.query));
            else
                record.Add(kind, detail, "empty once %SystemDrive% is replaced");
            candidate = Fixed(detail);
            kind = kFallbackSource;
        }
    }
    if (tests.CanWrite(candidate)) {
        if (!PathRoot(candidate).empty()) {
            record.Add(kind, detail, "answered, write test passed");
            return candidate;
        }
        record.Add(kind, detail, "no drive or share root: " + candidate);
    } else {
        record.Add(kind, detail, Rejected("write test failed", candidate));
    }
    candidate = Fixed(detail);
    record.Add(kFallbackSource, detail, "answered, untested");
    return candidate;
}

void CSystemFolders::ResolveProgramFilesFolder(std::string& slot, int common) {
    SlotRecording recording(*this, slot);
    slot = ProgramFilesFolderNow(common);
}

std::string CSystemFolders::RefreshProgramFilesFolder() {
    ResolveProgramFilesFolder(ProgramFilesFolder, 0);
    return ProgramFilesFolder;
}

// The system directory, or the Windows directory when the user may not write to it.
void CSystemFolders::ResolveSystemFolder(std::string& slot) {
    SlotRecording recording(*this, slot);
    FolderRecord& record = Recording();
    char buffer[MAX_PATH] = {0};
    UINT length = GetSystemDirectoryA(buffer, MAX_PATH);
    std::string folder = FixedBufferText(buffer, length);
    if (folder.empty())
        record.Add(kWindowsSource, "GetSystemDirectoryA",
                   length == 0 ? FailedError(GetLastError()) : "too long for 260 bytes");
    if (!CanWriteToDirectory(folder)) {
        if (!folder.empty())
            record.Add(kWindowsSource, "GetSystemDirectoryA",
                       Rejected("write test failed", folder));
        folder = QueryWindowsDirectory();
        if (!folder.empty())
            record.Add(kWindowsSource, "GetWindowsDirectoryA", "answered");
    } else {
        record.Add(kWindowsSource, "GetSystemDirectoryA", "answered, write test passed");
    }
    slot = folder;
}

// On Terminal Server the maker's components go under the program-files folder, shared by all
// sessions; elsewhere into the maker's folder under the Windows directory. Neither is tested.
void CSystemFolders::ResolveRundleFolder(std::string& slot) {
    SlotRecording recording(*this, slot);
    FolderRecord& record = Recording();
    if (IsTerminalServer()) {
        slot = PathJoinBelow(RefreshProgramFilesFolder(), "Tolva\\Rundle");
        record.Add(kDefaultSource,
                   BelowSlot("ProgramFilesFolder", "Tolva\\Rundle") + " (Terminal Server)",
                   "answered");
    } else {
        // Without the Windows directory there is no maker's folder: a bare "Tolva" would name
        // a folder relative to whatever directory is current.
        slot = PathJoinBelow(QueryWindowsDirectory(), "Tolva");
        record.Add(kWindowsSource, "GetWindowsDirectoryA + \"Tolva\" (not Terminal Server)",
                   slot.empty() ? "no folder: no Windows directory" : "answered");
    }
}

// Where the suite was installed, as its setup registered it; empty when it was not.
void CSystemFolders::ResolveSuiteDestinationFolder(std::string& slot) {
    SlotRecording recording(*this, slot);
    RegReadResult read;
    slot = RegReadValue(HKEY_LOCAL_MACHINE, kSuiteDestination, read);
    Recording().Add(kRegistrySource, RegistryValuePathText(HKEY_LOCAL_MACHINE, kSuiteDestination),
                    slot.empty() ? RegistryOutcome(read.open, read.query) : "answered");
}
