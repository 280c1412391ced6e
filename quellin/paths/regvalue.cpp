// One registry value read as text, through a fixed 255-byte buffer.
#include "paths/regvalue.h"

#include "paths/guards.h"
#include "paths/path.h"
#include "strings/strings.h"

#include <cstring>

namespace {

const DWORD kValueBufferSize = 255;

} // namespace

// Data that does not fit the buffer is not read at all (ERROR_MORE_DATA). The text ends at
// the first zero byte within the bytes returned, or at their end when they hold no zero.
std::string RegQueryString(HKEY key, const std::string& valueName) {
    BYTE data[kValueBufferSize];
    DWORD size = kValueBufferSize;
    DWORD type = 0;
    if (RegQueryValueExA(key, valueName.c_str(), nullptr, &type, data, &size) != ERROR_SUCCESS)
        return std::string();
    const size_t returned = size < kValueBufferSize ? size : kValueBufferSize;
    const char* text = reinterpret_cast<const char*>(data);
    const void* zero = std::memchr(text, '\0', returned);
    const size_t length = zero ? static_cast<const char*>(zero) - text : returned;
    return StrTrim(std::string(text, length));
}

// The key is opened for reading and writing: a key that this user may only read is not read.
std::string RegReadValue(HKEY root, const std::string& valuePath) {
    HKEY opened = nullptr;
    // Both rights sets name READ_CONTROL; together they are 0x2001F.
    const REGSAM readWrite = KEY_READ | KEY_WRITE; // NOLINT(misc-redundant-expression)
    if (RegOpenKeyExA(root, PathParent(valuePath).c_str(), 0, readWrite, &opened) != ERROR_SUCCESS)
        return std::string();
    RegistryKey key(opened);
    return RegQueryString(key.Get(), PathLeaf(valuePath));
}
