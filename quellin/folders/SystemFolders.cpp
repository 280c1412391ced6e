// Construction, destruction and the resolving order of the folder table.
#include "folders/SystemFolders.h"

#include "folders/FixedBuffer.h"

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

// The module is freed first; the slots are then destroyed from 19 down to 0, the reverse of
// their declaration.
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
}

bool CSystemFolders::AskFolderService(int csidl, std::string& path) {
    char buffer[MAX_PATH] = {0};
    if (FolderPathFunction(nullptr, csidl, nullptr, 0, buffer) != S_OK)
        return false;
    path = BufferText(buffer);
    return true;
}
