// The shell's allocator and item-id lists, and the shell as a chain step.
#include "folders/ShellResources.h"

#include "folders/FixedBuffer.h"
#include "folders/FolderRecord.h"
#include "platform/TextCalls.h"

SpecialFolderList::SpecialFolderList(IMalloc* allocator, int csidl) : allocator_(allocator) {
    result_ = SHGetSpecialFolderLocation(nullptr, csidl, &list_);
}

SpecialFolderList::~SpecialFolderList() {
    if (list_ != nullptr)
        allocator_->Free(list_);
}

template <typename Char> bool SpecialFolderList::ToPath(std::basic_string<Char>& path) const {
    Char buffer[MAX_PATH] = {0};
    const bool converted = TextCalls<Char>::PathFromIDList(list_, buffer) != FALSE;
    path = BufferText(buffer);
    return converted;
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

namespace {

template <typename Char>
Outcome ShellAnswer(const SpecialFolderList& list, int csidl, FailedConversion failed) {
    std::basic_string<Char> path;
    const Finding notConverted(QUELLIN_OUTCOME_NOT_CONVERTED, "known, but not converted to a path");
    Outcome outcome;
    if (list.ToPath(path)) {
        outcome = Answer(kShellSource, CsidlText(csidl), path);
    } else if (failed == FailedConversion::StopsTheChain) {
        outcome = Stop(kShellSource, CsidlText(csidl), notConverted);
    } else if (path.empty()) {
        outcome = Answer(kShellSource, CsidlText(csidl), path, notConverted);
    } else {
        outcome = Answer(kShellSource, CsidlText(csidl), path,
                         "answered: the text of the failed conversion");
        outcome.qualities |= QUELLIN_ANSWER_FAILED_TEXT;
    }
    outcome.stored.Set(path);
    return outcome;
}

} // namespace

Step ShellSession::Folder(int csidl, FailedConversion failed) {
    return [this, csidl, failed] {
        if (!Obtain())
            return Stop(kShellSource, "SHGetMalloc", FailedHResult(result_));
        const SpecialFolderList list(allocator_, csidl);
        if (!list.Found())
            return Failure(kShellSource, CsidlText(csidl), FailedHResult(list.Result()));
        return InCallCharacters(context_, [&list, csidl, failed](auto character) {
            return ShellAnswer<decltype(character)>(list, csidl, failed);
        });
    };
}
