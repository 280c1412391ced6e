// The Windows, temporary and module folders, asked of Windows directly.
#include "folders/FixedBuffer.h"
#include "folders/SystemFolders.h"
#include "paths/Path.h"

namespace {

// What a call that fills a 260-byte buffer came to, for the record: answered, failed with the
// error Windows gives, or a path longer than the buffer.
std::string FixedBufferOutcome(DWORD returned, const std::string& text) {
    if (!text.empty())
        return "answered";
    if (returned == 0)
        return FailedError(GetLastError());
    return "too long for 260 bytes";
}

} // namespace

// The temporary folder keeps the trailing backslash that Windows gives it.
void CSystemFolders::ResolveTempFolder(std::string& slot) {
    SlotRecording recording(*this, slot);
    char buffer[MAX_PATH] = {0};
    DWORD length = GetTempPathA(MAX_PATH, buffer);
    slot = FixedBufferText(buffer, length);
    Recording().Add(kWindowsSource, "GetTempPathA", FixedBufferOutcome(length, slot));
}

void CSystemFolders::ResolveWindowsFolder(std::string& slot) {
    SlotRecording recording(*this, slot);
    slot = QueryWindowsDirectory();
    if (!slot.empty())
        Recording().Add(kWindowsSource, "GetWindowsDirectoryA", "answered");
}

// Asked afresh by every resolver that builds on the Windows directory; only a failure is
// recorded here, the use made of an answer is the caller's to record.
std::string CSystemFolders::QueryWindowsDirectory() {
    char buffer[MAX_PATH] = {0};
    UINT length = GetWindowsDirectoryA(buffer, MAX_PATH);
    std::string directory = FixedBufferText(buffer, length);
    if (directory.empty())
        Recording().Add(kWindowsSource, "GetWindowsDirectoryA",
                        FixedBufferOutcome(length, directory));
    return directory;
}

// The folder of the process's executable (not of this library): its file name up to the last
// backslash; a trail byte 0x5C is never taken for one.
void CSystemFolders::ResolveModuleFolder(std::string& slot) {
    SlotRecording recording(*this, slot);
    char buffer[MAX_PATH] = {0};
    DWORD length = GetModuleFileNameA(GetModuleHandleA(nullptr), buffer, MAX_PATH);
    const std::string fileName = FixedBufferText(buffer, length);
    slot = PathParent(fileName);
    Recording().Add(kWindowsSource, "GetModuleFileNameA",
                    fileName.empty() || !slot.empty()
                        ? FixedBufferOutcome(length, fileName)
                        : "answered a file name without a folder: " + fileName);
}
