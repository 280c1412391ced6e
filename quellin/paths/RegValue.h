// Registry values read as text: the one reader the library has, and the two reads built on it.
#pragma once

#include "platform/Handles.h"

#include <windows.h>

#include <string>

// The data buffer of the values the library reads by value path, and of the shell-folder
// values: data of more than 255 bytes (a string of more than 254 characters with its zero) is
// not read.
const DWORD kRegValueBufferSize = 255;

// Opens a key for reading only (KEY_READ) and returns RegOpenKeyExA's result.
LONG RegOpenForReading(HKEY root, const char* subKey, RegistryKey& key);

// What becomes of the bytes read: kept as stored, or trimmed of white space.
enum class RegText { AsStored, Trimmed };

// Queries `valueName` in an open key through a buffer of `bufferSize` bytes (at most MAX_PATH;
// the wide call, RegQueryValueExW, through as many characters) and returns the call's result:
// ERROR_SUCCESS, ERROR_FILE_NOT_FOUND for a missing value, ERROR_MORE_DATA for data longer than the
// buffer, and so on. On success `text` is the data up to its first zero byte, never beyond the
// bytes returned, in the form asked for; environment references are never expanded. Otherwise
// `text` is left alone. The wide call is looked up by name (Windows 95 lacks it):
// ERROR_CALL_NOT_IMPLEMENTED where Windows has no such call. `type`, when given, receives the
// value's type as the query gave it (REG_NONE when it gave none).
LONG RegQueryText(HKEY key, const char* valueName, DWORD bufferSize, RegText form,
                  std::string& text, DWORD* type = nullptr);
LONG RegQueryText(HKEY key, const char* valueName, DWORD bufferSize, RegText form,
                  std::wstring& text, DWORD* type = nullptr);

// The value's text (255-byte buffer, trimmed) from a key the caller holds open; empty on any
// failure.
std::string RegQueryString(HKEY key, const std::string& valueName);
// The value named by 'Key\...\ValueName' under `root`, read with read and write access to the
// key; empty on any failure.
std::string RegReadValue(HKEY root, const std::string& valuePath);

// What a read came to: the result of opening the key and, once it opened, of the query.
struct RegReadResult {
    LONG open = ERROR_SUCCESS;
    LONG query = ERROR_SUCCESS;
    DWORD type = REG_NONE; // the value's type, once the query answered
};
// RegReadValue, telling what the read came to; and the same read in either character type
// (the wide one through RegQueryValueExW).
std::string RegReadValue(HKEY root, const std::string& valuePath, RegReadResult& result);
template <typename Char>
std::basic_string<Char> RegReadValueAs(HKEY root, const std::string& valuePath,
                                       RegReadResult& result);

// Environment references ('%USERPROFILE%\Documents') in a value that names a folder, expanded
// with ExpandEnvironmentStringsA or ExpandEnvironmentStringsW (looked up by name). A text
// without '%' is given back as it is without a call, and so is one that cannot be expanded
// whole; a reference to no variable stays as written.
std::string RegExpandReferences(const std::string& text);
std::wstring RegExpandReferences(const std::wstring& text);
