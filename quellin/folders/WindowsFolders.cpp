// The Windows, temporary and module folders, asked of Windows directly.
#include "folders/FixedBuffer.h"
#include "folders/SystemFolders.h"
#include "paths/Path.h"

// The temporary folder keeps the trailing backslash that Windows gives it.
void CSystemFolders::ResolveTempFolder(std::string& slot) {
    char buffer[MAX_PATH] = {0};
    DWORD length = GetTempPathA(MAX_PATH, buffer);
    slot = FixedBufferText(buffer, length);
}

void CSystemFolders::ResolveWindowsFolder(std::string& slot) {
    slot = QueryWindowsDirectory();
}

std::string CSystemFolders::QueryWindowsDirectory() {
    char buffer[MAX_PATH] = {0};
    UINT length = GetWindowsDirectoryA(buffer, MAX_PATH);
    return FixedBufferText(buffer, length);
}

// The folder of the process's executable (not of this library): its file name up to the last
// backslash; a trail byte 0x5C is never taken for one.
void CSystemFolders::ResolveModuleFolder(std::string& slot) {
    char buffer[MAX_PATH] = {0};
    DWORD length = GetModuleFileNameA(GetModuleHandleA(nullptr), buffer, MAX_PATH);
    slot = PathParent(FixedBufferText(buffer, length));
}
