// What the attach learns before the first resolver runs.
#include "folders/AttachContext.h"

#include "folders/FixedBuffer.h"
#include "paths/Directory.h"
#include "platform/Platform.h"

AttachContext AttachContext::Take() {
    AttachContext context;
    context.startTick_ = GetTickCount();
    // shfolder.dll is sought in the "setup" folder under the current directory, whose text is
    // used unchanged: at a drive root the path holds two backslashes in a row. A current
    // directory that does not fit the buffer is not guessed at; the module is then not loaded.
    char directory[MAX_PATH] = {0};
    const DWORD length = GetCurrentDirectoryA(MAX_PATH, directory);
    if (length == 0)
        context.currentDirectoryError_ = GetLastError();
    if (length != 0 && length < MAX_PATH) {
        context.currentDirectory_.assign(directory, length);
        context.folderServicePath_ = context.currentDirectory_ + "\\setup\\shfolder.dll";
        *context.folderServiceModule_.Receive() = LoadLibraryA(context.folderServicePath_.c_str());
        if (!context.folderServiceModule_.Valid())
            context.loadError_ = GetLastError();
    }
    if (context.folderServiceModule_.Valid()) {
        // Which file answers: Windows may map another module of that name in its place.
        char name[MAX_PATH] = {0};
        context.moduleFileName_ = FixedBufferText(
            name, GetModuleFileNameA(context.folderServiceModule_.Get(), name, MAX_PATH));
        FARPROC function = GetProcAddress(context.folderServiceModule_.Get(), "SHGetFolderPathA");
        context.folderService_ =
            reinterpret_cast<PFNSHGETFOLDERPATHA>(reinterpret_cast<void (*)()>(function));
    }
    context.version_ = QueryWindowsVersion();
    if (!context.version_.answered)
        context.versionError_ = GetLastError();
    return context;
}

PFNSHGETFOLDERPATHW AttachContext::FolderServiceW() const {
    if (!wideLookedUp_ && folderService_ != nullptr) {
        wideLookedUp_ = true;
        FARPROC function = GetProcAddress(folderServiceModule_.Get(), "SHGetFolderPathW");
        folderServiceW_ =
            reinterpret_cast<PFNSHGETFOLDERPATHW>(reinterpret_cast<void (*)()>(function));
    }
    return folderServiceW_;
}

int AttachContext::TerminalServer() {
    if (terminalServer_ < 0)
        terminalServer_ = IsTerminalServer() ? 1 : 0;
    return terminalServer_;
}

int AttachContext::Wow64() {
    if (wow64_ < 0) {
        BOOL wow64 = FALSE;
        wow64Known_ = QueryWow64(wow64);
        wow64_ = wow64Known_ && wow64 ? 1 : 0;
    }
    return wow64_;
}

bool AttachContext::Wow64Known() {
    Wow64();
    return wow64Known_ != FALSE;
}

int AttachContext::CanWrite(const std::string& folder, WriteTestResult& result) {
    if (!keepWriteTests_)
        return CanWriteToDirectory(folder, result);
    for (const WriteTest& test : writeTests_)
        if (test.folder == folder) {
            result = test.result;
            return test.writable;
        }
    const int writable = CanWriteToDirectory(folder, result);
    writeTests_.push_back({folder, writable, result});
    return writable;
}

void AttachContext::KeepWriteTests(bool keep) {
    keepWriteTests_ = keep;
    if (!keep)
        writeTests_.clear();
}
