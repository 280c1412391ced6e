// Folders of database components shared with other products: the Borland Database Engine's
// folder (the one holding IDAPI32.DLL) and the DAO and ODBC folders under the common-files
// folder.
#include "folders/Sources.h"
#include "folders/SystemFolders.h"
#include "paths/Path.h"
#include "paths/RegValue.h"
#include "strings/Strings.h"

#include <string>

namespace {

const char kDllPath[] = "Software\\Borland\\Database Engine\\DLLPATH";
const char kCommonFilesDir[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\CommonFilesDir";
const char kBdeBelowProgramFiles[] = "\\Borland\\Common Files\\Bde";

// Entry `index` of the search path (its environment references expanded) as it answers:
// when the folder holds the engine and accepts new files.
template <typename Text> Step EngineFolder(const Text& folder, const std::string& detail) {
    return [folder, detail] {
        Outcome outcome = Answer(kRegistrySource, detail, folder);
        outcome.mustHold = "IDAPI32.DLL";
        outcome.writeTest = true;
        return outcome;
    };
}

// The engine's registered search path, read now and its environment references expanded: one
// step per folder of it (one folder, or a ";" list), each answered as registered (trimmed when
// it came from a list), not normalised; without a value one step that records why.
template <typename Char> std::vector<Step> SearchPathFolders() {
    using Text = std::basic_string<Char>;
    RegReadResult read;
    const Text dllPath =
        RegExpandReferences(RegReadValueAs<Char>(HKEY_LOCAL_MACHINE, kDllPath, read));
    const std::string where = RegistryValuePathText(HKEY_LOCAL_MACHINE, kDllPath);
    if (dllPath.empty())
        return {[where, read] {
            return Failure(kRegistrySource, where, RegistryOutcome(read.open, read.query));
        }};
    const Text separator = TextCalls<Char>::Text(";");
    if (!StrContains(dllPath, separator, kAnyCase))
        return {EngineFolder(dllPath, where)};
    std::vector<Text> items;
    StrSplit(dllPath, items, separator[0]);
    std::vector<Step> steps;
    for (size_t i = 0; i < items.size(); ++i)
        steps.push_back(EngineFolder(items[i], where + ", entry " + std::to_string(i + 1)));
    return steps;
}

// A folder below the common-files folder: the registered one, or "Common Files" under the
// program-files folder (asked for only when none is registered).
std::vector<Step> BelowCommonFiles(CSystemFolders& table, const char* below) {
    return {MachineValue(table.Context(), kCommonFilesDir, below), [&table, below] {
                table.RefreshProgramFilesFolder();
                return Default(table, QUELLIN_PROGRAM_FILES_FOLDER,
                               std::string("Common Files") + below)();
            }};
}

} // namespace

// The program-files folder comes first, whatever follows. Then the engine's search path, then
// the engine's usual folder under the program-files folder when it is writable.
void CSystemFolders::ResolveBdeFolder(QuellinSlot slot) {
    RefreshProgramFilesFolder();
    std::vector<Step> steps =
        WideCalls(context_) ? SearchPathFolders<WCHAR>() : SearchPathFolders<char>();
    steps.push_back(
        WriteTested(Default(*this, QUELLIN_PROGRAM_FILES_FOLDER, kBdeBelowProgramFiles)));
    Resolve(slot, steps);
}

void CSystemFolders::ResolveDaoFolder(QuellinSlot slot) {
    Resolve(slot, BelowCommonFiles(*this, "\\Microsoft Shared\\DAO"));
}

void CSystemFolders::ResolveOdbcFolder(QuellinSlot slot) {
    Resolve(slot, BelowCommonFiles(*this, "\\ODBC"));
}
