// Registry values read as text: sizes at the buffer's edge, trimming, value paths, rights.
#include "paths_fixture.h"

#include "paths/RegValue.h"

#include <windows.h>

namespace {

class RegValue : public PathsTest {
  protected:
    void TearDown() override { ExpectNothingOpen(); }
};

const char kKey[] = "Software\\Vendor\\Product";

TEST_F(RegValue, StringsUpToTheBufferAndNoFurther) {
    M().registry.SetString(HKEY_LOCAL_MACHINE, kKey, "Fits", std::string(254, 'a'));
    M().registry.SetString(HKEY_LOCAL_MACHINE, kKey, "TooLong", std::string(255, 'b'));
    M().registry.SetString(HKEY_LOCAL_MACHINE, kKey, "Padded", "  C:\\Dir  ");
    M().registry.SetString(HKEY_LOCAL_MACHINE, kKey, "Blank", " \t ");
    EXPECT_EQ(RegReadValue(HKEY_LOCAL_MACHINE, std::string(kKey) + "\\Fits"),
              std::string(254, 'a'));
    EXPECT_EQ(RegReadValue(HKEY_LOCAL_MACHINE, std::string(kKey) + "\\TooLong"), "");
    EXPECT_EQ(RegReadValue(HKEY_LOCAL_MACHINE, std::string(kKey) + "\\Padded"), "C:\\Dir");
    EXPECT_EQ(RegReadValue(HKEY_LOCAL_MACHINE, std::string(kKey) + "\\Blank"), "");
    EXPECT_EQ(RegReadValue(HKEY_LOCAL_MACHINE, std::string(kKey) + "\\Missing"), "");
    EXPECT_EQ(RegReadValue(HKEY_LOCAL_MACHINE, "Software\\Nobody\\Value"), "");
}

// The type is not examined: text runs to the first zero byte within the bytes returned.
TEST_F(RegValue, DataOfAnyTypeEndsAtItsFirstZero) {
    M().registry.SetString(HKEY_LOCAL_MACHINE, kKey, "Expand", "%SystemDrive%\\x", REG_EXPAND_SZ);
    M().registry.SetMultiString(HKEY_LOCAL_MACHINE, kKey, "Multi", {"first", "second"});
    M().registry.SetDword(HKEY_LOCAL_MACHINE, kKey, "Number", 0x00434241);
    M().registry.SetRaw(HKEY_LOCAL_MACHINE, kKey, "Inner", REG_SZ, std::string("abc\0def", 7));
    M().registry.SetRaw(HKEY_LOCAL_MACHINE, kKey, "Full", REG_BINARY, std::string(255, 'z'));
    M().registry.SetRaw(HKEY_LOCAL_MACHINE, kKey, "Empty", REG_SZ, "");
    const std::string base = std::string(kKey) + "\\";
    EXPECT_EQ(RegReadValue(HKEY_LOCAL_MACHINE, base + "Expand"), "%SystemDrive%\\x");
    EXPECT_EQ(RegReadValue(HKEY_LOCAL_MACHINE, base + "Multi"), "first");
    EXPECT_EQ(RegReadValue(HKEY_LOCAL_MACHINE, base + "Number"), "ABC");
    EXPECT_EQ(RegReadValue(HKEY_LOCAL_MACHINE, base + "Inner"), "abc");
    EXPECT_EQ(RegReadValue(HKEY_LOCAL_MACHINE, base + "Full"), std::string(255, 'z'));
    EXPECT_EQ(RegReadValue(HKEY_LOCAL_MACHINE, base + "Empty"), "");
    // The wide read (the NT family) the same way: the bytes of other data as the ANSI call
    // gives them.
    for (const char* name : {"Expand", "Multi", "Number", "Inner", "Full", "Empty"}) {
        RegReadResult read;
        EXPECT_EQ(RegReadValueAs<WCHAR>(HKEY_LOCAL_MACHINE, base + name, read),
                  M().codePage.ToWide(RegReadValue(HKEY_LOCAL_MACHINE, base + name)))
            << name;
    }

    // A buffer filled to its last byte without a zero gives exactly those bytes, never more.
    M().registry.SetRaw(HKEY_LOCAL_MACHINE, kKey, "Brim", REG_BINARY, std::string(MAX_PATH, 'y'));
    RegistryKey key;
    ASSERT_EQ(RegOpenForReading(HKEY_LOCAL_MACHINE, kKey, key), ERROR_SUCCESS);
    std::string text;
    EXPECT_EQ(RegQueryText(key.Get(), "Brim", MAX_PATH, RegText::AsStored, text), ERROR_SUCCESS);
    EXPECT_EQ(text, std::string(MAX_PATH, 'y'));
}

// In a double-byte code page the ANSI call counts the expanded text in characters: a text of 284
// bytes with its zero reports 143, fits a buffer of 260 and comes back as its first 259 bytes,
// without a zero. No cut text is taken; the wide call has no such case.
TEST_F(RegValue, ExpansionIsNeverTakenCut) {
    M().codePage.acp = 932;
    const std::wstring value = L"x" + std::wstring(141, L'あ');
    M().kernel.SetEnvironment("QUELLINLONG", value);
    EXPECT_EQ(RegExpandReferences(std::string("%QUELLINLONG%")), M().codePage.ToAnsi(value));
    EXPECT_EQ(RegExpandReferences(std::wstring(L"%QUELLINLONG%")), value);
}

TEST_F(RegValue, ValuePathNamesKeyAndValue) {
    M().registry.SetString(HKEY_LOCAL_MACHINE, "", "Name", "at the root");
    M().registry.SetString(HKEY_LOCAL_MACHINE, "Key", "", "default");
    M().registry.SetString(HKEY_LOCAL_MACHINE, "Key", "Key", "named");
    EXPECT_EQ(RegReadValue(HKEY_LOCAL_MACHINE, "Name"), "at the root");
    EXPECT_EQ(RegReadValue(HKEY_LOCAL_MACHINE, "Key\\"), "default");
    EXPECT_EQ(RegReadValue(HKEY_LOCAL_MACHINE, "KEY\\key"), "named");
    EXPECT_EQ(M().registry.opens, (std::vector<std::string>{"HKLM", "HKLM\\Key", "HKLM\\KEY"}));
}

// The key is opened for reading and writing; a key this user may only read is not read, and
// one opened is always closed again.
TEST_F(RegValue, KeyIsOpenedForReadAndWrite) {
    M().registry.SetString(HKEY_LOCAL_MACHINE, kKey, "Path", "C:\\Dir");
    M().registry.SetString(HKEY_LOCAL_MACHINE, "Locked", "Path", "C:\\Locked");
    M().registry.DenyWrite(HKEY_LOCAL_MACHINE, "Locked");
    M().registry.SetString(HKEY_LOCAL_MACHINE, "Closed", "Path", "C:\\Closed");
    M().registry.DenyAccess(HKEY_LOCAL_MACHINE, "Closed");
    EXPECT_EQ(RegReadValue(HKEY_LOCAL_MACHINE, std::string(kKey) + "\\Path"), "C:\\Dir");
    EXPECT_EQ(RegReadValue(HKEY_LOCAL_MACHINE, "Locked\\Path"), "");
    EXPECT_EQ(RegReadValue(HKEY_LOCAL_MACHINE, "Closed\\Path"), "");
    EXPECT_EQ(M().registry.openAccess, (std::vector<DWORD>(3, 0x2001F)));
    EXPECT_EQ(M().calls.Count("RegCloseKey"), 1u);
}

TEST_F(RegValue, QueryFromAnOpenKeyLeavesItOpen) {
    M().registry.SetString(HKEY_CURRENT_USER, "K", "V", " text ");
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "K", 0, KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryString(key, "V"), "text");
    EXPECT_EQ(RegQueryString(key, "W"), "");
    EXPECT_EQ(M().registry.OpenKeyCount(), 1);
    RegCloseKey(key);
    EXPECT_EQ(RegQueryString(key, "V"), "");
}

// In code page 932 a key name may end in a character whose trail byte is 0x5C.
TEST_F(RegValue, DoubleByteKeyNames) {
    M().codePage.acp = 932;
    const std::string key = "Software\\\x95\x5C";
    M().registry.SetString(HKEY_LOCAL_MACHINE, key, "Dir", "D:\\");
    M().registry.SetString(HKEY_LOCAL_MACHINE, key, "", "default");
    EXPECT_EQ(RegReadValue(HKEY_LOCAL_MACHINE, key + "\\Dir"), "D:\\");
    EXPECT_EQ(RegReadValue(HKEY_LOCAL_MACHINE, key + "\\"), "default");
}

} // namespace
