// The shell: the task allocator SHGetMalloc hands out, special-folder item-id lists and their
// conversion to paths. The allocator is one process-wide object, as the shell's is; it counts
// the references taken and released, and the blocks given out and freed.
#include "internal.h"

#include <shlobj.h>

#include <cstdlib>

namespace winsim {
namespace {

const HRESULT kNoInterface = static_cast<HRESULT>(0x80004002L); // E_NOINTERFACE

int OutstandingReferences() {
    const Shell& s = machine().shell;
    return s.mallocAcquired - s.mallocReleased;
}

void NoteUseAfterRelease(const char* method) {
    if (OutstandingReferences() <= 0)
        machine().shell.misuse.push_back(std::string("IMalloc::") + method +
                                         " without a reference");
}

// A block of the allocator: the SHITEMID header of a one-item list, its terminating zero
// and room for the CSIDL, or the caller's bytes for Alloc.
void* NewBlock(size_t size, int csidl) {
    void* block = std::calloc(1, size < 8 ? 8 : size);
    if (block != nullptr)
        machine().shell.liveBlocks[block] = csidl;
    return block;
}

class TaskAllocator final : public IMalloc {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(const void*, void** ppvObject) override {
        if (ppvObject != nullptr)
            *ppvObject = nullptr;
        return kNoInterface;
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        NoteUseAfterRelease("AddRef");
        ++machine().shell.mallocAcquired;
        return static_cast<ULONG>(OutstandingReferences());
    }
    ULONG STDMETHODCALLTYPE Release() override {
        Shell& s = machine().shell;
        if (OutstandingReferences() <= 0) {
            s.misuse.push_back("IMalloc::Release without a reference");
            return 0;
        }
        ++s.mallocReleased;
        return static_cast<ULONG>(OutstandingReferences());
    }
    void* STDMETHODCALLTYPE Alloc(SIZE_T cb) override {
        NoteUseAfterRelease("Alloc");
        return NewBlock(cb, -1);
    }
    void* STDMETHODCALLTYPE Realloc(void* pv, SIZE_T cb) override {
        NoteUseAfterRelease("Realloc");
        Shell& s = machine().shell;
        if (pv == nullptr)
            return NewBlock(cb, -1);
        auto it = s.liveBlocks.find(pv);
        if (it == s.liveBlocks.end()) {
            s.misuse.push_back("IMalloc::Realloc of a foreign block");
            return nullptr;
        }
        int kind = it->second;
        void* moved = std::realloc(pv, cb < 8 ? 8 : cb);
        if (moved == nullptr)
            return nullptr;
        s.liveBlocks.erase(it);
        s.liveBlocks[moved] = kind;
        return moved;
    }
    void STDMETHODCALLTYPE Free(void* pv) override {
        NoteUseAfterRelease("Free");
        Shell& s = machine().shell;
        if (pv == nullptr) {
            ++s.nullFrees;
            return;
        }
        auto it = s.liveBlocks.find(pv);
        if (it == s.liveBlocks.end()) {
            s.misuse.push_back("IMalloc::Free of a block not handed out (or freed twice)");
            return;
        }
        if (it->second >= 0)
            ++s.listsFreed;
        s.liveBlocks.erase(it);
        std::free(pv);
    }
    SIZE_T STDMETHODCALLTYPE GetSize(void* pv) override {
        return machine().shell.liveBlocks.count(pv) ? 8 : static_cast<SIZE_T>(-1);
    }
    int STDMETHODCALLTYPE DidAlloc(void* pv) override {
        return pv == nullptr ? -1 : static_cast<int>(machine().shell.liveBlocks.count(pv));
    }
    void STDMETHODCALLTYPE HeapMinimize() override {}
};

TaskAllocator taskAllocator;

} // namespace

std::vector<std::string> Shell::OpenResources() const {
    std::vector<std::string> open;
    if (mallocAcquired != mallocReleased)
        open.push_back("shell allocator references: " +
                       std::to_string(mallocAcquired - mallocReleased));
    int lists = 0;
    int blocks = 0;
    for (const auto& entry : liveBlocks)
        (entry.second >= 0 ? lists : blocks) += 1;
    if (lists != 0)
        open.push_back("item-id lists: " + std::to_string(lists));
    if (blocks != 0)
        open.push_back("shell allocator blocks: " + std::to_string(blocks));
    for (const std::string& m : misuse)
        open.push_back("shell misuse: " + m);
    return open;
}

void Shell::Reset() {
    for (const auto& entry : liveBlocks)
        std::free(entry.first);
    *this = Shell();
}

} // namespace winsim

using winsim::Enter;
using winsim::machine;

extern "C" {

// The one task allocator of the process, with a reference for the caller.
HRESULT WINAPI SHGetMalloc(LPMALLOC* ppMalloc) {
    DWORD error = 0;
    if (ppMalloc == nullptr)
        return E_INVALIDARG;
    *ppMalloc = nullptr;
    if (Enter("SHGetMalloc", {}, static_cast<DWORD>(E_OUTOFMEMORY), &error))
        return static_cast<HRESULT>(error);
    ++machine().shell.mallocAcquired;
    *ppMalloc = &winsim::taskAllocator;
    return S_OK;
}

// A fresh item-id list for a folder the shell knows, allocated with the task allocator (the
// caller frees it with IMalloc::Free); E_INVALIDARG and a null list for any other CSIDL.
HRESULT WINAPI SHGetSpecialFolderLocation(HWND, int csidl, LPITEMIDLIST* ppidl) {
    DWORD error = 0;
    if (ppidl != nullptr)
        *ppidl = nullptr;
    if (Enter("SHGetSpecialFolderLocation", std::to_string(csidl), static_cast<DWORD>(E_INVALIDARG),
              &error))
        return static_cast<HRESULT>(error);
    if (ppidl == nullptr)
        return E_INVALIDARG;
    winsim::Shell& s = machine().shell;
    if (s.folders.find(csidl) == s.folders.end())
        return E_INVALIDARG;
    void* block = winsim::NewBlock(16, csidl);
    if (block == nullptr)
        return E_OUTOFMEMORY;
    ++s.listsAllocated;
    *ppidl = static_cast<LPITEMIDLIST>(block);
    return S_OK;
}

} // extern "C"

namespace winsim {
namespace {

// Writes the folder's path (at most MAX_PATH characters with its zero) for a list the shell
// handed out and has not been freed; otherwise writes an empty string and returns FALSE.
template <typename Char> BOOL PathFromList(const char* api, LPCITEMIDLIST pidl, Char* pszPath) {
    Shell& s = machine().shell;
    auto block = s.liveBlocks.find(const_cast<ITEMIDLIST*>(pidl));
    int csidl = block == s.liveBlocks.end() ? -1 : block->second;
    if (pszPath != nullptr)
        pszPath[0] = 0;
    if (Enter(api, std::to_string(csidl), ERROR_INVALID_PARAMETER))
        return FALSE;
    if (pidl == nullptr || pszPath == nullptr)
        return FALSE;
    if (csidl < 0) {
        s.misuse.push_back(std::string(api) + " with a list not handed out (or freed)");
        return FALSE;
    }
    auto folder = s.folders.find(csidl);
    if (folder == s.folders.end() || folder->second.convertFails)
        return FALSE;
    const CodePage& cp = machine().codePage;
    const ShellFolder& f = folder->second;
    std::basic_string<Char> path;
    if constexpr (sizeof(Char) == 1)
        path = f.widePath.empty() ? f.path : cp.ToAnsi(f.widePath);
    else
        path = f.widePath.empty() ? cp.ToWide(f.path) : f.widePath;
    if (path.size() >= MAX_PATH)
        return FALSE;
    std::memcpy(pszPath, path.c_str(), (path.size() + 1) * sizeof(Char));
    return TRUE;
}

} // namespace
} // namespace winsim

extern "C" {

BOOL WINAPI SHGetPathFromIDListA(LPCITEMIDLIST pidl, LPSTR pszPath) {
    return winsim::PathFromList("SHGetPathFromIDListA", pidl, pszPath);
}

BOOL WINAPI SHGetPathFromIDListW(LPCITEMIDLIST pidl, LPWSTR pszPath) {
    return winsim::PathFromList("SHGetPathFromIDListW", pidl, pszPath);
}

} // extern "C"
