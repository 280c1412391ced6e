// Folders of shared database components: BDE, DAO, ODBC. Not resolved yet.
#include "folders/SystemFolders.h"

void CSystemFolders::ResolveBdeFolder(std::string&) {}
void CSystemFolders::ResolveDaoFolder(std::string&) {}
void CSystemFolders::ResolveOdbcFolder(std::string&) {}
