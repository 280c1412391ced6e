// The Windows, temporary and module folders, asked of Windows directly.
#include "folders/Sources.h"
#include "folders/SystemFolders.h"
#include "paths/Path.h"

namespace {

// The temporary folder keeps the trailing backslash that Windows gives it.
Outcome TempPath() {
    char buffer[MAX_PATH] = {0};
    return WindowsCallAnswer("GetTempPathA", buffer, GetTempPathA(MAX_PATH, buffer));
}

// The folder of the process's executable (not of this library): its file name up to the last
// backslash; a trail byte 0x5C is never taken for one.
Outcome ExecutableFolder() {
    char buffer[MAX_PATH] = {0};
    Outcome outcome =
        WindowsCallAnswer("GetModuleFileNameA", buffer,
                          GetModuleFileNameA(GetModuleHandleA(nullptr), buffer, MAX_PATH));
    if (outcome.verdict != Verdict::Answered)
        return outcome;
    const std::string fileName = outcome.folder;
    outcome.folder = PathParent(fileName);
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
