// The size rules of the folder queries and of GetModuleFileNameA, and of their wide twins (in
// WCHARs). Only lengths relative to the real length are printed: the folders differ from
// machine to machine.
#include "checks.h"

#include <cstring>

namespace {

// What a call left in a buffer that held 'x' bytes, against the full text: "untouched",
// "text" (all of it and a zero), "empty" (a zero first), "prefix:length-n" (the text without
// its last n bytes, and a zero), "unterminated" or "other".
template <typename Char>
std::string BufferState(const Char* buffer, size_t given, const std::basic_string<Char>& full) {
    size_t touched = 0;
    while (touched < given && buffer[touched] == 'x')
        ++touched;
    if (touched == given)
        return "untouched";
    size_t zero = 0;
    while (zero < given && buffer[zero] != '\0')
        ++zero;
    if (zero == given)
        return "unterminated";
    if (full.compare(0, zero, buffer, zero) != 0)
        return "other";
    if (zero == full.size())
        return "text";
    return zero == 0
               ? std::string("empty")
               : Fmt("prefix:length%+ld", static_cast<long>(zero) - static_cast<long>(full.size()));
}

// GetWindowsDirectoryA, GetSystemDirectoryA, GetTempPathA, GetCurrentDirectoryA: the length on
// success; with a buffer too small, the size needed (the zero included).
template <typename Char, typename Call> void SizeRule(const char* name, Call call) {
    Char full[MAX_PATH + 1] = {};
    const DWORD length = call(MAX_PATH + 1, full);
    const std::basic_string<Char> text = full;
    const std::string n = std::string(name) + ".";
    Check(n + "full",
          Fmt("ret-is-length=%d length-positive=%d", length == text.size(), length > 0));
    if (length == 0 || length >= MAX_PATH)
        return;
    struct Case {
        const char* name;
        DWORD size;
        bool nullBuffer;
    } cases[] = {
        {"null-buffer", 0, true}, {"size-0", 0, false},         {"size-1", 1, false},
        {"short", length, false}, {"exact", length + 1, false}, {"roomy", length + 2, false},
    };
    for (const Case& c : cases) {
        Char buffer[MAX_PATH + 8];
        for (Char& b : buffer)
            b = 'x';
        DWORD ret = call(c.size, c.nullBuffer ? nullptr : buffer);
        std::string state = c.nullBuffer ? "-" : BufferState(buffer, c.size, text);
        long relative = static_cast<long>(ret) - static_cast<long>(length);
        Check(n + c.name, Fmt("ret=length%+ld buffer=%s", relative, state.c_str()));
    }
}

// GetModuleFileNameA: a buffer too small receives the name cut and terminated, the call
// returns the buffer's size and sets ERROR_INSUFFICIENT_BUFFER.
template <typename Char, typename Call> void ModuleFileName(const std::string& name, Call call) {
    Char full[MAX_PATH + 1] = {};
    const DWORD length = call(nullptr, full, MAX_PATH + 1);
    const std::basic_string<Char> text = full;
    Check(name + ".full", Fmt("ret-is-length=%d", length == text.size()));
    if (length == 0 || length >= MAX_PATH)
        return;
    struct Case {
        const char* name;
        DWORD size;
    } cases[] = {{"size-1", 1}, {"short", length}, {"exact", length + 1}};
    for (const Case& c : cases) {
        Char buffer[MAX_PATH + 8];
        for (Char& b : buffer)
            b = 'x';
        Arm();
        DWORD ret = call(nullptr, buffer, c.size);
        bool cut = ret == c.size;
        std::string result =
            cut ? std::string("ret=size")
                : Fmt("ret=length%+ld", static_cast<long>(ret) - static_cast<long>(length));
        // The documentation has the name cut to nSize - 1 bytes and a zero; Wine fills the
        // buffer without the zero. The state of the buffer is compared only when it held the
        // whole name.
        Check(name + "." + c.name,
              result + (cut ? " " + Err() : " buffer=" + BufferState(buffer, c.size, text)));
    }
    Arm();
    Char buffer[MAX_PATH];
    DWORD ret = call(reinterpret_cast<HMODULE>(BogusHandle()), buffer, MAX_PATH);
    Check(name + ".bogus-module", Fmt("ret=%lu ", U(ret)) + Err());
}

// The wide answer, converted, is the ANSI answer (the folders' names are plain ASCII here).
template <typename CallA, typename CallW> void SameAsAnsi(const char* name, CallA a, CallW w) {
    char ansi[MAX_PATH + 1] = {};
    WCHAR wide[MAX_PATH + 1] = {};
    a(MAX_PATH + 1, ansi);
    w(MAX_PATH + 1, wide);
    char converted[MAX_PATH * 2] = {};
    WideCharToMultiByte(CP_ACP, 0, wide, -1, converted, sizeof converted, nullptr, nullptr);
    Check(std::string(name) + ".same-as-ansi", Fmt("%d", std::strcmp(ansi, converted) == 0));
}

} // namespace

void FolderSizeChecks() {
    auto windowsA = [](DWORD size, LPSTR buffer) {
        return static_cast<DWORD>(GetWindowsDirectoryA(buffer, size));
    };
    auto windowsW = [](DWORD size, LPWSTR buffer) {
        return static_cast<DWORD>(GetWindowsDirectoryW(buffer, size));
    };
    auto systemA = [](DWORD size, LPSTR buffer) {
        return static_cast<DWORD>(GetSystemDirectoryA(buffer, size));
    };
    auto systemW = [](DWORD size, LPWSTR buffer) {
        return static_cast<DWORD>(GetSystemDirectoryW(buffer, size));
    };
    auto tempA = [](DWORD size, LPSTR buffer) { return GetTempPathA(size, buffer); };
    auto tempW = [](DWORD size, LPWSTR buffer) { return GetTempPathW(size, buffer); };
    auto currentA = [](DWORD size, LPSTR buffer) { return GetCurrentDirectoryA(size, buffer); };
    auto currentW = [](DWORD size, LPWSTR buffer) { return GetCurrentDirectoryW(size, buffer); };
    SizeRule<char>("GetWindowsDirectoryA", windowsA);
    SizeRule<char>("GetSystemDirectoryA", systemA);
    SizeRule<char>("GetTempPathA", tempA);
    SizeRule<char>("GetCurrentDirectoryA", currentA);
    SizeRule<WCHAR>("GetWindowsDirectoryW", windowsW);
    SizeRule<WCHAR>("GetSystemDirectoryW", systemW);
    SizeRule<WCHAR>("GetTempPathW", tempW);
    SizeRule<WCHAR>("GetCurrentDirectoryW", currentW);
    SameAsAnsi("GetWindowsDirectoryW", windowsA, windowsW);
    SameAsAnsi("GetSystemDirectoryW", systemA, systemW);
    SameAsAnsi("GetTempPathW", tempA, tempW);
    SameAsAnsi("GetCurrentDirectoryW", currentA, currentW);
    char temp[MAX_PATH + 1] = {};
    DWORD length = GetTempPathA(sizeof temp, temp);
    Check("GetTempPathA.ends-in-backslash", Fmt("%d", length > 0 && temp[length - 1] == '\\'));
    ModuleFileName<char>("GetModuleFileNameA", [](HMODULE module, LPSTR buffer, DWORD size) {
        return GetModuleFileNameA(module, buffer, size);
    });
    ModuleFileName<WCHAR>("GetModuleFileNameW", [](HMODULE module, LPWSTR buffer, DWORD size) {
        return GetModuleFileNameW(module, buffer, size);
    });
    auto moduleA = [](DWORD size, LPSTR buffer) {
        return GetModuleFileNameA(nullptr, buffer, size);
    };
    auto moduleW = [](DWORD size, LPWSTR buffer) {
        return GetModuleFileNameW(nullptr, buffer, size);
    };
    SameAsAnsi("GetModuleFileNameW", moduleA, moduleW);
}
