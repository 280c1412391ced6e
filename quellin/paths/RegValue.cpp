// Registry values read as text.
#include "paths/RegValue.h"

#include "paths/Path.h"
#include "platform/FilledText.h"
#include "platform/ModuleFunction.h"
#include "strings/Strings.h"

#include <algorithm>
#include <vector>

namespace {

typedef LONG(WINAPI* PFNREGQUERYVALUEEXW)(HKEY, LPCWSTR, LPDWORD, LPDWORD, LPBYTE, LPDWORD);
typedef DWORD(WINAPI* PFNEXPANDENVIRONMENTSTRINGSW)(LPCWSTR, LPWSTR, DWORD);

// Both rights sets name READ_CONTROL; together they are 0x2001F.
const REGSAM kReadWrite = KEY_READ | KEY_WRITE; // NOLINT(misc-redundant-expression)

} // namespace

LONG RegOpenForReading(HKEY root, const char* subKey, RegistryKey& key) {
    return RegOpenKeyExA(root, subKey, 0, KEY_READ, key.Receive());
}

LONG RegQueryText(HKEY key, const char* valueName, DWORD bufferSize, RegText form,
                  std::string& text) {
    BYTE data[MAX_PATH] = {0};
    const DWORD capacity = std::min<DWORD>(bufferSize, MAX_PATH);
    DWORD size = capacity;
    DWORD type = 0;
    const LONG result = RegQueryValueExA(key, valueName, nullptr, &type, data, &size);
    if (result != ERROR_SUCCESS)
        return result;
    // The value's type is not examined: a string gives its text, a multi-string its first
    // string, other data its bytes up to the first zero.
    const BYTE* const begin = data;
    const BYTE* const end = begin + std::min(size, capacity);
    const BYTE* const zero = std::find(begin, end, BYTE{0});
    std::string read(reinterpret_cast<const char*>(data), static_cast<size_t>(zero - begin));
    text = form == RegText::Trimmed ? StrTrim(read) : read;
    return result;
}

LONG RegQueryTextW(HKEY key, const char* valueName, DWORD bufferSize, RegText form,
                   std::wstring& text) {
    auto queryValue = LoadedModuleFunction<PFNREGQUERYVALUEEXW>("ADVAPI32.DLL", "RegQueryValueExW");
    if (queryValue == nullptr)
        return ERROR_CALL_NOT_IMPLEMENTED;
    // Value names are ASCII text.
    const std::wstring name(valueName, valueName + std::char_traits<char>::length(valueName));
    std::vector<WCHAR> data(std::min<DWORD>(bufferSize, MAX_PATH), 0);
    DWORD size = static_cast<DWORD>(data.size() * sizeof(WCHAR));
    DWORD type = 0;
    const LONG result =
        queryValue(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
    if (result != ERROR_SUCCESS)
        return result;
    const size_t characters = std::min<size_t>(size / sizeof(WCHAR), data.size());
    const auto end = data.begin() + static_cast<std::ptrdiff_t>(characters);
    const std::wstring read(data.begin(), std::find(data.begin(), end, WCHAR{0}));
    text = form == RegText::Trimmed ? StrTrimW(read) : read;
    return result;
}

std::string RegQueryString(HKEY key, const std::string& valueName) {
    std::string text;
    RegQueryText(key, valueName.c_str(), kRegValueBufferSize, RegText::Trimmed, text);
    return text;
}

std::string RegReadValue(HKEY root, const std::string& valuePath) {
    RegReadResult result;
    return RegReadValue(root, valuePath, result);
}

// The key is opened for reading and writing: a key that this user may only read is not read.
std::string RegReadValue(HKEY root, const std::string& valuePath, RegReadResult& result) {
    RegistryKey key;
    result.open = RegOpenKeyExA(root, PathParent(valuePath).c_str(), 0, kReadWrite, key.Receive());
    if (result.open != ERROR_SUCCESS)
        return std::string();
    std::string text;
    result.query = RegQueryText(key.Get(), PathLeaf(valuePath).c_str(), kRegValueBufferSize,
                                RegText::Trimmed, text);
    return text;
}

std::wstring RegReadValueW(HKEY root, const std::string& valuePath) {
    RegistryKey key;
    if (RegOpenKeyExA(root, PathParent(valuePath).c_str(), 0, kReadWrite, key.Receive()) !=
        ERROR_SUCCESS)
        return std::wstring();
    std::wstring text;
    RegQueryTextW(key.Get(), PathLeaf(valuePath).c_str(), kRegValueBufferSize, RegText::Trimmed,
                  text);
    return text;
}

std::string RegExpandReferences(const std::string& text) {
    std::string expanded;
    if (text.find('%') == std::string::npos ||
        !FilledText(
            [&text](char* buffer, DWORD size) {
                return ExpandEnvironmentStringsA(text.c_str(), buffer, size);
            },
            expanded))
        return text;
    return expanded;
}

std::wstring RegExpandReferencesW(const std::wstring& text) {
    auto expand = LoadedModuleFunction<PFNEXPANDENVIRONMENTSTRINGSW>("KERNEL32.DLL",
                                                                     "ExpandEnvironmentStringsW");
    std::wstring expanded;
    if (text.find(L'%') == std::wstring::npos || expand == nullptr ||
        !FilledText([&text, expand](WCHAR* buffer,
                                    DWORD size) { return expand(text.c_str(), buffer, size); },
                    expanded))
        return text;
    return expanded;
}
