// Folders of database components shared with other products: the Borland Database Engine's
// folder (the one holding IDAPI32.DLL) and the DAO and ODBC folders under the common-files
// folder.
#include "folders/SystemFolders.h"
#include "paths/Directory.h"
#include "paths/Path.h"
#include "paths/RegValue.h"
#include "strings/Strings.h"

namespace {

// A DLLPATH folder qualifies when it holds the engine and accepts new files.
bool IsUsableBdeFolder(const std::string& folder) {
    return FileExists(PathJoin(folder, "IDAPI32.DLL")) && CanWriteToDirectory(folder);
}

} // namespace

// The engine's registered search path (one folder or a ";" list) is tried first; the folder
// returned is the entry as registered (trimmed when it came from a list), not normalised.
// Otherwise the engine's usual folder under the program-files folder, when it is writable.
void CSystemFolders::ResolveBdeFolder(std::string& slot) {
    std::string programFiles = RefreshProgramFilesFolder();
    std::string result;
    std::string dllPath =
        RegReadValue(HKEY_LOCAL_MACHINE, "Software\\Borland\\Database Engine\\DLLPATH");
    if (!dllPath.empty()) {
        if (!StrContains(dllPath, ";", 0)) {
            if (IsUsableBdeFolder(dllPath))
                result = dllPath;
        } else {
            CStringArray items;
            StrSplit(dllPath, items, ';');
            for (const std::string& item : items)
                if (IsUsableBdeFolder(item)) {
                    result = item;
                    break;
                }
        }
    }
    if (result.empty()) {
        std::string fallback = PathJoinBelow(programFiles, "\\Borland\\Common Files\\Bde\\");
        if (CanWriteToDirectory(fallback))
            result = fallback;
    }
    slot = result;
}

namespace {

// The common-files folder: the registered one, or "Common Files" under the program-files
// folder (asked for only when none is registered).
std::string CommonFilesFolder(CSystemFolders& table) {
    std::string folder = RegReadValue(
        HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\CommonFilesDir");
    if (folder.empty())
        folder = PathJoinBelow(table.RefreshProgramFilesFolder(), "Common Files");
    return folder;
}

} // namespace

void CSystemFolders::ResolveDaoFolder(std::string& slot) {
    slot = PathJoinBelow(CommonFilesFolder(*this), "\\Microsoft Shared\\DAO");
}

void CSystemFolders::ResolveOdbcFolder(std::string& slot) {
    slot = PathJoinBelow(CommonFilesFolder(*this), "\\ODBC");
}
