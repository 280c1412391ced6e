// Construction, destruction and the resolving order of the folder table.
#include "folders/SystemFolders.h"

#include "folders/FixedBuffer.h"

namespace {

// The slot list as the table reads it by number: each slot's member and name.
struct SlotEntry {
    DWORD number;
    std::string CSystemFolders::*member;
    const char* name;
};

constexpr SlotEntry kSlots[] = {
#define QUELLIN_SLOT_ENTRY(number, constant, name) {constant, &CSystemFolders::name, #name},
    QUELLIN_SLOTS(QUELLIN_SLOT_ENTRY)
#undef QUELLIN_SLOT_ENTRY
};

constexpr bool SlotsNumberedInOrder() {
    for (DWORD i = 0; i < QUELLIN_SLOT_COUNT; ++i)
        if (kSlots[i].number != i)
            return false;
    return true;
}
static_assert(sizeof kSlots / sizeof kSlots[0] == QUELLIN_SLOT_COUNT && SlotsNumberedInOrder(),
              "the slot list numbers its slots 0, 1, 2, ... in order");

} // namespace

CSystemFolders::CSystemFolders() {
    // shfolder.dll is sought in the "setup" folder under the current directory, whose text is
    // used unchanged: at a drive root the path holds two backslashes in a row. A current
    // directory that does not fit the buffer is not guessed at; the module is then not loaded.
    char directory[MAX_PATH] = {0};
    DWORD length = GetCurrentDirectoryA(MAX_PATH, directory);
    if (length != 0 && length < MAX_PATH) {
        std::string modulePath = std::string(directory, length) + "\\setup\\shfolder.dll";
        ShFolderModule = LoadLibraryA(modulePath.c_str());
    }
    if (ShFolderModule != nullptr) {
        FARPROC function = GetProcAddress(ShFolderModule, "SHGetFolderPathA");
        FolderPathFunction =
            reinterpret_cast<PFNSHGETFOLDERPATHA>(reinterpret_cast<void (*)()>(function));
    }
    ResolveAll();
}

// The module is freed first; the slots are then destroyed from the last down to the first, the
// reverse of their declaration.
CSystemFolders::~CSystemFolders() {
    if (ShFolderModule != nullptr)
        FreeLibrary(ShFolderModule);
}

// Later resolvers build defaults from earlier slots; those of the program-files and Windows
// folders ask for their folder afresh, so the shared-component folders may come first.
//
// The program-files folder is resolved several times (steps 1 to 3, its own turn, and the
// maker's folder on Terminal Server). Up to the maker's folder no step changes the disk for
// good: write tests remove what they create, and the other steps only read. So the outcome of
// a write test made in that stretch is kept and not probed again; from the documents folder
// on, which may create folders, nothing is kept.
void CSystemFolders::ResolveAll() {
    keepProgramFilesWriteTests_ = true;
    ResolveBdeFolder(BdeFolder);
    ResolveDaoFolder(DaoFolder);
    ResolveOdbcFolder(OdbcFolder);
    ResolveWindowsFolder(WindowsFolder);
    ResolveProgramFilesFolder(ProgramFilesFolder, 0);
    ResolveSystemFolder(SystemFolder);
    ResolveSendToFolder(SendToFolder);
    ResolveTemplatesFolder(TemplatesFolder);
    ResolveStartMenuFolder(StartMenuFolder, 1);
    ResolveProgramsFolder(ProgramsFolder, 1);
    ResolveStartupFolder(StartupFolder);
    ResolveDesktopFolder(DesktopFolder, 1);
    ResolveFontsFolder(FontsFolder);
    ResolveTempFolder(TempFolder);
    ResolveModuleFolder(ModuleFolder);
    ResolveRundleFolder(RundleFolder);
    keepProgramFilesWriteTests_ = false;
    programFilesWriteTests_.clear();
    ResolvePersonalFolder(PersonalFolder);
    ResolveMyPicturesFolder(MyPicturesFolder);
    ResolveSuiteDestinationFolder(SuiteDestinationFolder);

    for (DWORD number = 0; number < QUELLIN_SLOT_COUNT; ++number)
        sourceRecords_[number] = records_[number].Text(!Slot(number).empty());
}

const std::string& CSystemFolders::Slot(DWORD number) const {
    return this->*(kSlots[number].member);
}

const char* CSystemFolders::SlotName(DWORD number) {
    return kSlots[number].name;
}

const std::string& CSystemFolders::SourceRecord(DWORD number) const {
    return sourceRecords_[number];
}

FolderRecord& CSystemFolders::RecordOf(const std::string& slot) {
    for (DWORD number = 0; number < QUELLIN_SLOT_COUNT; ++number)
        if (&slot == &Slot(number))
            return records_[number];
    return elsewhere_;
}

const char* CSystemFolders::NameOf(const std::string& slot) const {
    for (DWORD number = 0; number < QUELLIN_SLOT_COUNT; ++number)
        if (&slot == &Slot(number))
            return SlotName(number);
    return "a folder";
}

FolderRecord& CSystemFolders::Recording() {
    return recording_ != nullptr ? *recording_ : elsewhere_;
}

CSystemFolders::SlotRecording::SlotRecording(CSystemFolders& table, const std::string& slot)
    : table_(table), previous_(table.recording_) {
    table_.recording_ = &table_.RecordOf(slot);
    table_.recording_->Clear();
}

CSystemFolders::SlotRecording::~SlotRecording() {
    table_.recording_ = previous_;
}

bool CSystemFolders::AskFolderService(int csidl, std::string& path) {
    return AskFolderService(csidl, path, Recording());
}

bool CSystemFolders::AskFolderService(int csidl, std::string& path, FolderRecord& record) {
    char buffer[MAX_PATH] = {0};
    const HRESULT result = FolderPathFunction(nullptr, csidl, nullptr, 0, buffer);
    if (result != S_OK) {
        record.Add(kFolderServiceSource, CsidlText(csidl), FailedHResult(result));
        return false;
    }
    path = BufferText(buffer);
    record.Add(kFolderServiceSource, CsidlText(csidl),
               path.empty() ? "answered without a terminated path" : "answered");
    return true;
}
