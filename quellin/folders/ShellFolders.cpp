// Shell folders: Desktop, Programs, SendTo, Templates, Start Menu, Startup, Fonts, My Pictures.
// Not resolved yet: their slots stay empty.
#include "folders/SystemFolders.h"

void CSystemFolders::ResolveDesktopFolder(std::string&, int) {}
void CSystemFolders::ResolveProgramsFolder(std::string&, int) {}
void CSystemFolders::ResolveSendToFolder(std::string&) {}
void CSystemFolders::ResolveTemplatesFolder(std::string&) {}
void CSystemFolders::ResolveStartMenuFolder(std::string&, int) {}
void CSystemFolders::ResolveStartupFolder(std::string&) {}
void CSystemFolders::ResolveFontsFolder(std::string&) {}
void CSystemFolders::ResolveMyPicturesFolder(std::string&) {}
