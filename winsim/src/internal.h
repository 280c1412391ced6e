// Helpers shared by the simulated API implementations.
#pragma once

#include <winsim/machine.h>

#include <windows.h>

#include <cstring>
#include <string>

namespace winsim {

// Records a call of `api` and tells whether it must fail; on failure the last error is set
// to the injected error, or to `naturalError` when none was given.
inline bool Enter(const char* api, const std::string& detail = {}, DWORD naturalError = 0,
                  DWORD* error = nullptr) {
    DWORD err = 0;
    bool fail = machine().calls.Enter(api, detail, naturalError, &err);
    if (fail) {
        machine().kernel.lastError = err;
        if (error)
            *error = err;
    }
    return fail;
}

inline std::string Text(LPCSTR s) {
    return s ? std::string(s) : std::string();
}

inline void SetError(DWORD e) {
    machine().kernel.lastError = e;
}

// The size rule of GetWindowsDirectoryA, GetCurrentDirectoryA and GetTempPathA (and of their
// wide twins, counted in WCHARs): when the text
// and its terminating zero fit, copy them and return the length without the zero; otherwise
// copy nothing and return the size needed, the zero included.
template <typename Char>
DWORD CopyPathOut(const std::basic_string<Char>& text, Char* buffer, DWORD size) {
    if (buffer == nullptr || text.size() + 1 > size)
        return static_cast<DWORD>(text.size() + 1);
    std::memcpy(buffer, text.c_str(), (text.size() + 1) * sizeof(Char));
    return static_cast<DWORD>(text.size());
}

} // namespace winsim
