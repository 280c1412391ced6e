// The process-wide table of twenty standard folders, filled once when the library is attached.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <utility>
#include <vector>

// SHGetFolderPathA of shfolder.dll: owner window, folder identifier, access token, flags,
// 260-byte output buffer; returns an HRESULT.
typedef HRESULT(WINAPI* PFNSHGETFOLDERPATHA)(HWND, int, HANDLE, DWORD, LPSTR);

class CSystemFolders {
  public:
    CSystemFolders();
    ~CSystemFolders();
    CSystemFolders(const CSystemFolders&) = delete;
    CSystemFolders& operator=(const CSystemFolders&) = delete;

    // The slots, in this order (the slot number is the position).
    std::string BdeFolder;              // 0
    std::string DaoFolder;              // 1
    std::string OdbcFolder;             // 2
    std::string PersonalFolder;         // 3
    std::string DesktopFolder;          // 4
    std::string ProgramsFolder;         // 5
    std::string SendToFolder;           // 6
    std::string TemplatesFolder;        // 7
    std::string StartMenuFolder;        // 8
    std::string StartupFolder;          // 9
    std::string TempFolder;             // 10
    std::string FontsFolder;            // 11
    std::string WindowsFolder;          // 12
    std::string ProgramFilesFolder;     // 13
    std::string SystemFolder;           // 14
    std::string ModuleFolder;           // 15
    std::string RundleFolder;           // 16
    std::string MyPicturesFolder;       // 17
    std::string CommonStartupFolder;    // 18
    std::string SuiteDestinationFolder; // 19

    // The shell's task allocator, obtained and released inside each resolver that needs it.
    IMalloc* ShellAllocator = nullptr;
    // shfolder.dll from the installation source's "setup" folder, or null.
    HMODULE ShFolderModule = nullptr;
    // Its SHGetFolderPathA, or null.
    PFNSHGETFOLDERPATHA FolderPathFunction = nullptr;

    // Runs the nineteen resolvers in their fixed order.
    void ResolveAll();

    // Shared-component folders.
    void ResolveBdeFolder(std::string& slot);
    void ResolveDaoFolder(std::string& slot);
    void ResolveOdbcFolder(std::string& slot);

    // The user's documents folder.
    void ResolvePersonalFolder(std::string& slot);

    // Shell folders.
    void ResolveDesktopFolder(std::string& slot, int allUsers);
    void ResolveProgramsFolder(std::string& slot, int allUsers);
    void ResolveSendToFolder(std::string& slot);
    void ResolveTemplatesFolder(std::string& slot);
    void ResolveStartMenuFolder(std::string& slot, int allUsers);
    void ResolveStartupFolder(std::string& slot);
    void ResolveFontsFolder(std::string& slot);
    void ResolveMyPicturesFolder(std::string& slot);

    // Program-files, system, maker and suite folders.
    void ResolveProgramFilesFolder(std::string& slot, int common);
    std::string RefreshProgramFilesFolder();
    void ResolveSystemFolder(std::string& slot);
    void ResolveRundleFolder(std::string& slot);
    void ResolveSuiteDestinationFolder(std::string& slot);

    // Windows, temporary and module folders.
    void ResolveTempFolder(std::string& slot);
    void ResolveWindowsFolder(std::string& slot);
    void ResolveModuleFolder(std::string& slot);
    std::string QueryWindowsDirectory();

  private:
    // Outcomes of the program-files chain's write tests, by folder, kept while ResolveAll
    // runs the steps that leave the disk as they found it (ProgramFolders.cpp).
    std::vector<std::pair<std::string, int>> ProgramFilesWriteTests;
    bool KeepProgramFilesWriteTests = false;
    std::string ProgramFilesFolderNow(int common);
};
