// The process-wide table of standard folders (the slots of Quellin.h), filled once when the
// library is attached.
#pragma once

#include "Quellin.h"
#include "folders/AttachContext.h"
#include "folders/Chain.h"
#include "folders/FolderRecord.h"
#include "folders/ShellResources.h"

#include <windows.h>

#include <atomic>
#include <string>
#include <utility>
#include <vector>

// Whose folder a shell-folder resolver prefers: the user's own, or the one all users share.
enum class Owner { User, AllUsers };
// Which folder the program-files resolver asks the folder service for.
enum class ProgramFilesKind { ProgramFiles, CommonFiles };

class CSystemFolders {
  public:
    // The attach: the context taken from this process, then every slot resolved.
    CSystemFolders();
    // A table on that context whose slots start as given (the rest empty) and are resolved one
    // resolver at a time.
    explicit CSystemFolders(AttachContext context,
                            const std::vector<std::pair<QuellinSlot, std::string>>& slots = {});
    ~CSystemFolders();
    CSystemFolders(const CSystemFolders&) = delete;
    CSystemFolders& operator=(const CSystemFolders&) = delete;

    // Runs the nineteen resolvers in their fixed order and writes every slot's record.
    void ResolveAll();

    // A slot, its name, and why it holds what it holds (the record's text, FolderRecord.h;
    // complete once the table is built).
    const std::string& Slot(QuellinSlot slot) const { return slots_[slot]; }
    static const char* SlotName(QuellinSlot slot);
    static const wchar_t* SlotNameW(QuellinSlot slot);
    const std::string& SourceRecord(QuellinSlot slot) const { return sourceRecords_[slot]; }
    // The slot's wide name as its source gave it (on the NT family, where the sources are asked
    // wide); else empty.
    const std::wstring& WideSlot(QuellinSlot slot) const { return wide_[slot]; }
    // The slot as wide text: its long name where known, else its text converted from the ANSI
    // code page. And its record as wide text, converted when first asked for (from any thread)
    // and kept as long as the table.
    std::wstring WideText(QuellinSlot slot) const;
    const wchar_t* WideSourceRecord(QuellinSlot slot) const;
    // What the attach saw (AttachRecord.h), and the same as wide text (converted when first
    // asked for). Empty for a table that was not resolved whole.
    const std::string& AttachRecord() const { return attachRecord_; }
    const wchar_t* WideAttachRecord() const;
    // The same records as entries of data (FolderRecord.h).
    const FolderRecord& Record(QuellinSlot slot) const { return records_[slot]; }
    const FolderRecord& AttachEntries() const { return attachEntries_; }
    const AttachContext& Context() const { return context_; }

    // Shared-component folders.
    void ResolveBdeFolder(QuellinSlot slot);
    void ResolveDaoFolder(QuellinSlot slot);
    void ResolveOdbcFolder(QuellinSlot slot);

    // The user's documents folder.
    void ResolvePersonalFolder(QuellinSlot slot);

    // Shell folders. Startup fills the all-users Startup slot beside the user's.
    void ResolveDesktopFolder(QuellinSlot slot, Owner owner);
    void ResolveProgramsFolder(QuellinSlot slot, Owner owner);
    void ResolveSendToFolder(QuellinSlot slot);
    void ResolveTemplatesFolder(QuellinSlot slot);
    void ResolveStartMenuFolder(QuellinSlot slot, Owner owner);
    void ResolveStartupFolder(QuellinSlot slot, QuellinSlot commonSlot);
    void ResolveFontsFolder(QuellinSlot slot);
    void ResolveMyPicturesFolder(QuellinSlot slot);

    // Program-files, system, maker and suite folders.
    void ResolveProgramFilesFolder(QuellinSlot slot, ProgramFilesKind kind);
    // The program-files folder resolved again into its slot, and returned.
    std::string RefreshProgramFilesFolder();
    void ResolveSystemFolder(QuellinSlot slot);
    void ResolveRundleFolder(QuellinSlot slot);
    void ResolveSuiteDestinationFolder(QuellinSlot slot);

    // Windows, temporary and module folders.
    void ResolveTempFolder(QuellinSlot slot);
    void ResolveWindowsFolder(QuellinSlot slot);
    void ResolveModuleFolder(QuellinSlot slot);

  private:
    friend class Chain;

    // One chain of steps for the slot (Chain.h).
    void Resolve(QuellinSlot slot, const std::vector<Step>& steps);
    // The chains of the shell folders that follow the full chain (Desktop, Programs, Start
    // Menu), and of those with one identifier and no default (SendTo, Templates, Fonts).
    void ResolveShellFolder(QuellinSlot slot, Owner owner, int personalCsidl, int commonCsidl,
                            const char* valueName, QuellinSlot defaultBase,
                            const char* defaultLeaf);
    void ResolveUserShellFolder(QuellinSlot slot, int csidl, const char* valueName,
                                FailedConversion failed);

    AttachContext context_;
    std::string slots_[QUELLIN_SLOT_COUNT];
    std::wstring wide_[QUELLIN_SLOT_COUNT];
    FolderRecord records_[QUELLIN_SLOT_COUNT];
    std::string sourceRecords_[QUELLIN_SLOT_COUNT];
    std::string attachRecord_;
    FolderRecord attachEntries_;
    // The records as wide text, index QUELLIN_SLOT_COUNT the attach record.
    mutable std::atomic<std::wstring*> wideRecords_[QUELLIN_SLOT_COUNT + 1] = {};
};
