// The calls of Windows that hand out text, in both character types, so that a source is written
// once: `TextCalls<char>` makes the ANSI call, `TextCalls<WCHAR>` the wide one, looked up by name
// (LoadedModuleFunction: Windows 95 lacks most of them). A wide call that cannot be had fails
// as the call would, with ERROR_CALL_NOT_IMPLEMENTED (or E_NOTIMPL, FALSE).
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>

template <typename Char> struct TextCalls;

template <> struct TextCalls<char> {
    static UINT WindowsDirectory(char* buffer, UINT size);
    static UINT SystemDirectory(char* buffer, UINT size);
    static DWORD TempPath(DWORD size, char* buffer);
    static DWORD ModuleFileName(HMODULE module, char* buffer, DWORD size);
    static DWORD ExpandReferences(const char* text, char* buffer, DWORD size);
    static LONG QueryValue(HKEY key, const char* valueName, DWORD* type, BYTE* data, DWORD* size);
    static BOOL PathFromIDList(LPCITEMIDLIST list, char* buffer);
    // ASCII text (names of values, leaves of paths) in this character type.
    static std::string Text(const char* ascii) { return ascii; }
    static std::string Text(const std::string& ascii) { return ascii; }
};

template <> struct TextCalls<WCHAR> {
    static UINT WindowsDirectory(WCHAR* buffer, UINT size);
    static UINT SystemDirectory(WCHAR* buffer, UINT size);
    static DWORD TempPath(DWORD size, WCHAR* buffer);
    static DWORD ModuleFileName(HMODULE module, WCHAR* buffer, DWORD size);
    static DWORD ExpandReferences(const WCHAR* text, WCHAR* buffer, DWORD size);
    static LONG QueryValue(HKEY key, const char* valueName, DWORD* type, BYTE* data, DWORD* size);
    static BOOL PathFromIDList(LPCITEMIDLIST list, WCHAR* buffer);
    static std::wstring Text(const char* ascii) {
        return std::wstring(ascii, ascii + std::char_traits<char>::length(ascii));
    }
    static std::wstring Text(const std::string& ascii) { return Text(ascii.c_str()); }
};
