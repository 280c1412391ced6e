// The user's documents folder. Not resolved yet.
#include "folders/SystemFolders.h"

void CSystemFolders::ResolvePersonalFolder(std::string&) {}
