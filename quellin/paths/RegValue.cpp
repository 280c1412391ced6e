// Registry values read as text.
#include "paths/RegValue.h"

#include "paths/Path.h"
#include "strings/Strings.h"

#include <algorithm>

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
    // Both rights sets name READ_CONTROL; together they are 0x2001F.
    const REGSAM readWrite = KEY_READ | KEY_WRITE; // NOLINT(misc-redundant-expression)
    RegistryKey key;
    result.open = RegOpenKeyExA(root, PathParent(valuePath).c_str(), 0, readWrite, key.Receive());
    if (result.open != ERROR_SUCCESS)
        return std::string();
    std::string text;
    result.query = RegQueryText(key.Get(), PathLeaf(valuePath).c_str(), kRegValueBufferSize,
                                RegText::Trimmed, text);
    return text;
}
