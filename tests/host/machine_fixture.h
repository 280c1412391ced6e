// Test ground: a fresh simulated machine per test, and the library loaded and unloaded as
// Windows attaches and detaches it. Slots are named and counted by Quellin.h.
#pragma once

#include "Quellin.h"

#include <winsim/machine.h>

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <string>
#include <vector>

// Every test starts from a fresh machine with code page 1252.
class MachineTest : public ::testing::Test {
  protected:
    void SetUp() override { winsim::machine().Reset(); }
    winsim::Machine& M() { return winsim::machine(); }

    // Nothing the code under test opened or obtained is left open.
    void ExpectNothingOpen() {
        std::vector<std::string> open = winsim::machine().OpenResources();
        EXPECT_TRUE(open.empty()) << ::testing::PrintToString(open);
    }
};

// The Quellin shared library, attached on construction (its global objects are built, the
// folder table resolved) and detached on Detach() or destruction.
class AttachedLibrary {
  public:
    AttachedLibrary() {
        handle_ = dlopen(QUELLIN_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        if (handle_ == nullptr)
            ADD_FAILURE() << "cannot load " << QUELLIN_LIBRARY << ": " << dlerror();
    }
    ~AttachedLibrary() { Detach(); }
    AttachedLibrary(const AttachedLibrary&) = delete;
    AttachedLibrary& operator=(const AttachedLibrary&) = delete;

    void Detach() {
        if (handle_ != nullptr) {
            dlclose(handle_);
            handle_ = nullptr;
        }
    }

    template <typename T> T Symbol(const char* name) {
        void* p = handle_ ? dlsym(handle_, name) : nullptr;
        if (p == nullptr)
            ADD_FAILURE() << "no symbol " << name;
        return reinterpret_cast<T>(p);
    }

    // The slot's text through the library's accessor.
    std::string Folder(unsigned slot) {
        auto get = Symbol<unsigned (*)(unsigned, char*, unsigned)>("QuellinGetFolder");
        if (get == nullptr)
            return "<no accessor>";
        unsigned needed = get(slot, nullptr, 0);
        std::string text(needed, '\0');
        unsigned length = get(slot, &text[0], needed);
        text.resize(length);
        return text;
    }

    // The slot's text through the wide accessor.
    std::wstring FolderW(unsigned slot) {
        auto get = Symbol<unsigned (*)(unsigned, wchar_t*, unsigned)>("QuellinGetFolderW");
        if (get == nullptr)
            return L"<no accessor>";
        unsigned needed = get(slot, nullptr, 0);
        std::wstring text(needed, L'\0');
        unsigned length = get(slot, &text[0], needed);
        text.resize(length);
        return text;
    }

    // Why the slot holds what it holds, as the library records it.
    std::string Source(unsigned slot) {
        auto source = Symbol<const char* (*)(unsigned)>("QuellinFolderSource");
        const char* text = source ? source(slot) : nullptr;
        return text ? text : "<no record>";
    }

    // The entries of a slot's record or of the attach record (QUELLIN_ATTACH_RECORD), as
    // QuellinRecordEntry gives them.
    std::vector<QUELLIN_RECORD_ENTRYA> Entries(DWORD record) {
        std::vector<QUELLIN_RECORD_ENTRYA> entries;
        auto entry = Symbol<PFNQUELLINRECORDENTRY>("QuellinRecordEntry");
        for (DWORD index = 0; entry != nullptr; ++index) {
            QUELLIN_RECORD_ENTRYA e;
            e.cbSize = sizeof e;
            if (!entry(record, index, &e))
                break;
            entries.push_back(e);
        }
        return entries;
    }

    // What the attach saw, as the library records it.
    std::string AttachRecord() {
        auto record = Symbol<const char* (*)()>("QuellinAttachRecord");
        const char* text = record ? record() : nullptr;
        return text ? text : "<no record>";
    }

    bool Loaded() const { return handle_ != nullptr; }

  private:
    void* handle_ = nullptr;
};
