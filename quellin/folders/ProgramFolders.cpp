// The program-files, system, maker's and suite folders.
#include "folders/Sources.h"
#include "folders/SystemFolders.h"
#include "paths/Path.h"
#include "paths/RegValue.h"
#include "paths/Root.h"
#include "strings/Strings.h"

#include <utility>
#include <vector>

namespace {

const char kProgramFilesDir[] = "Software\\Microsoft\\Windows\\CurrentVersion\\ProgramFilesDir";
const char kProgramFilesPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\ProgramFilesPath";
const char kSystemDrive[] = "%SystemDrive%";
const char kProgramFiles[] = "\\Program Files";
const char kProgramFilesX86[] = "\\Program Files (x86)";
const char kSuiteDestination[] = "Software\\Tolva\\Inkvale Suite\\9\\Destination";

// The root of the Windows directory's drive, asked once when first needed, in the character
// type of the calls.
template <typename Char> class WindowsRoot {
  public:
    const std::basic_string<Char>& Get() {
        if (!known_) {
            root_ = PathRoot(QueryWindowsDirectory<Char>());
            known_ = true;
        }
        return root_;
    }

  private:
    bool known_ = false;
    std::basic_string<Char> root_;
};

template <typename Char> struct Roots {
    WindowsRoot<Char> root;
    bool pathMissing = false;
};

// "ProgramFilesPath" with "%SystemDrive%" (in any case) replaced by the Windows drive, and other
// environment references expanded. Without a candidate `missing` is set.
template <typename Char> Outcome ProgramFilesPath(WindowsRoot<Char>& root, bool& missing) {
    using Text = std::basic_string<Char>;
    RegReadResult read;
    const Text stored = RegReadValueAs<Char>(HKEY_LOCAL_MACHINE, kProgramFilesPath, read);
    const Text candidate =
        StrReplace(stored, TextCalls<Char>::Text(kSystemDrive), root.Get(), kAnyCase);
    std::string detail = RegistryValuePathText(HKEY_LOCAL_MACHINE, kProgramFilesPath);
    if (candidate != stored)
        detail += ", " + std::string(kSystemDrive) + " = " + RecordText(root.Get());
    missing = candidate.empty();
    if (missing)
        return Failure(kRegistrySource, detail,
                       stored.empty() ? RegistryOutcome(read.open, read.query)
                                      : Finding(QUELLIN_OUTCOME_EMPTY,
                                                "empty once %SystemDrive% is replaced"));
    const Text folder = RegExpandReferences(candidate);
    Outcome outcome = Answer(kRegistrySource, detail, folder, ExpandedOutcome(candidate, folder));
    RawValue(outcome, read.type, stored, folder);
    return outcome;
}

// The fixed folder on the Windows drive: "\Program Files", or "\Program Files (x86)" for a
// 32-bit process on 64-bit Windows.
template <typename Char>
Outcome FixedProgramFiles(AttachContext& context, WindowsRoot<Char>& root, const Finding& text) {
    if (context.Wow64())
        return Answer(kFallbackSource,
                      "\"\\Program Files (x86)\" on the Windows drive (32-bit process on 64-bit "
                      "Windows)",
                      PathJoin(root.Get(), TextCalls<Char>::Text(kProgramFilesX86)), text);
    return Answer(kFallbackSource, "\"\\Program Files\" on the Windows drive",
                  PathJoin(root.Get(), TextCalls<Char>::Text(kProgramFiles)), text);
}

// The system directory, GetSystemDirectoryA or GetSystemDirectoryW through a 260-character
// buffer.
template <typename Char> Outcome SystemDirectory() {
    Char buffer[MAX_PATH] = {0};
    const DWORD returned = TextCalls<Char>::SystemDirectory(buffer, MAX_PATH);
    return WindowsCallAnswer("GetSystemDirectoryA", buffer, returned);
}

// The program-files chain past the folder service, in one character type.
template <typename Char>
std::vector<Step> ProgramFilesSteps(AttachContext& context, Roots<Char>& roots) {
    return {
        WriteTested([&roots] { return ProgramFilesPath(roots.root, roots.pathMissing); }),
        OnlyIf(roots.pathMissing, WriteTested([&context, &roots] {
                   return FixedProgramFiles(context, roots.root, Finding("answered"));
               })),
        [&context, &roots] {
            return FixedProgramFiles(context, roots.root,
                                     Finding(QUELLIN_OUTCOME_UNTESTED, "answered, untested"));
        },
    };
}

} // namespace

// The folder service of shfolder.dll is believed without a test. Otherwise the registry's
// "ProgramFilesDir" if writable, else "ProgramFilesPath" with the Windows drive put in (or, when
// it is missing, the fixed folder on the Windows drive) if writable, else the fixed folder
// untested. Whether the process runs under WoW64 is asked only once the fixed folder is
// reached. While ResolveAll keeps write tests (see there), a folder is
// tested once for all the runs it makes.
void CSystemFolders::ResolveProgramFilesFolder(QuellinSlot slot, ProgramFilesKind kind) {
    Roots<char> ansi;
    Roots<WCHAR> wide;
    const int csidl =
        kind == ProgramFilesKind::CommonFiles ? CSIDL_PROGRAM_FILES_COMMON : CSIDL_PROGRAM_FILES;
    std::vector<Step> steps = {
        FolderService(context_, csidl),
        WriteTested(MachineValue(context_, kProgramFilesDir)),
    };
    for (Step& step : WideCalls(context_) ? ProgramFilesSteps(context_, wide)
                                          : ProgramFilesSteps(context_, ansi))
        steps.push_back(std::move(step));
    Resolve(slot, steps);
}

std::string CSystemFolders::RefreshProgramFilesFolder() {
    ResolveProgramFilesFolder(QUELLIN_PROGRAM_FILES_FOLDER, ProgramFilesKind::ProgramFiles);
    return slots_[QUELLIN_PROGRAM_FILES_FOLDER];
}

// The system directory, or the Windows directory when the user may not write to it.
void CSystemFolders::ResolveSystemFolder(QuellinSlot slot) {
    Resolve(slot, {WriteTested([this] {
                       return InCallCharacters(context_, [](auto character) {
                           return SystemDirectory<decltype(character)>();
                       });
                   }),
                   WindowsDirectory(context_)});
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
    Resolve(slot, {[this] {
                return InCallCharacters(context_, [](auto character) {
                    using Char = decltype(character);
                    const std::string detail = CallName<Char>("GetWindowsDirectoryA") +
                                               " + \"Tolva\" (not Terminal Server)";
                    const auto folder = PathJoinBelow(QueryWindowsDirectory<Char>(),
                                                      TextCalls<Char>::Text("Tolva"));
                    if (folder.empty())
                        return Failure(
                            kWindowsSource, detail,
                            Finding(QUELLIN_OUTCOME_NO_FOLDER, "no folder: no Windows directory"));
                    return Answer(kWindowsSource, detail, folder);
                });
            }});
}

// Where the suite was installed, as its setup registered it; empty when it was not.
void CSystemFolders::ResolveSuiteDestinationFolder(QuellinSlot slot) {
    Resolve(slot, {MachineValue(context_, kSuiteDestination)});
}
