// The Windows, temporary and module folders, asked of Windows directly.
#include "folders/FixedBuffer.h"
#include "folders/Sources.h"
#include "folders/SystemFolders.h"
#include "paths/Path.h"
#include "platform/ModuleFunction.h"

namespace {

typedef DWORD(WINAPI* PFNGETTEMPPATHW)(DWORD, LPWSTR);
typedef DWORD(WINAPI* PFNGETMODULEFILENAMEW)(HMODULE, LPWSTR, DWORD);

// The temporary folder keeps the trailing backslash that Windows gives it.
Outcome TempPath() {
    char buffer[MAX_PATH] = {0};
    return WindowsCallAnswer(
        "GetTempPathA", buffer, GetTempPathA(MAX_PATH, buffer), [](std::wstring& folder) {
            auto getTempPath =
                LoadedModuleFunction<PFNGETTEMPPATHW>("KERNEL32.DLL", "GetTempPathW");
            WCHAR wide[MAX_PATH] = {0};
            folder = getTempPath == nullptr ? std::wstring()
                                            : FixedBufferText(wide, getTempPath(MAX_PATH, wide));
            return !folder.empty();
        });
}

// The executable's wide file name, up to its last backslash.
bool ExecutableFolderW(std::wstring& folder) {
    auto getModuleFileName =
        LoadedModuleFunction<PFNGETMODULEFILENAMEW>("KERNEL32.DLL", "GetModuleFileNameW");
    WCHAR wide[MAX_PATH] = {0};
    const std::wstring fileName =
        getModuleFileName == nullptr
            ? std::wstring()
            : FixedBufferText(wide, getModuleFileName(GetModuleHandleA(nullptr), wide, MAX_PATH));
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
                       "answered a file name without a folder: " + fileName);
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
