// What the attach learns before the first resolver runs.
#include "folders/AttachContext.h"

#include "paths/Directory.h"
#include "platform/Platform.h"

AttachContext AttachContext::Take() {
    AttachContext context;
    // shfolder.dll is sought in the "setup" folder under the current directory, whose text is
    // used unchanged: at a drive root the path holds two backslashes in a row. A current
    // directory that does not fit the buffer is not guessed at; the module is then not loaded.
    char directory[MAX_PATH] = {0};
    const DWORD length = GetCurrentDirectoryA(MAX_PATH, directory);
    if (length != 0 && length < MAX_PATH) {
        const std::string modulePath = std::string(directory, length) + "\\setup\\shfolder.dll";
        *context.folderServiceModule_.Receive() = LoadLibraryA(modulePath.c_str());
    }
    if (context.folderServiceModule_.Valid()) {
        FARPROC function = GetProcAddress(context.folderServiceModule_.Get(), "SHGetFolderPathA");
        context.folderService_ =
            reinterpret_cast<PFNSHGETFOLDERPATHA>(reinterpret_cast<void (*)()>(function));
    }
    context.version_ = QueryWindowsVersion();
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
    if (wow64_ < 0)
        wow64_ = IsWow64() ? 1 : 0;
    return wow64_;
}

int AttachContext::CanWrite(const std::string& folder) {
    if (!keepWriteTests_)
        return CanWriteToDirectory(folder);
    for (const auto& test : writeTests_)
        if (test.first == folder)
            return test.second;
    const int writable = CanWriteToDirectory(folder);
    writeTests_.emplace_back(folder, writable);
    return writable;
}

void AttachContext::KeepWriteTests(bool keep) {
    keepWriteTests_ = keep;
    if (!keep)
        writeTests_.clear();
}
