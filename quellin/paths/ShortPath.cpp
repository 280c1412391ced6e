// Folders named through their short names.
#include "paths/ShortPath.h"

#include "platform/ModuleFunction.h"
#include "platform/WideText.h"

#include <windows.h>

#include <vector>

namespace {

typedef DWORD(WINAPI* PFNGETSHORTPATHNAMEW)(LPCWSTR, LPWSTR, DWORD);

// The short form of an existing path: through MAX_PATH characters first, then exactly as many
// as Windows asks for.
bool ShortForm(PFNGETSHORTPATHNAMEW getShortPathName, const std::wstring& path,
               std::wstring& shortForm) {
    std::vector<WCHAR> buffer(MAX_PATH);
    for (int attempt = 0; attempt < 2; ++attempt) {
        const DWORD length =
            getShortPathName(path.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return false;
        if (length < buffer.size()) {
            shortForm.assign(buffer.data(), length);
            return true;
        }
        buffer.assign(length, 0);
    }
    return false;
}

} // namespace

// GetShortPathNameW answers only for a path that exists: the levels that do not are taken off
// one by one and put back as they are.
bool PathShortAnsi(const std::wstring& folder, std::string& ansi) {
    auto getShortPathName =
        LoadedModuleFunction<PFNGETSHORTPATHNAMEW>("KERNEL32.DLL", "GetShortPathNameW");
    if (getShortPathName == nullptr)
        return false;
    std::wstring existing = folder;
    std::wstring rest;
    for (;;) {
        std::wstring shortForm;
        if (ShortForm(getShortPathName, existing, shortForm))
            return AnsiFromWide(shortForm + rest, ansi);
        const size_t cut = existing.find_last_of(L'\\');
        if (cut == std::wstring::npos || cut < 2)
            return false;
        // A drive's root keeps its backslash ('C:\').
        const size_t keep = existing[cut - 1] == L':' ? cut + 1 : cut;
        if (keep == existing.size())
            return false;
        rest.insert(0, existing, keep, std::wstring::npos);
        existing.erase(keep);
    }
}
