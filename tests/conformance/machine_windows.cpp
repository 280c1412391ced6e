// Windows: the ANSI code page is the system's, the program can only check it; wide names and
// values are made with the wide calls.
#include "machine.h"

bool SelectCodePage(UINT codePage) {
    return GetACP() == codePage;
}

bool MakeWideDirectory(const std::wstring& path) {
    return CreateDirectoryW(path.c_str(), nullptr) != FALSE;
}

bool EnterWideDirectory(const std::wstring& path) {
    return SetCurrentDirectoryW(path.c_str()) != FALSE;
}

bool SetWideValue(const char* keyPath, const char* name, const std::wstring& value) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return false;
    std::wstring wideName(name, name + std::char_traits<char>::length(name));
    LONG ret = RegSetValueExW(key, wideName.c_str(), 0, REG_SZ,
                              reinterpret_cast<const BYTE*>(value.c_str()),
                              static_cast<DWORD>((value.size() + 1) * sizeof(WCHAR)));
    RegCloseKey(key);
    return ret == ERROR_SUCCESS;
}

void SetVariable(const char* name, const std::wstring& value) {
    std::wstring wideName(name, name + std::char_traits<char>::length(name));
    SetEnvironmentVariableW(wideName.c_str(), value.c_str());
}

void KnowFontsFolder() {}
