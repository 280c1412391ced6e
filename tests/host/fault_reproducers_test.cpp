// Faults of the library that the fault-injection sweep (tests/sweep) found, each reduced to
// a machine and the failing calls that show it, and kept as tests of the mended behaviour.
#include "complete_machines.h"
#include "machine_fixture.h"

namespace {

machines::Machine Machine(const std::string& name) {
    for (const machines::Machine& machine : machines::All())
        if (machine.name == name)
            return machine;
    ADD_FAILURE() << "no complete machine " << name;
    return machines::All().front();
}

// A folder of the table is empty or rooted at a drive: never relative to whatever the
// current directory or drive happens to be.
::testing::AssertionResult EmptyOrRooted(const std::string& folder) {
    if (folder.empty() || (folder.size() >= 3 && folder[1] == ':' && folder[2] == '\\'))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "'" << folder << "' has no drive";
}

class FaultReproducer : public MachineTest {};

// Windows does not give its directory: the maker's folder becomes the relative "Tolva".
TEST_F(FaultReproducer, MakersFolderIsNotRelativeWithoutTheWindowsDirectory) {
    machines::Build(Machine("XPWithoutShfolder"));
    M().calls.FailApi("GetWindowsDirectoryA");
    AttachedLibrary lib;
    EXPECT_TRUE(EmptyOrRooted(lib.Folder(kRundle)));
}

// shfolder.dll does not answer on NT and Windows does not give its directory: no documents
// folder rather than a relative "My Documents", and no My Pictures folder in it either.
TEST_F(FaultReproducer, DocumentsAreNotRelativeWithoutTheWindowsDirectory) {
    machines::Build(Machine("NT4WithShfolder"));
    M().calls.FailApi("GetWindowsDirectoryA");
    M().calls.FailApi("SHGetFolderPathA");
    std::vector<std::string> before = M().files.Snapshot();
    AttachedLibrary lib;
    EXPECT_EQ(lib.Folder(kPersonal), "");
    EXPECT_EQ(lib.Folder(kMyPictures), "");
    EXPECT_EQ(M().files.Snapshot(), before);
}

// No program-files value can be read and Windows does not give its directory: the
// program-files folder, which is never empty, is "\Program Files" on the current drive.
TEST_F(FaultReproducer, ProgramFilesFallBackToTheCurrentDriveWithoutTheWindowsDirectory) {
    machines::Build(Machine("XPWithoutShfolder"));
    M().calls.FailApi("GetWindowsDirectoryA");
    M().registry.DeleteValue(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion",
                             "ProgramFilesDir");
    AttachedLibrary lib;
    EXPECT_EQ(lib.Folder(kProgramFiles), "\\Program Files");
}

} // namespace
