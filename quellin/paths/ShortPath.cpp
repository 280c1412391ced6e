// Folders named through their short names.
#include "paths/ShortPath.h"

#include "platform/FilledText.h"
#include "platform/ModuleFunction.h"
#include "platform/WideText.h"

#include <windows.h>

namespace {

typedef DWORD(WINAPI* PFNGETSHORTPATHNAMEW)(LPCWSTR, LPWSTR, DWORD);

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
        if (FilledText(
                [&existing, getShortPathName](WCHAR* buffer, DWORD size) {
                    return getShortPathName(existing.c_str(), buffer, size);
                },
                shortForm))
            return AnsiFromWide(shortForm + rest, ansi) == AnsiForm::Exact;
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
