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

} // namespace

// The folder service of shfolder.dll is believed without a test. Otherwise the registry's
// "ProgramFilesDir" if writable, else "ProgramFilesPath" with the Windows drive put in, else
// "\Program Files" on the Windows drive; the candidate must be writable and have a root, or
// "\Program Files" on the Windows drive is taken untested.
//
// A folder is write-tested once within one run, and once for all the runs that ResolveAll
// makes while it keeps the outcomes (see there); every other run tests afresh.
std::string CSystemFolders::ProgramFilesFolderNow(int common) {
    if (FolderPathFunction != nullptr) {
        std::string path;
        if (AskFolderService(common ? CSIDL_PROGRAM_FILES_COMMON : CSIDL_PROGRAM_FILES, path))
            return path;
    }

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

    std::string candidate = RegReadValue(HKEY_LOCAL_MACHINE, kProgramFilesDir);
    if (candidate.empty() || !tests.CanWrite(candidate)) {
        candidate = RegReadValue(HKEY_LOCAL_MACHINE, kProgramFilesPath);
        candidate = StrReplace(candidate, kSystemDrive, WindowsRoot(), 0);
        if (candidate.empty())
            candidate = PathJoin(WindowsRoot(), kProgramFiles);
    }
    if (tests.CanWrite(candidate) && !PathRoot(candidate).empty())
        return candidate;
    return PathJoin(WindowsRoot(), kProgramFiles);
}

void CSystemFolders::ResolveProgramFilesFolder(std::string& slot, int common) {
    slot = ProgramFilesFolderNow(common);
}

std::string CSystemFolders::RefreshProgramFilesFolder() {
    ResolveProgramFilesFolder(ProgramFilesFolder, 0);
    return ProgramFilesFolder;
}

// The system directory, or the Windows directory when the user may not write to it.
void CSystemFolders::ResolveSystemFolder(std::string& slot) {
    char buffer[MAX_PATH] = {0};
    UINT length = GetSystemDirectoryA(buffer, MAX_PATH);
    std::string folder = FixedBufferText(buffer, length);
    if (!CanWriteToDirectory(folder))
        folder = QueryWindowsDirectory();
    slot = folder;
}

// On Terminal Server the maker's components go under the program-files folder, shared by all
// sessions; elsewhere into the maker's folder under the Windows directory. Neither is tested.
void CSystemFolders::ResolveRundleFolder(std::string& slot) {
    if (IsTerminalServer()) {
        slot = PathJoinBelow(RefreshProgramFilesFolder(), "Tolva\\Rundle");
    } else {
        // Without the Windows directory there is no maker's folder: a bare "Tolva" would name
        // a folder relative to whatever directory is current.
        slot = PathJoinBelow(QueryWindowsDirectory(), "Tolva");
    }
}

// Where the suite was installed, as its setup registered it; empty when it was not.
void CSystemFolders::ResolveSuiteDestinationFolder(std::string& slot) {
    slot = RegReadValue(HKEY_LOCAL_MACHINE, kSuiteDestination);
}
