// Program-files, system, maker and suite folders. Not resolved yet.
#include "folders/SystemFolders.h"

void CSystemFolders::ResolveProgramFilesFolder(std::string&, int) {}

std::string CSystemFolders::RefreshProgramFilesFolder() {
    ResolveProgramFilesFolder(ProgramFilesFolder, 0);
    return ProgramFilesFolder;
}

void CSystemFolders::ResolveSystemFolder(std::string&) {}
void CSystemFolders::ResolveRundleFolder(std::string&) {}
void CSystemFolders::ResolveSuiteDestinationFolder(std::string&) {}
