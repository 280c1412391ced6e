// The library frame: its global objects, constructed at attach in this order and destroyed at
// detach in the reverse order, and the read-only view of the folder table.
//
// The folder table resolves every folder during its construction. The share-root cache joins
// the runtime's exit list during that construction (at the first PathRoot call), so it is
// destroyed after the table. The platform record comes last.
#include "Quellin.h"
#include "folders/SystemFolders.h"
#include "platform/platform.h"

#include <cstring>

CSystemFolders SystemFolders;
CPlatformFlags PlatformFlags;

namespace {

struct SlotEntry {
    std::string CSystemFolders::*member;
    const char* name;
};

const SlotEntry kSlots[QUELLIN_SLOT_COUNT] = {
    {&CSystemFolders::BdeFolder, "BdeFolder"},
    {&CSystemFolders::DaoFolder, "DaoFolder"},
    {&CSystemFolders::OdbcFolder, "OdbcFolder"},
    {&CSystemFolders::PersonalFolder, "PersonalFolder"},
    {&CSystemFolders::DesktopFolder, "DesktopFolder"},
    {&CSystemFolders::ProgramsFolder, "ProgramsFolder"},
    {&CSystemFolders::SendToFolder, "SendToFolder"},
    {&CSystemFolders::TemplatesFolder, "TemplatesFolder"},
    {&CSystemFolders::StartMenuFolder, "StartMenuFolder"},
    {&CSystemFolders::StartupFolder, "StartupFolder"},
    {&CSystemFolders::TempFolder, "TempFolder"},
    {&CSystemFolders::FontsFolder, "FontsFolder"},
    {&CSystemFolders::WindowsFolder, "WindowsFolder"},
    {&CSystemFolders::ProgramFilesFolder, "ProgramFilesFolder"},
    {&CSystemFolders::SystemFolder, "SystemFolder"},
    {&CSystemFolders::ModuleFolder, "ModuleFolder"},
    {&CSystemFolders::RundleFolder, "RundleFolder"},
    {&CSystemFolders::MyPicturesFolder, "MyPicturesFolder"},
    {&CSystemFolders::CommonStartupFolder, "CommonStartupFolder"},
    {&CSystemFolders::SuiteDestinationFolder, "SuiteDestinationFolder"},
};

} // namespace

extern "C" {

DWORD WINAPI QuellinGetFolder(DWORD slot, LPSTR buffer, DWORD size) {
    if (slot >= QUELLIN_SLOT_COUNT) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::string& text = SystemFolders.*(kSlots[slot].member);
    DWORD needed = static_cast<DWORD>(text.size() + 1);
    if (buffer == nullptr || size < needed)
        return needed;
    std::memcpy(buffer, text.c_str(), needed);
    return needed - 1;
}

LPCSTR WINAPI QuellinFolderName(DWORD slot) {
    return slot < QUELLIN_SLOT_COUNT ? kSlots[slot].name : nullptr;
}

} // extern "C"
