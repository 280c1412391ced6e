// The size rules of the folder queries and of GetModuleFileNameA. Only lengths relative to the
// real length are printed: the folders differ from machine to machine.
#include "checks.h"

#include <cstring>

namespace {

// What a call left in a buffer that held 'x' bytes, against the full text: "untouched",
// "text" (all of it and a zero), "empty" (a zero first), "prefix:length-n" (the text without
// its last n bytes, and a zero), "unterminated" or "other".
std::string BufferState(const char* buffer, size_t given, const std::string& full) {
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
template <typename Call> void SizeRule(const char* name, Call call) {
    char full[MAX_PATH + 1] = {};
    const DWORD length = call(sizeof full, full);
    const std::string text = full;
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
        char buffer[MAX_PATH + 8];
        std::memset(buffer, 'x', sizeof buffer);
        DWORD ret = call(c.size, c.nullBuffer ? nullptr : buffer);
        std::string state = c.nullBuffer ? "-" : BufferState(buffer, c.size, text);
        long relative = static_cast<long>(ret) - static_cast<long>(length);
        Check(n + c.name, Fmt("ret=length%+ld buffer=%s", relative, state.c_str()));
    }
}

// GetModuleFileNameA: a buffer too small receives the name cut and terminated, the call
// returns the buffer's size and sets ERROR_INSUFFICIENT_BUFFER.
void ModuleFileName() {
    char full[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameA(nullptr, full, sizeof full);
    const std::string text = full;
    Check("GetModuleFileNameA.full", Fmt("ret-is-length=%d", length == text.size()));
    if (length == 0 || length >= MAX_PATH)
        return;
    struct Case {
        const char* name;
        DWORD size;
    } cases[] = {{"size-1", 1}, {"short", length}, {"exact", length + 1}};
    for (const Case& c : cases) {
        char buffer[MAX_PATH + 8];
        std::memset(buffer, 'x', sizeof buffer);
        Arm();
        DWORD ret = GetModuleFileNameA(nullptr, buffer, c.size);
        bool cut = ret == c.size;
        std::string result =
            cut ? std::string("ret=size")
                : Fmt("ret=length%+ld", static_cast<long>(ret) - static_cast<long>(length));
        // The documentation has the name cut to nSize - 1 bytes and a zero; Wine fills the
        // buffer without the zero. The state of the buffer is compared only when it held the
        // whole name.
        Check(std::string("GetModuleFileNameA.") + c.name,
              result + (cut ? " " + Err() : " buffer=" + BufferState(buffer, c.size, text)));
    }
    Arm();
    char buffer[MAX_PATH];
    DWORD ret = GetModuleFileNameA(reinterpret_cast<HMODULE>(BogusHandle()), buffer, MAX_PATH);
    Check("GetModuleFileNameA.bogus-module", Fmt("ret=%lu ", U(ret)) + Err());
}

} // namespace

void FolderSizeChecks() {
    SizeRule("GetWindowsDirectoryA", [](DWORD size, LPSTR buffer) {
        return static_cast<DWORD>(GetWindowsDirectoryA(buffer, size));
    });
    SizeRule("GetSystemDirectoryA", [](DWORD size, LPSTR buffer) {
        return static_cast<DWORD>(GetSystemDirectoryA(buffer, size));
    });
    SizeRule("GetTempPathA", [](DWORD size, LPSTR buffer) { return GetTempPathA(size, buffer); });
    SizeRule("GetCurrentDirectoryA",
             [](DWORD size, LPSTR buffer) { return GetCurrentDirectoryA(size, buffer); });
    char temp[MAX_PATH + 1] = {};
    DWORD length = GetTempPathA(sizeof temp, temp);
    Check("GetTempPathA.ends-in-backslash", Fmt("%d", length > 0 && temp[length - 1] == '\\'));
    ModuleFileName();
}
