// The program-files, system, maker's and suite folders.
#include "folders/Sources.h"
#include "folders/SystemFolders.h"
#include "paths/Path.h"
#include "paths/RegValue.h"
#include "paths/Root.h"
#include "strings/Strings.h"

namespace {

const char kProgramFilesDir[] = "Software\\Microsoft\\Windows\\CurrentVersion\\ProgramFilesDir";
const char kProgramFilesPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\ProgramFilesPath";
const char kSystemDrive[] = "%SystemDrive%";
const char kProgramFiles[] = "\\Program Files";
const char kProgramFilesX86[] = "\\Program Files (x86)";
const char kSuiteDestination[] = "Software\\Tolva\\Inkvale Suite\\9\\Destination";

// The root of the Windows directory's drive, asked once when first needed.
class WindowsRoot {
  public:
    const std::string& Get() {
        if (!known_) {
            root_ = PathRoot(QueryWindowsDirectory());
            known_ = true;
        }
        return root_;
    }

  private:
    bool known_ = false;
    std::string root_;
};

// "%SystemDrive%" (in any case) in a wide text replaced by the Windows drive.
std::wstring WithSystemDriveW(std::wstring text, const std::string& drive) {
    const std::wstring reference = L"%SYSTEMDRIVE%";
    for (size_t at = 0; at + reference.size() <= text.size();) {
        bool match = true;
        for (size_t i = 0; match && i < reference.size(); ++i)
            match = (text[at + i] >= L'a' && text[at + i] <= L'z' ? text[at + i] - L'a' + L'A'
                                                                  : text[at + i]) == reference[i];
        if (!match) {
            ++at;
            continue;
        }
        text.replace(at, reference.size(), std::wstring(drive.begin(), drive.end()));
        at += drive.size();
    }
    return text;
}

// "ProgramFilesPath" with "%SystemDrive%" (in any case) replaced by the Windows drive, and other
// environment references expanded. Without a candidate `missing` is set.
Outcome ProgramFilesPath(WindowsRoot& root, bool& missing) {
    RegReadResult read;
    const std::string stored = RegReadValue(HKEY_LOCAL_MACHINE, kProgramFilesPath, read);
    const std::string candidate = StrReplace(stored, kSystemDrive, root.Get(), kAnyCase);
    std::string detail = RegistryValuePathText(HKEY_LOCAL_MACHINE, kProgramFilesPath);
    if (candidate != stored)
        detail += ", " + std::string(kSystemDrive) + " = " + root.Get();
    missing = candidate.empty();
    if (missing)
        return Failure(kRegistrySource, detail,
                       stored.empty() ? RegistryOutcome(read.open, read.query)
                                      : "empty once %SystemDrive% is replaced");
    const std::string folder = RegExpandReferences(candidate);
    Outcome outcome = Answer(kRegistrySource, detail, folder, ExpandedOutcome(candidate, folder));
    const std::string drive = root.Get();
    outcome.wide = [drive](std::wstring& wide) {
        wide = RegExpandReferencesW(
            WithSystemDriveW(RegReadValueW(HKEY_LOCAL_MACHINE, kProgramFilesPath), drive));
        return !wide.empty();
    };
    return outcome;
}

// The fixed folder on the Windows drive: "\Program Files", or "\Program Files (x86)" for a
// 32-bit process on 64-bit Windows.
Outcome FixedProgramFiles(AttachContext& context, WindowsRoot& root, const char* text) {
    if (context.Wow64())
        return Answer(kFallbackSource,
                      "\"\\Program Files (x86)\" on the Windows drive (32-bit process on 64-bit "
                      "Windows)",
                      PathJoin(root.Get(), kProgramFilesX86), text);
    return Answer(kFallbackSource, "\"\\Program Files\" on the Windows drive",
                  PathJoin(root.Get(), kProgramFiles), text);
}

// The system directory, GetSystemDirectoryA through a 260-byte buffer, and its wide twin.
Outcome SystemDirectory() {
    char buffer[MAX_PATH] = {0};
    return WindowsCallAnswer(
        "GetSystemDirectoryA", buffer, GetSystemDirectoryA(buffer, MAX_PATH),
        [](std::wstring& directory) { return QueryDirectoryW("GetSystemDirectoryW", directory); });
}

} // namespace

// The folder service of shfolder.dll is believed without a test. Otherwise the registry's
// "ProgramFilesDir" if writable, else "ProgramFilesPath" with the Windows drive put in (or, when
// it is missing, the fixed folder on the Windows drive) if writable, else the fixed folder
// untested. Whether the process runs under WoW64 is asked only once the fixed folder is
// reached. While ResolveAll keeps write tests (see there), a folder is
// tested once for all the runs it makes.
void CSystemFolders::ResolveProgramFilesFolder(QuellinSlot slot, ProgramFilesKind kind) {
    WindowsRoot root;
    bool pathMissing = false;
    const int csidl =
        kind == ProgramFilesKind::CommonFiles ? CSIDL_PROGRAM_FILES_COMMON : CSIDL_PROGRAM_FILES;
    Resolve(slot,
            {
                FolderService(context_, csidl),
                WriteTested(MachineValue(kProgramFilesDir)),
                WriteTested([&] { return ProgramFilesPath(root, pathMissing); }),
                OnlyIf(pathMissing, WriteTested([this, &root] {
                           return FixedProgramFiles(context_, root, "answered");
                       })),
                [this, &root] { return FixedProgramFiles(context_, root, "answered, untested"); },
            });
}

std::string CSystemFolders::RefreshProgramFilesFolder() {
    ResolveProgramFilesFolder(QUELLIN_PROGRAM_FILES_FOLDER, ProgramFilesKind::ProgramFiles);
    return slots_[QUELLIN_PROGRAM_FILES_FOLDER];
}

// The system directory, or the Windows directory when the user may not write to it.
void CSystemFolders::ResolveSystemFolder(QuellinSlot slot) {
    Resolve(slot, {WriteTested(SystemDirectory), WindowsDirectory()});
}

// On Terminal Server the maker's components go under the program-files folder, shared by all
// sessions; elsewhere into the maker's folder under the Windows directory. Neither is tested.
void CSystemFolders::ResolveRundleFolder(QuellinSlot slot) {
    if (context_.TerminalServer()) {
        RefreshProgramFilesFolder();
        Resolve(slot, {Default(*this, QUELLIN_PROGRAM_FILES_FOLDER, "Tolva\\Rundle",
                               " (Terminal Server)")});
        return;
    }
    // Without the Windows directory there is no maker's folder: a bare "Tolva" would name a
    // folder relative to whatever directory is current.
    Resolve(slot, {[] {
                const char* detail = "GetWindowsDirectoryA + \"Tolva\" (not Terminal Server)";
                const std::string folder = PathJoinBelow(QueryWindowsDirectory(), "Tolva");
                if (folder.empty())
                    return Failure(kWindowsSource, detail, "no folder: no Windows directory");
                Outcome outcome = Answer(kWindowsSource, detail, folder);
                outcome.wide = [](std::wstring& wide) {
                    if (!QueryWindowsDirectoryW(wide))
                        return false;
                    wide = PathJoinBelowW(wide, L"Tolva");
                    return true;
                };
                return outcome;
            }});
}

// Where the suite was installed, as its setup registered it; empty when it was not.
void CSystemFolders::ResolveSuiteDestinationFolder(QuellinSlot slot) {
    Resolve(slot, {MachineValue(kSuiteDestination)});
}
