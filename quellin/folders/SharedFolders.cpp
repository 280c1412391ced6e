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

// The entries of a search path, split at ";" and trimmed; the whole text when it holds none.
std::vector<std::wstring> EntriesW(const std::wstring& list) {
    std::vector<std::wstring> entries;
    if (list.find(L';') == std::wstring::npos)
        return {list};
    for (size_t at = 0;;) {
        const size_t end = list.find(L';', at);
        entries.push_back(StrTrimW(list.substr(at, end == std::wstring::npos ? end : end - at)));
        if (end == std::wstring::npos)
            return entries;
        at = end + 1;
    }
}

// Entry `index` of the search path (its environment references expanded) as it answers:
// when the folder holds the engine and accepts new files.
Step EngineFolder(const std::string& folder, const std::string& detail, size_t index) {
    return [folder, detail, index] {
        Outcome outcome = Answer(kRegistrySource, detail, folder);
        outcome.mustHold = "IDAPI32.DLL";
        outcome.writeTest = true;
        outcome.wide = [index](std::wstring& wide) {
            const std::vector<std::wstring> entries =
                EntriesW(RegExpandReferencesW(RegReadValueW(HKEY_LOCAL_MACHINE, kDllPath)));
            if (index >= entries.size())
                return false;
            wide = entries[index];
            return !wide.empty();
        };
        return outcome;
    };
}

// The engine's registered search path, read now and its environment references expanded: one
// step per folder of it (one folder, or a ";" list), each answered as registered (trimmed when
// it came from a list), not normalised; without a value one step that records why.
std::vector<Step> SearchPathFolders() {
    RegReadResult read;
    const std::string dllPath =
        RegExpandReferences(RegReadValue(HKEY_LOCAL_MACHINE, kDllPath, read));
    const std::string where = RegistryValuePathText(HKEY_LOCAL_MACHINE, kDllPath);
    if (dllPath.empty())
        return {[where, read] {
            return Failure(kRegistrySource, where, RegistryOutcome(read.open, read.query));
        }};
    if (!StrContains(dllPath, ";", kAnyCase))
        return {EngineFolder(dllPath, where, 0)};
    CStringArray items;
    StrSplit(dllPath, items, ';');
    std::vector<Step> steps;
    for (size_t i = 0; i < items.size(); ++i)
        steps.push_back(EngineFolder(items[i], where + ", entry " + std::to_string(i + 1), i));
    return steps;
}

// A folder below the common-files folder: the registered one, or "Common Files" under the
// program-files folder (asked for only when none is registered).
std::vector<Step> BelowCommonFiles(CSystemFolders& table, const char* below) {
    return {MachineValue(kCommonFilesDir, below), [&table, below] {
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
    std::vector<Step> steps = SearchPathFolders();
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
