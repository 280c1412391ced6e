// The platform record: its code and version flag for every row of the platform table, a failed
// version query, and the record the library fills at attach. The names of errors and HRESULTs.
#include "machine_fixture.h"

#include "../conformance/checks.h"
#include "platform/ErrorNames.h"
#include "platform/Platform.h"
#include "platform/WindowsVersion.h"

#include <cstring>

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
        CPlatformFlags flags(QueryWindowsVersion());
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
    CPlatformFlags flags(QueryWindowsVersion());
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
    // The record takes the one version query of the attach.
    EXPECT_EQ(M().calls.Count("GetVersionExA"), 1u);
}

// Each name from the constant of that name (whose value the conformance program holds against
// the SDK's headers), not from the table under test. An HRESULT of the Win32 facility is named
// after its error unless it has a name of its own.
TEST(ErrorNames, EveryConstantByItsOwnName) {
    struct Named {
        DWORD value;
        const char* name;
    };
#define NAMED(constant) {static_cast<DWORD>(constant), #constant},
    const Named errors[] = {CONFORMANCE_ERROR_CONSTANTS(NAMED)};
    const Named results[] = {CONFORMANCE_HRESULT_CONSTANTS(NAMED)};
#undef NAMED
    for (const Named& error : errors) {
        SCOPED_TRACE(error.name);
        const char* name = ErrorName(error.value);
        ASSERT_NE(name, nullptr);
        EXPECT_STREQ(name, error.name);
        const char* own = nullptr;
        for (const Named& result : results)
            if (result.value == static_cast<DWORD>(HRESULT_FROM_WIN32(error.value)))
                own = result.name;
        EXPECT_STREQ(HResultName(HRESULT_FROM_WIN32(error.value)), own != nullptr ? own : error.name);
    }
    for (const Named& result : results) {
        SCOPED_TRACE(result.name);
        EXPECT_STREQ(HResultName(static_cast<HRESULT>(result.value)), result.name);
    }
    EXPECT_EQ(ErrorName(ERROR_SUCCESS), nullptr);
    EXPECT_EQ(ErrorName(9999), nullptr);
    EXPECT_EQ(HResultName(HRESULT_FROM_WIN32(9999)), nullptr);
    EXPECT_EQ(HResultName(static_cast<HRESULT>(0x80041001)), nullptr);
}

} // namespace
