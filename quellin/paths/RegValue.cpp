// Registry values read as text.
#include "paths/RegValue.h"

#include "paths/Path.h"
#include "platform/FilledText.h"
#include "platform/TextCalls.h"
#include "platform/WideText.h"
#include "strings/Strings.h"

#include <algorithm>
#include <vector>

namespace {

// Both rights sets name READ_CONTROL; together they are 0x2001F.
const REGSAM kReadWrite = KEY_READ | KEY_WRITE; // NOLINT(misc-redundant-expression)

void BytesAsText(const std::string& bytes, std::string& text) {
    text = bytes;
}

void BytesAsText(const std::string& bytes, std::wstring& text) {
    text = WideFromAnsi(bytes);
}

// The query through a buffer of `bufferSize` bytes for the ANSI call, of as many characters for
// the wide one (at most MAX_PATH either way).
template <typename Char>
LONG QueryText(HKEY key, const char* valueName, DWORD bufferSize, RegText form,
               std::basic_string<Char>& text, DWORD* typeRead) {
    Char data[MAX_PATH] = {0};
    const DWORD capacity = std::min<DWORD>(bufferSize, MAX_PATH);
    DWORD size = capacity * sizeof(Char);
    DWORD type = 0;
    const LONG result =
        TextCalls<Char>::QueryValue(key, valueName, &type, reinterpret_cast<BYTE*>(data), &size);
    if (typeRead != nullptr)
        *typeRead = result == ERROR_SUCCESS ? type : REG_NONE;
    if (result != ERROR_SUCCESS)
        return result;
    // The value's type is not examined but for this: a string gives its text, a multi-string
    // its first string, other data its bytes up to the first zero, which the wide call hands out
    // as they are (the ANSI call's bytes, taken as text in the ANSI code page).
    std::basic_string<Char> read;
    if (sizeof(Char) == 1 || (type != REG_SZ && type != REG_EXPAND_SZ && type != REG_MULTI_SZ)) {
        const BYTE* const begin = reinterpret_cast<const BYTE*>(data);
        const BYTE* const end = begin + std::min<DWORD>(size, capacity * sizeof(Char));
        BytesAsText(std::string(begin, std::find(begin, end, BYTE{0})), read);
    } else {
        const Char* const begin = data;
        const Char* const end = begin + std::min<DWORD>(size / sizeof(Char), capacity);
        read.assign(begin, std::find(begin, end, Char(0)));
    }
    text = form == RegText::Trimmed ? StrTrim(read) : read;
    return result;
}

template <typename Char>
std::basic_string<Char> ExpandReferences(const std::basic_string<Char>& text) {
    std::basic_string<Char> expanded;
    if (text.find(Char('%')) == std::basic_string<Char>::npos ||
        !FilledText(
            [&text](Char* buffer, DWORD size) {
                return TextCalls<Char>::ExpandReferences(text.c_str(), buffer, size);
            },
            expanded))
        return text;
    return expanded;
}

} // namespace

LONG RegOpenForReading(HKEY root, const char* subKey, RegistryKey& key) {
    return RegOpenKeyExA(root, subKey, 0, KEY_READ, key.Receive());
}

LONG RegQueryText(HKEY key, const char* valueName, DWORD bufferSize, RegText form,
                  std::string& text, DWORD* type) {
    return QueryText(key, valueName, bufferSize, form, text, type);
}

LONG RegQueryText(HKEY key, const char* valueName, DWORD bufferSize, RegText form,
                  std::wstring& text, DWORD* type) {
    return QueryText(key, valueName, bufferSize, form, text, type);
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
template <typename Char>
std::basic_string<Char> RegReadValueAs(HKEY root, const std::string& valuePath,
                                       RegReadResult& result) {
    RegistryKey key;
    result.open = RegOpenKeyExA(root, PathParent(valuePath).c_str(), 0, kReadWrite, key.Receive());
    if (result.open != ERROR_SUCCESS)
        return std::basic_string<Char>();
    std::basic_string<Char> text;
    result.query = QueryText(key.Get(), PathLeaf(valuePath).c_str(), kRegValueBufferSize,
                             RegText::Trimmed, text, &result.type);
    return text;
}

template std::string RegReadValueAs<char>(HKEY, const std::string&, RegReadResult&);
template std::wstring RegReadValueAs<WCHAR>(HKEY, const std::string&, RegReadResult&);

std::string RegReadValue(HKEY root, const std::string& valuePath, RegReadResult& result) {
    return RegReadValueAs<char>(root, valuePath, result);
}

std::string RegExpandReferences(const std::string& text) {
    return ExpandReferences(text);
}

std::wstring RegExpandReferences(const std::wstring& text) {
    return ExpandReferences(text);
}
