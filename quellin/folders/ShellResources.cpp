// The shell's allocator and item-id lists, and the shell as a chain step.
#include "folders/ShellResources.h"

#include "folders/FixedBuffer.h"
#include "folders/FolderRecord.h"
#include "platform/ModuleFunction.h"

#include <memory>

namespace {

typedef BOOL(WINAPI* PFNSHGETPATHFROMIDLISTW)(LPCITEMIDLIST, LPWSTR);

} // namespace

SpecialFolderList::SpecialFolderList(IMalloc* allocator, int csidl) : allocator_(allocator) {
    result_ = SHGetSpecialFolderLocation(nullptr, csidl, &list_);
}

SpecialFolderList::~SpecialFolderList() {
    if (list_ != nullptr)
        allocator_->Free(list_);
}

bool SpecialFolderList::ToPath(std::string& path) const {
    char buffer[MAX_PATH] = {0};
    const bool converted = SHGetPathFromIDListA(list_, buffer) != FALSE;
    path = BufferText(buffer);
    return converted;
}

bool SpecialFolderList::ToPathW(std::wstring& path) const {
    auto getPath =
        LoadedModuleFunction<PFNSHGETPATHFROMIDLISTW>("SHELL32.DLL", "SHGetPathFromIDListW");
    WCHAR buffer[MAX_PATH] = {0};
    if (getPath == nullptr || !getPath(list_, buffer))
        return false;
    path = BufferText(buffer);
    return !path.empty();
}

ShellSession::~ShellSession() {
    if (allocator_ != nullptr)
        allocator_->Release();
}

// Only S_OK counts; a reference handed out with another success code is given back.
bool ShellSession::Obtain() {
    if (!asked_) {
        asked_ = true;
        result_ = SHGetMalloc(&allocator_);
        if (result_ != S_OK && allocator_ != nullptr) {
            if (SUCCEEDED(result_))
                allocator_->Release();
            allocator_ = nullptr;
        }
    }
    return allocator_ != nullptr;
}

Step ShellSession::Folder(int csidl, FailedConversion failed) {
    return [this, csidl, failed] {
        if (!Obtain())
            return Stop(kShellSource, "SHGetMalloc", FailedHResult(result_));
        // The list lives as long as the outcome, whose wide twin converts the same list.
        const std::shared_ptr<SpecialFolderList> list(new SpecialFolderList(allocator_, csidl));
        if (!list->Found())
            return Failure(kShellSource, CsidlText(csidl), FailedHResult(list->Result()));
        std::string path;
        if (list->ToPath(path)) {
            Outcome outcome = Answer(kShellSource, CsidlText(csidl), path);
            outcome.wide = [list](std::wstring& wide) { return list->ToPathW(wide); };
            return outcome;
        }
        if (failed == FailedConversion::StopsTheChain)
            return Stop(kShellSource, CsidlText(csidl), "known, but not converted to a path");
        return Answer(kShellSource, CsidlText(csidl), path,
                      path.empty() ? "known, but not converted to a path"
                                   : "answered: the text of the failed conversion");
    };
}
