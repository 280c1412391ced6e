// Folders of database components shared with other products: the Borland Database Engine's
// folder (the one holding IDAPI32.DLL) and the DAO and ODBC folders under the common-files
// folder.
#include "folders/SystemFolders.h"
#include "paths/Directory.h"
#include "paths/Path.h"
#include "paths/RegValue.h"
#include "strings/Strings.h"

namespace {

const char kDllPath[] = "Software\\Borland\\Database Engine\\DLLPATH";
const char kCommonFilesDir[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\CommonFilesDir";
const char kBdeBelowProgramFiles[] = "\\Borland\\Common Files\\Bde\\";

// A DLLPATH folder qualifies when it holds the engine and accepts new files; the test goes to
// the record under `detail`.
bool IsUsableBdeFolder(const std::string& folder, const std::string& detail, FolderRecord& record) {
    if (!FileExists(PathJoin(folder, "IDAPI32.DLL"))) {
        record.Add(kRegistrySource, detail, "no IDAPI32.DLL: " + folder);
        return false;
    }
    if (!CanWriteToDirectory(folder)) {
        record.Add(kRegistrySource, detail, "write test failed: " + folder);
        return false;
    }
    record.Add(kRegistrySource, detail, "answered, holds IDAPI32.DLL, write test passed");
    return true;
}

} // namespace

// The engine's registered search path (one folder or a ";" list) is tried first; the folder
// returned is the entry as registered (trimmed when it came from a list), not normalised.
// Otherwise the engine's usual folder under the program-files folder, when it is writable.
void CSystemFolders::ResolveBdeFolder(std::string& slot) {
    SlotRecording recording(*this, slot);
    FolderRecord& record = Recording();
    std::string programFiles = RefreshProgramFilesFolder();
    std::string result;
    RegReadResult read;
    const std::string dllPath = RegReadValue(HKEY_LOCAL_MACHINE, kDllPath, read);
    const std::string where = RegistryValuePathText(HKEY_LOCAL_MACHINE, kDllPath);
    if (dllPath.empty()) {
        record.Add(kRegistrySource, where, RegistryOutcome(read.open, read.query));
    } else if (!StrContains(dllPath, ";", 0)) {
        if (IsUsableBdeFolder(dllPath, where, record))
            result = dllPath;
    } else {
        CStringArray items;
        StrSplit(dllPath, items, ';');
        for (size_t i = 0; i < items.size(); ++i)
            if (IsUsableBdeFolder(items[i], where + ", entry " + std::to_string(i + 1), record)) {
                result = items[i];
                break;
            }
    }
    if (result.empty()) {
        std::string fallback = PathJoinBelow(programFiles, kBdeBelowProgramFiles);
        const bool writable = CanWriteToDirectory(fallback) != 0;
        if (writable)
            result = fallback;
        record.Add(kDefaultSource, BelowSlot("ProgramFilesFolder", kBdeBelowProgramFiles),
                   writable ? "answered, write test passed" : "write test failed: " + fallback);
    }
    slot = result;
}

namespace {

// The common-files folder and a folder below it: the registered one, or "Common Files" under
// the program-files folder (asked for only when none is registered). Recorded.
std::string BelowCommonFiles(CSystemFolders& table, const char* below) {
    FolderRecord& record = table.Recording();
    RegReadResult read;
    std::string folder = RegReadValue(HKEY_LOCAL_MACHINE, kCommonFilesDir, read);
    const std::string where = RegistryValuePathText(HKEY_LOCAL_MACHINE, kCommonFilesDir);
    if (!folder.empty()) {
        record.Add(kRegistrySource, where + " + \"" + below + "\"", "answered");
        return PathJoinBelow(folder, below);
    }
    record.Add(kRegistrySource, where, RegistryOutcome(read.open, read.query));
    folder = PathJoinBelow(table.RefreshProgramFilesFolder(), "Common Files");
    record.Add(kDefaultSource, BelowSlot("ProgramFilesFolder", std::string("Common Files") + below),
               "answered");
    return PathJoinBelow(folder, below);
}

} // namespace

void CSystemFolders::ResolveDaoFolder(std::string& slot) {
    SlotRecording recording(*this, slot);
    slot = BelowCommonFiles(*this, "\\Microsoft Shared\\DAO");
}

void CSystemFolders::ResolveOdbcFolder(std::string& slot) {
    SlotRecording recording(*this, slot);
    slot = BelowCommonFiles(*this, "\\ODBC");
}
