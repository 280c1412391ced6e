// The Windows, temporary and module folders, asked of Windows directly.
#include "folders/Sources.h"
#include "folders/SystemFolders.h"
#include "folders/FixedBuffer.h"
#include "folders/FolderRecord.h"
#include "paths/Path.h"

namespace {

// The temporary folder keeps the trailing backslash that Windows gives it.
template <typename Char> Outcome TempPath() {
    Char buffer[MAX_PATH] = {0};
    const DWORD returned = TextCalls<Char>::TempPath(MAX_PATH, buffer);
    return WindowsCallAnswer("GetTempPathA", buffer, returned);
}

// The folder of the process's executable (not of this library): its file name up to the last
// backslash; a trail byte 0x5C is never taken for one.
template <typename Char> Outcome ExecutableFolder() {
    Char buffer[MAX_PATH] = {0};
    const DWORD returned =
        TextCalls<Char>::ModuleFileName(GetModuleHandleA(nullptr), buffer, MAX_PATH);
    Outcome outcome = WindowsCallAnswer("GetModuleFileNameA", buffer, returned);
    if (outcome.verdict != Verdict::Answered)
        return outcome;
    const std::basic_string<Char> fileName = FixedBufferText(buffer, returned);
    std::basic_string<Char> folder = PathParent(fileName);
    // At a drive's root the folder is the root itself ('C:\'), not the bare drive.
    if (folder.size() == 2 && folder[1] == Char(':'))
        folder += Char('\\');
    if (folder.empty())
        return Failure(kWindowsSource, CallName<Char>("GetModuleFileNameA"),
                       Finding(QUELLIN_OUTCOME_NO_FOLDER,
                               "no folder in the file name: " + RecordText(fileName)));
    return Answer(kWindowsSource, CallName<Char>("GetModuleFileNameA"), folder);
}

} // namespace

void CSystemFolders::ResolveTempFolder(QuellinSlot slot) {
    Resolve(slot, {[this] {
                return InCallCharacters(
                    context_, [](auto character) { return TempPath<decltype(character)>(); });
            }});
}

void CSystemFolders::ResolveWindowsFolder(QuellinSlot slot) {
    Resolve(slot, {WindowsDirectory(context_)});
}

void CSystemFolders::ResolveModuleFolder(QuellinSlot slot) {
    Resolve(slot, {[this] {
                return InCallCharacters(context_, [](auto character) {
                    return ExecutableFolder<decltype(character)>();
                });
            }});
}
