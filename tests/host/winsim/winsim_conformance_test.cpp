// Behaviours of the simulated machine that the comparison with Wine brought to light: keys
// created, written and deleted; repeated backslashes in key paths; a file named with a
// trailing backslash; the full current directory; word-sort order; upper case in code page 932
// through the code page's Unicode equivalences.
#include "machine_fixture.h"

#include <windows.h>

#include <string>

namespace {

class ConformanceSim : public MachineTest {};

TEST_F(ConformanceSim, KeysAreCreatedWrittenAndDeleted) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Vendor\\App", 0, nullptr,
                              REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
    EXPECT_TRUE(M().registry.KeyExists(HKEY_CURRENT_USER, "Software\\Vendor"));
    // A string counted without its zero takes the zero that follows it; one followed by
    // another byte is stored bare.
    EXPECT_EQ(RegSetValueExA(key, "counted", 0, REG_SZ, reinterpret_cast<const BYTE*>("ab"), 2),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, "bare", 0, REG_SZ, reinterpret_cast<const BYTE*>("abX"), 2),
              ERROR_SUCCESS);
    EXPECT_EQ(M().registry.Value(HKEY_CURRENT_USER, "Software\\Vendor\\App", "counted")->data,
              std::string("ab", 3));
    EXPECT_EQ(M().registry.Value(HKEY_CURRENT_USER, "Software\\Vendor\\App", "bare")->data, "ab");
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);

    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\vendor", 0, nullptr, 0, KEY_READ,
                              nullptr, &key, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
    EXPECT_EQ(RegSetValueExA(key, "x", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);

    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Vendor"), ERROR_ACCESS_DENIED);
    // A handle open on a deleted key only closes.
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Vendor\\App", 0, KEY_ALL_ACCESS, &key),
              ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Vendor\\App"), ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(key, "bare", nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
    EXPECT_EQ(RegSetValueExA(key, "x", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2),
              ERROR_KEY_DELETED);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Vendor\\App"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Vendor"), ERROR_SUCCESS);

    // Keys this user may only read take no new subkeys and cannot be deleted.
    M().registry.DenyWrite(HKEY_LOCAL_MACHINE, "Software\\Locked");
    EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Locked\\New", 0, nullptr, 0, KEY_READ,
                              nullptr, &key, nullptr),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Locked"), ERROR_ACCESS_DENIED);
    ExpectNothingOpen();
}

TEST_F(ConformanceSim, RepeatedBackslashesInKeyPathsAreSkipped) {
    M().registry.CreateKey(HKEY_LOCAL_MACHINE, "Software\\Vendor");
    const char* paths[] = {"Software\\\\Vendor", "Software\\Vendor\\\\", "Software\\Vendor\\"};
    for (const char* path : paths) {
        HKEY key = nullptr;
        EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key), ERROR_SUCCESS)
            << path;
        RegCloseKey(key);
    }
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "\\Software\\Vendor", 0, KEY_READ, &key),
              ERROR_BAD_PATHNAME);
    ExpectNothingOpen();
}

TEST_F(ConformanceSim, AFileNamedWithATrailingBackslashIsAnInvalidName) {
    M().files.AddFile("C:\\Dir\\file.txt");
    SetLastError(0);
    EXPECT_EQ(GetFileAttributesA("C:\\Dir\\file.txt\\"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_NAME));
    EXPECT_EQ(GetFileAttributesA("C:\\Dir\\"), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(GetFileAttributesA("C:\\Dir\\file.txt\\."),
              static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE));

    struct Case {
        const char* path;
        DWORD disposition;
        DWORD error;
    } cases[] = {
        {"C:\\Dir\\file.txt\\", OPEN_EXISTING, ERROR_INVALID_NAME},
        {"C:\\Dir\\file.txt\\", CREATE_ALWAYS, ERROR_INVALID_NAME},
        {"C:\\Dir\\new.txt\\", CREATE_NEW, ERROR_INVALID_NAME},
        {"C:\\Dir\\new.txt\\", OPEN_EXISTING, ERROR_FILE_NOT_FOUND},
        {"C:\\Dir\\", OPEN_EXISTING, ERROR_ACCESS_DENIED},
    };
    for (const Case& c : cases) {
        HANDLE h = CreateFileA(c.path, GENERIC_READ, 0, nullptr, c.disposition,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_EQ(h, INVALID_HANDLE_VALUE) << c.path;
        EXPECT_EQ(GetLastError(), c.error) << c.path;
    }
    EXPECT_FALSE(DeleteFileA("C:\\Dir\\file.txt\\"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_NAME));
    EXPECT_TRUE(M().files.IsFile("C:\\Dir\\file.txt"));
    EXPECT_FALSE(M().files.Exists("C:\\Dir\\new.txt"));
    ExpectNothingOpen();
}

TEST_F(ConformanceSim, TheCurrentDirectoryIsKeptAsAFullPath) {
    M().files.AddDirectory("C:\\Work\\Sub");
    struct Case {
        const char* path;
        const char* current;
    } cases[] = {
        {"C:\\Work\\", "C:\\Work"},           {"Sub", "C:\\Work\\Sub"}, {"..", "C:\\Work"},
        {"C:/work/sub", "C:\\work\\sub"},     {"C:..", "C:\\work"},     {"\\", "C:\\"},
        {"C:\\Work\\Sub\\..\\.", "C:\\Work"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(SetCurrentDirectoryA(c.path)) << c.path;
        char buffer[MAX_PATH];
        ASSERT_GT(GetCurrentDirectoryA(sizeof buffer, buffer), 0u);
        EXPECT_STREQ(buffer, c.current) << c.path;
    }
}

TEST_F(ConformanceSim, LstrcmpAComparesAsAWordSort) {
    struct Case {
        const char* a;
        const char* b;
        int sign;
    } cases[] = {
        {"co-op", "coop", 1},
        {"can't", "cant", 1},
        {"a-c", "ab", 1},
        {"a\x01"
         "c",
         "ab", 1},
        {"a_c", "ab", -1},
        {"!", "1", -1},
        {"9", "a", -1},
        {"e", "\xe9", -1},
        {"\xe9", "E", 1},
        {"\xc9", "\xe9", 1},
        {"\xe9"
         "a",
         "eb", -1},
        {"\xe9", "f", -1},
        {"co-op", "Coop", -1},
        {"Terminal Server", "Terminal Server", 0},
        {"Terminal Server", "TerminalServer", -1},
    };
    for (const Case& c : cases) {
        int result = lstrcmpA(c.a, c.b);
        EXPECT_EQ((result > 0) - (result < 0), c.sign) << c.a << " / " << c.b;
        result = lstrcmpA(c.b, c.a);
        EXPECT_EQ((result > 0) - (result < 0), -c.sign) << c.b << " / " << c.a;
    }
}

TEST_F(ConformanceSim, CodePage932UpperCasesThroughUnicode) {
    M().codePage.acp = 932;
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {
        {"\x82\x81", "\x82\x60"}, // full-width a
        {"\xfa\x40", "\x87\x54"}, // small Roman numeral one (IBM) to the NEC capital
        {"\xee\xef", "\x87\x54"}, // the same, NEC-selected
        {"\xfa\x4a", "\x87\x54"}, // IBM capital Roman numeral one to the NEC one
        {"\xed\x40", "\xfa\x5c"}, // NEC-selected IBM extension to the IBM code
        {"\xee\xec", "\xfc\x4b"}, // the last of them
        {"\x87\x90", "\x81\xe0"}, // NEC special character to its JIS code
        {"\x85\x40", "\x81\x45"}, // no character: the default character
        {"\x95\x5c", "\x95\x5c"}, // a kanji with trail byte 0x5C stays
        {"\x82\x61", "\x82\x61"}, // a trail byte that is a lower-case letter stays
    };
    for (const Case& c : cases) {
        char text[3] = {c.in[0], c.in[1], 0};
        EXPECT_EQ(CharUpperBuffA(text, 2), 2u);
        EXPECT_EQ(std::string(text), std::string(c.out))
            << std::hex
            << (static_cast<unsigned>(static_cast<BYTE>(c.in[0])) << 8 |
                static_cast<BYTE>(c.in[1]));
    }
    // Names that differ only in the code of one character name the same file.
    M().files.AddFile("C:\\\xed\x40.txt");
    EXPECT_TRUE(M().files.IsFile("C:\\\xfa\x5c.TXT"));
}

} // namespace
