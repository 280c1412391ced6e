// The process-wide table of standard folders (the slots of Quellin.h), filled once when the
// library is attached.
#pragma once

#include "Quellin.h"
#include "folders/FolderRecord.h"

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

    // The slots, declared from the slot list in slot order: BdeFolder (0) first,
    // SuiteDestinationFolder last.
#define QUELLIN_SLOT_MEMBER(number, constant, name) std::string name;
    QUELLIN_SLOTS(QUELLIN_SLOT_MEMBER)
#undef QUELLIN_SLOT_MEMBER

    // The shell's task allocator, obtained and released inside each resolver that needs it.
    IMalloc* ShellAllocator = nullptr;
    // shfolder.dll from the installation source's "setup" folder, or null.
    HMODULE ShFolderModule = nullptr;
    // Its SHGetFolderPathA, or null.
    PFNSHGETFOLDERPATHA FolderPathFunction = nullptr;

    // Runs the nineteen resolvers in their fixed order.
    void ResolveAll();

    // A slot by number (below QUELLIN_SLOT_COUNT), its name, and why it holds what it holds
    // (the record's text, FolderRecord.h; complete once the table is built).
    const std::string& Slot(DWORD number) const;
    static const char* SlotName(DWORD number);
    const std::string& SourceRecord(DWORD number) const;

    // Asks the bound SHGetFolderPathA (which must not be null) for one folder: no window, no
    // access token, flags 0, a cleared 260-byte buffer. True and the path when it answers
    // S_OK; a buffer left without a terminating zero gives an empty path. The answer goes to
    // the record being written, or to the one given.
    bool AskFolderService(int csidl, std::string& path);
    bool AskFolderService(int csidl, std::string& path, FolderRecord& record);

    // While it lives, what the resolvers record goes to the record of `slot`, cleared first;
    // resolvers nest (the shared-component folders refresh the program-files folder), so the
    // record written before is taken up again when it goes.
    class SlotRecording {
      public:
        SlotRecording(CSystemFolders& table, const std::string& slot);
        ~SlotRecording();
        SlotRecording(const SlotRecording&) = delete;
        SlotRecording& operator=(const SlotRecording&) = delete;

      private:
        CSystemFolders& table_;
        FolderRecord* previous_;
    };
    // The record being written, and the record of a slot of this table.
    FolderRecord& Recording();
    FolderRecord& RecordOf(const std::string& slot);
    // The name of a slot of this table ("a folder" for any other string).
    const char* NameOf(const std::string& slot) const;

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
    std::string ProgramFilesFolderNow(int common);

    FolderRecord records_[QUELLIN_SLOT_COUNT];
    FolderRecord* recording_ = nullptr;
    // Where a resolver records when it fills no slot of this table.
    FolderRecord elsewhere_;
    std::string sourceRecords_[QUELLIN_SLOT_COUNT];

    // Outcomes of the program-files chain's write tests, by folder, kept while ResolveAll
    // runs the steps that leave the disk as they found it (ProgramFolders.cpp).
    std::vector<std::pair<std::string, int>> programFilesWriteTests_;
    bool keepProgramFilesWriteTests_ = false;
};
