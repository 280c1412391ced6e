// The Terminal Server test: the suite bit from Windows 2000 on, the product-suite list of NT 4
// and earlier, nothing on the Windows 95 family; every way out frees what it took.
#include "machine_fixture.h"

#include "platform/Platform.h"

#include <winreg.h>

#include <string>
#include <vector>

namespace {

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
