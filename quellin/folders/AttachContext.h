// What the attach learns before the first resolver runs, read by every resolver.
#pragma once

#include "platform/Handles.h"
#include "platform/WindowsVersion.h"

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

// SHGetFolderPathA of shfolder.dll: owner window, folder identifier, access token, flags,
// 260-byte output buffer; returns an HRESULT.
typedef HRESULT(WINAPI* PFNSHGETFOLDERPATHA)(HWND, int, HANDLE, DWORD, LPSTR);
// Its wide twin, SHGetFolderPathW, with a buffer of 260 characters.
typedef HRESULT(WINAPI* PFNSHGETFOLDERPATHW)(HWND, int, HANDLE, DWORD, LPWSTR);

// The installation source's folder service (shfolder.dll from the "setup" folder under the
// current directory, held until the context goes), the Windows version asked once, and, asked
// when first needed, the Terminal Server answer. It also keeps the outcomes of write tests
// while the attach has changed nothing on disk.
class AttachContext {
  public:
    // Looks for "setup\shfolder.dll" under the current directory, binds its SHGetFolderPathA,
    // and asks the Windows version.
    static AttachContext Take();

    AttachContext(AttachContext&&) = default;
    AttachContext& operator=(AttachContext&&) = default;
    AttachContext(const AttachContext&) = delete;
    AttachContext& operator=(const AttachContext&) = delete;

    // SHGetFolderPathA of the bound shfolder.dll; null when there is none. Its wide twin from
    // the same module, looked up when first asked for; null when the module lacks it.
    PFNSHGETFOLDERPATHA FolderService() const { return folderService_; }
    PFNSHGETFOLDERPATHW FolderServiceW() const;
    const WindowsVersion& Version() const { return version_; }
    // The Windows 95 family; NT; Windows 98 and Me (the 95 family above 4.0). A failed version
    // query is neither family.
    bool Windows9x() const { return version_.info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS; }
    bool NT() const { return version_.info.dwPlatformId == VER_PLATFORM_WIN32_NT; }
    bool Windows98OrMe() const { return Windows9x() && version_.info.dwMinorVersion > 0; }
    // Whether the machine runs Terminal Server, and whether this 32-bit process runs on 64-bit
    // Windows: each asked once, when first needed.
    int TerminalServer();
    int Wow64();

    // CanWriteToDirectory, made once per folder while the outcomes are kept (from
    // KeepWriteTests(true) until KeepWriteTests(false), which forgets them).
    int CanWrite(const std::string& folder);
    void KeepWriteTests(bool keep);

  private:
    AttachContext() = default;

    LoadedModule folderServiceModule_;
    PFNSHGETFOLDERPATHA folderService_ = nullptr;
    mutable bool wideLookedUp_ = false;
    mutable PFNSHGETFOLDERPATHW folderServiceW_ = nullptr;
    WindowsVersion version_{};
    int terminalServer_ = -1; // not asked yet
    int wow64_ = -1;
    bool keepWriteTests_ = false;
    std::vector<std::pair<std::string, int>> writeTests_;
};
