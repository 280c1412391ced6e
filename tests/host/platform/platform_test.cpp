// The platform record and the Terminal Server test.
#include "machine_fixture.h"

#include "platform/Platform.h"

#include <winreg.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

class Platform : public MachineTest {};

struct CodeRow {
    DWORD platformId, major, minor;
    DWORD code;
    BYTE version4OrLater;
};

TEST_F(Platform, CodeAndVersionFlagForEveryRowOfThePlatformTable) {
    const CodeRow rows[] = {
        {0, 3, 11, 0x0200, 0}, // Win32s
        {1, 4, 0, 0x0008, 1},  // Windows 95
        {1, 4, 10, 0x0002, 1}, // Windows 98
        {1, 4, 90, 0x0002, 1}, // Windows Me
        {1, 5, 0, 0x2000, 1},  // a later member of the family
        {1, 3, 95, 0x2000, 1}, // an earlier one
        {2, 3, 51, 0x0100, 0}, // NT 3.51
        {2, 3, 10, 0x4000, 0}, // NT 3.1
        {2, 4, 0, 0x0004, 1},  // NT 4.0
        {2, 4, 10, 0x4000, 1}, // 4.x above 4.0
        {2, 5, 0, 0x0001, 1},  // Windows 2000
        {2, 5, 1, 0x4000, 1},  // Windows XP
        {2, 6, 0, 0x4000, 1},  // later NT
        {3, 4, 0, 0x1000, 0},  // an unknown platform identifier
    };
    for (const CodeRow& row : rows) {
        M().version.Set(row.platformId, row.major, row.minor, 1000);
        CPlatformFlags flags;
        SCOPED_TRACE(::testing::Message()
                     << row.platformId << " " << row.major << "." << row.minor);
        EXPECT_EQ(flags.platformCode, row.code);
        EXPECT_EQ(flags.version4OrLater, row.version4OrLater);
        EXPECT_EQ(flags.versionInfo.dwOSVersionInfoSize, 148u);
        EXPECT_EQ(flags.versionInfo.dwMajorVersion, row.major);
        EXPECT_EQ(flags.versionInfo.dwPlatformId, row.platformId);
    }
}

TEST_F(Platform, FailedVersionQueryLeavesCodeAndFlagZero) {
    M().version.NT4();
    M().calls.FailApi("GetVersionExA");
    CPlatformFlags flags;
    EXPECT_EQ(flags.platformCode, 0u);
    EXPECT_EQ(flags.version4OrLater, 0);
}

TEST_F(Platform, RecordIsFilledAtAttach) {
    M().version.Windows98();
    AttachedLibrary lib;
    auto* flags = lib.Symbol<CPlatformFlags*>("PlatformFlags");
    ASSERT_NE(flags, nullptr);
    EXPECT_EQ(flags->platformCode, 0x0002u);
    EXPECT_EQ(flags->version4OrLater, 1);
    EXPECT_EQ(flags->versionInfo.dwMinorVersion, 10u);
}

// The simulated calls answer as Windows does (values checked against Wine).
TEST_F(Platform, SimulatedVersionAndStringCalls) {
    M().version.Windows98();
    EXPECT_NE(GetVersion() & 0x80000000u, 0u);
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(GetVersionExA(&info));
    EXPECT_EQ(info.dwBuildNumber, 0x040A07CEu); // 4.10.1998

    ULONGLONG mask = VerSetConditionMask(0, VER_SUITENAME, VER_AND);
    EXPECT_EQ(mask, 0x180000u);
    OSVERSIONINFOEXA ex = {};
    ex.dwOSVersionInfoSize = sizeof ex;
    ex.wSuiteMask = VER_SUITE_TERMINAL;
    EXPECT_FALSE(VerifyVersionInfoA(&ex, VER_SUITENAME, 0));
    EXPECT_EQ(GetLastError(), 160u); // ERROR_BAD_ARGUMENTS
    EXPECT_FALSE(VerifyVersionInfoA(&ex, VER_SUITENAME, mask));
    EXPECT_EQ(GetLastError(), 1150u); // ERROR_OLD_WIN_VERSION

    EXPECT_EQ(lstrcmpA(nullptr, ""), -1);
    EXPECT_EQ(lstrcmpA("a", "A"), -1);
    EXPECT_EQ(lstrcmpA("A", "b"), -1);
    EXPECT_EQ(lstrcmpA("Terminal Server", "Terminal Server"), 0);

    char* block = static_cast<char*>(LocalAlloc(LMEM_FIXED, 3));
    ASSERT_NE(block, nullptr);
    std::memcpy(block, "abc", 3); // no terminating zero inside the block
    EXPECT_EQ(lstrlenA(block), 3);
    EXPECT_EQ(M().memory.readsPastBlock, 1);
    EXPECT_EQ(LocalFree(block), nullptr);
    ExpectNothingOpen();
}

// --- Terminal Server --------------------------------------------------------------------

const char kProductOptions[] = "System\\CurrentControlSet\\Control\\ProductOptions";

class TerminalServer : public MachineTest {
  protected:
    // The answer, with the checks that hold for every call: nothing left open, every block
    // freed, no string read past the end of its block.
    int Ask() {
        int answer = IsTerminalServer();
        ExpectNothingOpen();
        EXPECT_EQ(M().memory.allocations, M().memory.frees);
        EXPECT_EQ(M().memory.readsPastBlock, 0);
        return answer;
    }
    void Suite(DWORD type, const std::string& bytes) {
        M().registry.SetRaw(HKEY_LOCAL_MACHINE, kProductOptions, "ProductSuite", type, bytes);
    }
};

TEST_F(TerminalServer, Windows95FamilyAnswersZeroWithoutTheRegistry) {
    for (auto set : {&winsim::Versions::Windows95, &winsim::Versions::Windows98,
                     &winsim::Versions::WindowsMe}) {
        M().calls.Reset();
        (M().version.*set)();
        M().version.terminalServer = true;
        M().registry.SetMultiString(HKEY_LOCAL_MACHINE, kProductOptions, "ProductSuite",
                                    {"Terminal Server"});
        EXPECT_EQ(Ask(), 0);
        EXPECT_EQ(M().calls.Count("GetVersion"), 1u);
        EXPECT_EQ(M().calls.Count(), 1u) << "nothing but the version is asked";
    }
    EXPECT_TRUE(M().registry.opens.empty());
}

TEST_F(TerminalServer, Windows2000AndLaterAnswerWhatTheSuiteBitSays) {
    for (bool terminal : {true, false}) {
        M().version.Windows2000();
        M().version.terminalServer = terminal;
        EXPECT_EQ(Ask() != 0, terminal);
        M().version.WindowsXP();
        EXPECT_EQ(Ask() != 0, terminal);
    }
    EXPECT_EQ(M().calls.Details("GetModuleHandleA"),
              (std::vector<std::string>{"ntdll.dll", "KERNEL32.DLL", "ntdll.dll", "KERNEL32.DLL",
                                        "ntdll.dll", "KERNEL32.DLL", "ntdll.dll", "KERNEL32.DLL"}));
    EXPECT_EQ(M().calls.Count("LoadLibraryA"), 0u);
    EXPECT_TRUE(M().registry.opens.empty());
}

TEST_F(TerminalServer, MissingVersionFunctionOrModuleAnswersZero) {
    M().version.WindowsXP();
    M().version.terminalServer = true;
    M().modules.ntdllHasVerSetConditionMask = false;
    EXPECT_EQ(Ask(), 0);
    EXPECT_EQ(M().calls.Count("VerifyVersionInfoA"), 0u);

    M().modules.ntdllHasVerSetConditionMask = true;
    M().modules.kernel32HasVerifyVersionInfoA = false;
    EXPECT_EQ(Ask(), 0);

    M().modules.kernel32HasVerifyVersionInfoA = true;
    M().modules.ntdllLoaded = false;
    EXPECT_EQ(Ask(), 0);

    M().modules.ntdllLoaded = true;
    M().modules.kernel32Loaded = false;
    EXPECT_EQ(Ask(), 0);
    EXPECT_EQ(M().calls.Count("VerifyVersionInfoA"), 0u);
    EXPECT_EQ(M().calls.Count("LoadLibraryA"), 0u);
}

struct SuiteCase {
    const char* name;
    DWORD type;
    std::string bytes;
    int answer;
};

TEST_F(TerminalServer, NT4WalksTheProductSuiteList) {
    using namespace std::string_literals;
    const SuiteCase cases[] = {
        {"alone", REG_MULTI_SZ, "Terminal Server\0\0"s, 1},
        {"first", REG_MULTI_SZ, "Terminal Server\0Small Business\0\0"s, 1},
        {"last", REG_MULTI_SZ, "Enterprise\0Small Business\0Terminal Server\0\0"s, 1},
        {"absent", REG_MULTI_SZ, "Enterprise\0Small Business\0\0"s, 0},
        {"prefix of a longer string", REG_MULTI_SZ, "Terminal Server Edition\0\0"s, 0},
        {"other case", REG_MULTI_SZ, "terminal server\0\0"s, 0},
        {"behind an empty string", REG_MULTI_SZ, "Enterprise\0\0Terminal Server\0\0"s, 0},
        {"string type", REG_SZ, "Terminal Server\0"s, 0},
        {"binary type", REG_BINARY, "Terminal Server\0\0"s, 0},
        {"empty list", REG_MULTI_SZ, "\0"s, 0},
        {"no data", REG_MULTI_SZ, ""s, 0},
        {"unterminated, alone", REG_MULTI_SZ, "Terminal Server"s, 1},
        {"unterminated, last", REG_MULTI_SZ, "Enterprise\0Terminal Server"s, 1},
        {"unterminated list", REG_MULTI_SZ, "Terminal Server\0"s, 1},
        {"unterminated, absent", REG_MULTI_SZ, "Enterprise"s, 0},
    };
    for (const SuiteCase& c : cases) {
        SCOPED_TRACE(c.name);
        winsim::machine().Reset();
        M().version.NT4();
        M().version.terminalServer = !c.answer; // the suite bit is not asked on NT 4
        Suite(c.type, c.bytes);
        EXPECT_EQ(Ask(), c.answer);
        EXPECT_EQ(M().calls.Count("VerifyVersionInfoA"), 0u);
    }
}

TEST_F(TerminalServer, NT351ReadsTheRegistryToo) {
    M().version.NT351();
    M().registry.SetMultiString(HKEY_LOCAL_MACHINE, kProductOptions, "ProductSuite",
                                {"Terminal Server"});
    EXPECT_EQ(Ask(), 1);
    EXPECT_EQ(M().calls.Count("RegOpenKeyA"), 1u);
}

TEST_F(TerminalServer, NT4WithoutKeyOrValueOrAccessAnswersZero) {
    M().version.NT4();
    EXPECT_EQ(Ask(), 0); // no key

    M().registry.SetString(HKEY_LOCAL_MACHINE, kProductOptions, "ProductType", "WinNT");
    EXPECT_EQ(Ask(), 0); // no value
    EXPECT_EQ(M().memory.allocations, 0);

    M().registry.SetMultiString(HKEY_LOCAL_MACHINE, kProductOptions, "ProductSuite",
                                {"Terminal Server"});
    M().registry.DenyAccess(HKEY_LOCAL_MACHINE, kProductOptions);
    EXPECT_EQ(Ask(), 0);
}

TEST_F(TerminalServer, NT4FailuresOnTheWayReleaseWhatWasTaken) {
    for (const char* api : {"LocalAlloc", "RegQueryValueExA"}) {
        SCOPED_TRACE(api);
        winsim::machine().Reset();
        M().version.NT4();
        M().registry.SetMultiString(HKEY_LOCAL_MACHINE, kProductOptions, "ProductSuite",
                                    {"Terminal Server"});
        M().calls.FailApi(api);
        EXPECT_EQ(Ask(), 0);
    }
    // Only the read of the data fails: the block is freed all the same.
    winsim::machine().Reset();
    M().version.NT4();
    M().registry.SetMultiString(HKEY_LOCAL_MACHINE, kProductOptions, "ProductSuite",
                                {"Terminal Server"});
    EXPECT_EQ(Ask(), 1);
    size_t secondQuery = 0;
    for (size_t i = 0, seen = 0; i < M().calls.calls.size(); ++i)
        if (M().calls.calls[i].api == "RegQueryValueExA" && ++seen == 2)
            secondQuery = i;
    ASSERT_NE(secondQuery, 0u);
    winsim::machine().Reset();
    M().version.NT4();
    M().registry.SetMultiString(HKEY_LOCAL_MACHINE, kProductOptions, "ProductSuite",
                                {"Terminal Server"});
    M().calls.FailCallAt(secondQuery);
    EXPECT_EQ(Ask(), 0);
    EXPECT_EQ(M().memory.allocations, 1);
}

} // namespace
