// The simulated registry: rights per key, value sizes, ERROR_MORE_DATA, open handles.
#include "machine_fixture.h"

#include <windows.h>

#include <string>

namespace {

class RegistrySim : public MachineTest {};

TEST_F(RegistrySim, OpenRightsFollowTheKeysAccess) {
    M().registry.CreateKey(HKEY_LOCAL_MACHINE, "Software\\Open");
    M().registry.DenyWrite(HKEY_LOCAL_MACHINE, "Software\\ReadOnly");
    M().registry.DenyAccess(HKEY_LOCAL_MACHINE, "Software\\Closed");
    struct Case {
        const char* path;
        REGSAM access;
        LONG expected;
    } cases[] = {
        {"Software\\Open", KEY_READ | KEY_WRITE, ERROR_SUCCESS},
        {"SOFTWARE\\open\\", KEY_READ, ERROR_SUCCESS},
        {"Software\\ReadOnly", KEY_READ, ERROR_SUCCESS},
        {"Software\\ReadOnly", KEY_READ | KEY_WRITE, ERROR_ACCESS_DENIED},
        {"Software\\ReadOnly", KEY_SET_VALUE, ERROR_ACCESS_DENIED},
        {"Software\\ReadOnly", MAXIMUM_ALLOWED, ERROR_SUCCESS},
        {"Software\\Closed", KEY_QUERY_VALUE, ERROR_ACCESS_DENIED},
        {"Software\\Closed", MAXIMUM_ALLOWED, ERROR_ACCESS_DENIED},
        {"Software\\Missing", KEY_READ, ERROR_FILE_NOT_FOUND},
        {"\\Software\\Open", KEY_READ, ERROR_BAD_PATHNAME},
    };
    for (const Case& c : cases) {
        HKEY key = nullptr;
        EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, c.path, 0, c.access, &key), c.expected)
            << c.path << " " << c.access;
        if (c.expected == ERROR_SUCCESS) {
            EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
        }
    }
    EXPECT_EQ(M().registry.opens.size(), sizeof cases / sizeof cases[0]);
    EXPECT_EQ(M().registry.opens[1], "HKLM\\SOFTWARE\\open\\");
    EXPECT_EQ(M().registry.openAccess[3], static_cast<DWORD>(0x2001F));
    ExpectNothingOpen();
}

// RegOpenKeyA asks for what the user may have: a read-only key opens and can be read.
TEST_F(RegistrySim, RegOpenKeyReadsAReadOnlyKey) {
    M().registry.SetMultiString(HKEY_LOCAL_MACHINE, "System\\Options", "Suite",
                                {"Terminal Server"});
    M().registry.DenyWrite(HKEY_LOCAL_MACHINE, "System\\Options");
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "System\\Options", &key), ERROR_SUCCESS);
    EXPECT_EQ(M().registry.openAccess.back(), static_cast<DWORD>(MAXIMUM_ALLOWED));
    DWORD size = 0, type = 0;
    EXPECT_EQ(RegQueryValueExA(key, "suite", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_MULTI_SZ));
    EXPECT_EQ(size, 17u);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    HKEY same = nullptr;
    EXPECT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "", &same), ERROR_SUCCESS);
    EXPECT_EQ(same, HKEY_LOCAL_MACHINE);
    ExpectNothingOpen();
}

TEST_F(RegistrySim, QuerySizeRules) {
    M().registry.SetString(HKEY_CURRENT_USER, "K", "Text", "abcd");
    M().registry.SetRaw(HKEY_CURRENT_USER, "K", "Bare", REG_SZ, "xyz");
    M().registry.SetString(HKEY_CURRENT_USER, "K", "", "default");
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "K", 0, KEY_READ, &key), ERROR_SUCCESS);
    char buffer[8];
    DWORD size = 4, type = 0;
    EXPECT_EQ(RegQueryValueExA(key, "Text", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size),
              ERROR_MORE_DATA);
    EXPECT_EQ(size, 5u);
    size = 5;
    EXPECT_EQ(RegQueryValueExA(key, "TEXT", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::string(buffer, size), std::string("abcd", 5));
    // Data stored without a zero: the size counts only the bytes stored.
    size = sizeof buffer;
    EXPECT_EQ(
        RegQueryValueExA(key, "Bare", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size),
        ERROR_SUCCESS);
    EXPECT_EQ(size, 3u);
    size = sizeof buffer;
    EXPECT_EQ(
        RegQueryValueExA(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size),
        ERROR_SUCCESS);
    EXPECT_STREQ(buffer, "default");
    EXPECT_EQ(RegQueryValueExA(key, "None", nullptr, nullptr, nullptr, &size),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(
        RegQueryValueExA(key, "Text", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), nullptr),
        ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegQueryValueExA(key, "Text", nullptr, nullptr, nullptr, &size),
              ERROR_INVALID_HANDLE);
    ExpectNothingOpen();
}

// A value set as wide text: the wide call reads it, the ANSI call its conversion.
TEST_F(RegistrySim, WideValuesReadThroughBothCalls) {
    M().registry.SetString(HKEY_CURRENT_USER, "K", "Personal", L"C:\\\x0414\x043e", REG_EXPAND_SZ);
    EXPECT_EQ(M().registry.Value(HKEY_CURRENT_USER, "K", "personal")->data,
              std::string("C:\\??", 6));
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "K", 0, KEY_READ, &key), ERROR_SUCCESS);
    WCHAR wide[8];
    DWORD size = sizeof wide, type = 0;
    EXPECT_EQ(
        RegQueryValueExW(key, L"PERSONAL", nullptr, &type, reinterpret_cast<BYTE*>(wide), &size),
        ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_EXPAND_SZ));
    EXPECT_EQ(size, 6 * sizeof(WCHAR));
    EXPECT_EQ(std::wstring(wide), L"C:\\\x0414\x043e");
    size = 5 * sizeof(WCHAR);
    EXPECT_EQ(
        RegQueryValueExW(key, L"Personal", nullptr, nullptr, reinterpret_cast<BYTE*>(wide), &size),
        ERROR_MORE_DATA);
    EXPECT_EQ(size, 6 * sizeof(WCHAR));
    char ansi[8];
    size = sizeof ansi;
    EXPECT_EQ(
        RegQueryValueExA(key, "Personal", nullptr, nullptr, reinterpret_cast<BYTE*>(ansi), &size),
        ERROR_SUCCESS);
    EXPECT_STREQ(ansi, "C:\\??");
    M().calls.FailApi("RegQueryValueExW", ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegQueryValueExW(key, L"Personal", nullptr, nullptr, nullptr, &size),
              ERROR_ACCESS_DENIED);
    RegCloseKey(key);
    ExpectNothingOpen();
}

TEST_F(RegistrySim, AKeyOpenedWithoutQueryRightCannotBeRead) {
    M().registry.SetString(HKEY_CURRENT_USER, "K", "V", "x");
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "K", 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(key, "V", nullptr, nullptr, nullptr, &size), ERROR_ACCESS_DENIED);
    EXPECT_EQ(M().OpenResources().size(), 1u);
    RegCloseKey(key);
}

} // namespace
