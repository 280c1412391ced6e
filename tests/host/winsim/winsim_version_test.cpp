// The simulated version queries: GetVersion, GetVersionExA and the verification pair answer as
// Windows does (values checked against Wine).
#include "machine_fixture.h"

#include <windows.h>

namespace {

class VersionSim : public MachineTest {};

TEST_F(VersionSim, QueriesAnswerAsWindows) {
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
}

} // namespace
