// The simulated network: scripted answers, letters mapped and cancelled, every trial recorded.
#include "machine_fixture.h"

#include <windows.h>
#include <winnetwk.h>

namespace {

class NetworkSim : public MachineTest {};

TEST_F(NetworkSim, AnswersAsScriptedAndRecordsEveryTrial) {
    M().network.Answer("\\\\srv\\share", winsim::ShareAnswer::Accept);
    M().network.Answer("\\\\srv\\locked", winsim::ShareAnswer::LogonFailure);
    M().files.AddFile("\\\\srv\\share\\dir\\f.txt");
    EXPECT_EQ(WNetAddConnectionA("\\\\SRV\\SHARE", "", "F:"), DWORD(NO_ERROR));
    EXPECT_EQ(GetLogicalDrives(), (1u << 2) | (1u << 5));
    EXPECT_EQ(GetFileAttributesA("F:\\dir\\f.txt"), DWORD(FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_EQ(WNetAddConnectionA("\\\\srv\\share", "", "f:"), DWORD(ERROR_ALREADY_ASSIGNED));
    EXPECT_EQ(WNetAddConnectionA("\\\\srv\\share", "", "C:"), DWORD(ERROR_ALREADY_ASSIGNED));
    EXPECT_EQ(M().OpenResources().size(), 1u);
    EXPECT_EQ(WNetCancelConnectionA("F:", TRUE), DWORD(NO_ERROR));
    EXPECT_EQ(WNetCancelConnectionA("F:", TRUE), DWORD(ERROR_NOT_CONNECTED));
    EXPECT_EQ(WNetAddConnectionA("\\\\srv\\locked", "", "G:"), DWORD(ERROR_LOGON_FAILURE));
    EXPECT_EQ(WNetAddConnectionA("\\\\srv\\other", nullptr, "G:"), DWORD(ERROR_BAD_NET_NAME));
    EXPECT_EQ(GetLogicalDrives(), 1u << 2);
    EXPECT_EQ(M().network.Adds(), 5);
    EXPECT_EQ(M().network.Cancels(), 2);
    EXPECT_EQ(M().network.trials.front(), "ADD \\\\SRV\\SHARE F: password=''");
    EXPECT_EQ(M().network.trials.back(), "ADD \\\\srv\\other G: password=null");
    ExpectNothingOpen();
}

} // namespace
