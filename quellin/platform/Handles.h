// Owners of the handles the library obtains from Windows. Each owner releases its handle when
// it goes out of scope, so nothing outlives the operation that obtained it.
//
// UniqueHandle<Traits> owns one handle of the kind its traits describe: the handle type, the
// value that means "none", and the call that releases it.
#pragma once

#include <windows.h>

template <typename Traits> class UniqueHandle {
  public:
    using Handle = typename Traits::Handle;

    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) : handle_(handle) {}
    ~UniqueHandle() { Close(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.handle_) {
        other.handle_ = Traits::None();
    }
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            Close();
            handle_ = other.handle_;
            other.handle_ = Traits::None();
        }
        return *this;
    }

    bool Valid() const { return Traits::IsValid(handle_); }
    Handle Get() const { return handle_; }
    // For calls that hand the handle out through a pointer: whatever was held is released.
    Handle* Receive() {
        Close();
        return &handle_;
    }
    void Close() {
        if (Valid())
            Traits::Release(handle_);
        handle_ = Traits::None();
    }

  private:
    Handle handle_ = Traits::None();
};

struct RegistryKeyTraits {
    using Handle = HKEY;
    static HKEY None() { return nullptr; }
    static bool IsValid(HKEY key) { return key != nullptr; }
    static void Release(HKEY key) { RegCloseKey(key); }
};

// CreateFileA reports failure with INVALID_HANDLE_VALUE; a null handle is no file either.
struct FileHandleTraits {
    using Handle = HANDLE;
    static HANDLE None() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(HANDLE file) { return file != INVALID_HANDLE_VALUE && file != nullptr; }
    static void Release(HANDLE file) { CloseHandle(file); }
};

struct LocalMemoryTraits {
    using Handle = HLOCAL;
    static HLOCAL None() { return nullptr; }
    static bool IsValid(HLOCAL block) { return block != nullptr; }
    static void Release(HLOCAL block) { LocalFree(block); }
};

struct LoadedModuleTraits {
    using Handle = HMODULE;
    static HMODULE None() { return nullptr; }
    static bool IsValid(HMODULE module) { return module != nullptr; }
    static void Release(HMODULE module) { FreeLibrary(module); }
};

// An open registry key, closed with RegCloseKey.
using RegistryKey = UniqueHandle<RegistryKeyTraits>;
// An open file, closed with CloseHandle.
using FileHandle = UniqueHandle<FileHandleTraits>;
// A block from LocalAlloc, freed with LocalFree.
using LocalMemory = UniqueHandle<LocalMemoryTraits>;
// A module from LoadLibraryA, freed with FreeLibrary.
using LoadedModule = UniqueHandle<LoadedModuleTraits>;
