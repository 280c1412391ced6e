// The Windows, temporary and module folders, asked of Windows directly.
#include "folders/Sources.h"
#include "folders/SystemFolders.h"
#include "paths/Path.h"

namespace {

typedef DWORD(WINAPI* PFNGETTEMPPATHW)(DWORD, LPWSTR);
typedef DWORD(WINAPI* PFNGETMODULEFILENAMEW)(HMODULE, LPWSTR, DWORD);

// The temporary folder keeps the trailing backslash that Windows gives it.
Outcome TempPath() {
    char buffer[MAX_PATH] = {0};
    return WindowsCallAnswer(
        "GetTempPathA", buffer, GetTempPathA(MAX_PATH, buffer), [](std::wstring& folder) {
            return QueryWideText<PFNGETTEMPPATHW>(
                "GetTempPathW",
                [](PFNGETTEMPPATHW get, WCHAR* wide) { return get(MAX_PATH, wide); }, folder);
        });
}

// The executable's wide file name, up to its last backslash.
bool ExecutableFolderW(std::wstring& folder) {
    std::wstring fileName;
    QueryWideText<PFNGETMODULEFILENAMEW>(
        "GetModuleFileNameW",
        [](PFNGETMODULEFILENAMEW get, WCHAR* wide) {
            return get(GetModuleHandleA(nullptr), wide, MAX_PATH);
        },
        fileName);
    const size_t cut = fileName.find_last_of(L'\\');
    if (cut == std::wstring::npos)
        return false;
    folder = fileName.substr(0, cut == 2 && fileName[1] == L':' ? cut + 1 : cut);
    return true;
}

// The folder of the process's executable (not of this library): its file name up to the last
// backslash; a trail byte 0x5C is never taken for one.
Outcome ExecutableFolder() {
    char buffer[MAX_PATH] = {0};
    Outcome outcome = WindowsCallAnswer(
        "GetModuleFileNameA", buffer,
        GetModuleFileNameA(GetModuleHandleA(nullptr), buffer, MAX_PATH), ExecutableFolderW);
    if (outcome.verdict != Verdict::Answered)
        return outcome;
    const std::string fileName = outcome.folder;
    outcome.folder = PathParent(fileName);
    // At a drive's root the folder is the root itself ('C:\'), not the bare drive.
    if (outcome.folder.size() == 2 && outcome.folder[1] == ':')
        outcome.folder += '\\';
    if (outcome.folder.empty())
        return Failure(kWindowsSource, "GetModuleFileNameA",
                       "no folder in the file name: " + fileName);
    return outcome;
}

} // namespace

void CSystemFolders::ResolveTempFolder(QuellinSlot slot) {
    Resolve(slot, {TempPath});
}

void CSystemFolders::ResolveWindowsFolder(QuellinSlot slot) {
    Resolve(slot, {WindowsDirectory()});
}

void CSystemFolders::ResolveModuleFolder(QuellinSlot slot) {
    Resolve(slot, {ExecutableFolder});
}
