// What each slot of the folder table may hold on a configured machine: every path that one of
// the slot's sources could give there (the shfolder.dll answers, the shell's folders, the
// registry values, the kernel's directories, and the defaults built from them). Read from the
// machine itself right after it is set up, so the sets follow any change of the complete
// machines. An empty slot is always allowed besides.
#pragma once

#include "complete_machines.h"

#include "Quellin.h"

#include <winsim/machine.h>

#include <shlobj.h>
#include <windows.h>

#include <array>
#include <set>
#include <string>

namespace sweep {

using SlotValues = std::array<std::set<std::string>, QUELLIN_SLOT_COUNT>;

namespace detail {

using machines::detail::kCurrentVersion;
using machines::detail::kShellFolders;
using machines::detail::kUserShellFolders;

// The text of a stored value up to its first zero; empty when there is no such value.
inline std::string RegistryText(HKEY root, const std::string& key, const std::string& name) {
    const winsim::RegistryValue* v = winsim::machine().registry.Value(root, key, name);
    if (v == nullptr)
        return std::string();
    return v->data.substr(0, v->data.find('\0'));
}

// The value under "Shell Folders" of the current user and of the default user.
inline std::set<std::string> ShellFolderValues(const std::string& name) {
    return {RegistryText(HKEY_CURRENT_USER, kShellFolders, name),
            RegistryText(HKEY_USERS, std::string(".Default\\") + kShellFolders, name)};
}

inline std::string ShfolderAnswer(int csidl) {
    const auto& answers = winsim::machine().modules.shfolderAnswers;
    auto it = answers.find(csidl);
    return it != answers.end() && it->second.result == S_OK ? it->second.path : std::string();
}

inline std::string ShellAnswer(int csidl) {
    const auto& folders = winsim::machine().shell.folders;
    auto it = folders.find(csidl);
    return it != folders.end() && !it->second.convertFails ? it->second.path : std::string();
}

// The drive of a drive path ("C:"), empty otherwise (the complete machines have no network
// folders).
inline std::string DriveOf(const std::string& path) {
    return path.size() >= 2 && path[1] == ':' ? path.substr(0, 2) : std::string();
}

// A folder below a rooted base; nothing when the base is empty, so that a default built on a
// folder Windows did not give is never counted as allowed.
inline void AddBelow(std::set<std::string>& to, const std::set<std::string>& bases,
                     const std::string& leaf) {
    for (const std::string& base : bases)
        if (!base.empty())
            to.insert(base + "\\" + leaf);
}

inline void Add(std::set<std::string>& to, const std::set<std::string>& values) {
    for (const std::string& v : values)
        if (!v.empty())
            to.insert(v);
}

inline std::string ReplaceNoCase(std::string text, const std::string& pattern,
                                 const std::string& replacement) {
    auto upper = [](std::string s) {
        for (char& c : s)
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 32);
        return s;
    };
    for (size_t at = upper(text).find(upper(pattern)); at != std::string::npos;
         at = upper(text).find(upper(pattern), at + replacement.size()))
        text.replace(at, pattern.size(), replacement);
    return text;
}

} // namespace detail

// The allowed values of every slot on the machine as it is set up now.
inline SlotValues AllowedSlotValues() {
    using namespace detail;
    const winsim::Machine& m = winsim::machine();
    SlotValues s;
    const std::string windows = m.kernel.windowsDirectory;
    const std::string drive = DriveOf(windows);

    // Windows, temporary, system and module folders: asked of Windows directly; the system
    // folder gives way to the Windows folder when it is not writable.
    s[QUELLIN_WINDOWS_FOLDER] = {windows};
    s[QUELLIN_TEMP_FOLDER] = {m.kernel.tempPath};
    s[QUELLIN_SYSTEM_FOLDER] = {m.kernel.systemDirectory, windows};
    s[QUELLIN_MODULE_FOLDER] = {
        m.kernel.moduleFileName.substr(0, m.kernel.moduleFileName.rfind('\\'))};

    // Program files: shfolder.dll, "ProgramFilesDir", "ProgramFilesPath" on the Windows drive,
    // and "\Program Files" on the Windows drive.
    std::set<std::string>& programFiles = s[QUELLIN_PROGRAM_FILES_FOLDER];
    Add(programFiles, {ShfolderAnswer(CSIDL_PROGRAM_FILES),
                       RegistryText(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir")});
    if (!drive.empty()) {
        Add(programFiles,
            {ReplaceNoCase(RegistryText(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesPath"),
                           "%SystemDrive%", drive)});
        programFiles.insert(drive + "\\Program Files");
    }

    // The database engine's registered folder, or its folder under program files.
    Add(s[QUELLIN_BDE_FOLDER],
        {RegistryText(HKEY_LOCAL_MACHINE, "Software\\Borland\\Database Engine", "DLLPATH")});
    AddBelow(s[QUELLIN_BDE_FOLDER], programFiles, "Borland\\Common Files\\Bde");

    // DAO and ODBC: under the registered common-files folder, or under program files.
    std::set<std::string> common = {
        RegistryText(HKEY_LOCAL_MACHINE, kCurrentVersion, "CommonFilesDir")};
    AddBelow(common, programFiles, "Common Files");
    common.erase("");
    AddBelow(s[QUELLIN_DAO_FOLDER], common, "Microsoft Shared\\DAO");
    AddBelow(s[QUELLIN_ODBC_FOLDER], common, "ODBC");

    // SendTo, Templates, Fonts: shfolder.dll, the shell, the default user's "Shell Folders".
    const struct {
        QuellinSlot slot;
        int csidl;
        const char* value;
    } user[] = {{QUELLIN_SEND_TO_FOLDER, CSIDL_SENDTO, "SendTo"},
                {QUELLIN_TEMPLATES_FOLDER, CSIDL_TEMPLATES, "Templates"},
                {QUELLIN_FONTS_FOLDER, CSIDL_FONTS, "Fonts"}};
    for (const auto& u : user) {
        Add(s[u.slot], {ShfolderAnswer(u.csidl), ShellAnswer(u.csidl)});
        Add(s[u.slot], ShellFolderValues(u.value));
    }

    // Start Menu, Programs, Desktop: personal or all-users folder from shfolder.dll or the
    // shell, "Shell Folders", and the default under the Windows folder (Start Menu) or the
    // Start Menu (the others).
    auto chain = [&](QuellinSlot slot, int personal, int allUsers, const char* value) {
        Add(s[slot], {ShfolderAnswer(personal), ShfolderAnswer(allUsers), ShellAnswer(personal),
                      ShellAnswer(allUsers)});
        Add(s[slot], ShellFolderValues(value));
    };
    chain(QUELLIN_START_MENU_FOLDER, CSIDL_STARTMENU, CSIDL_COMMON_STARTMENU, "Start Menu");
    AddBelow(s[QUELLIN_START_MENU_FOLDER], s[QUELLIN_WINDOWS_FOLDER], "Start Menu");
    chain(QUELLIN_PROGRAMS_FOLDER, CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS, "Programs");
    AddBelow(s[QUELLIN_PROGRAMS_FOLDER], s[QUELLIN_START_MENU_FOLDER], "Programs");
    chain(QUELLIN_DESKTOP_FOLDER, CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_DESKTOPDIRECTORY, "Desktop");
    AddBelow(s[QUELLIN_DESKTOP_FOLDER], s[QUELLIN_START_MENU_FOLDER], "Desktop");

    // The user's and all users' Startup folders; from the registry or by default both slots
    // hold the user's.
    std::set<std::string>& startup = s[QUELLIN_STARTUP_FOLDER];
    Add(startup, {ShfolderAnswer(CSIDL_STARTUP), ShellAnswer(CSIDL_STARTUP)});
    Add(startup, ShellFolderValues("StartUp"));
    AddBelow(startup, s[QUELLIN_PROGRAMS_FOLDER], "Startup");
    s[QUELLIN_COMMON_STARTUP_FOLDER] = startup;
    Add(s[QUELLIN_COMMON_STARTUP_FOLDER],
        {ShfolderAnswer(CSIDL_COMMON_STARTUP), ShellAnswer(CSIDL_COMMON_STARTUP)});

    // Documents: shfolder.dll, the shell, "My Documents" on the Windows drive, the user's
    // "Personal" value as stored, the profile's "Personal" folder.
    std::set<std::string>& personal = s[QUELLIN_PERSONAL_FOLDER];
    Add(personal, {ShfolderAnswer(CSIDL_PERSONAL), ShellAnswer(CSIDL_PERSONAL),
                   RegistryText(HKEY_CURRENT_USER, kUserShellFolders, "Personal")});
    if (!drive.empty())
        personal.insert(drive + "\\My Documents");
    AddBelow(personal,
             {RegistryText(HKEY_LOCAL_MACHINE,
                           std::string(kCurrentVersion) + "\\ProfileList\\" + m.kernel.userName,
                           "ProfileImagePath")},
             "Personal");

    // My Pictures: shfolder.dll (Windows 98 and Me), "My Pictures" in the documents folder,
    // the shell.
    Add(s[QUELLIN_MY_PICTURES_FOLDER],
        {ShfolderAnswer(CSIDL_MYPICTURES), ShellAnswer(CSIDL_MYPICTURES)});
    AddBelow(s[QUELLIN_MY_PICTURES_FOLDER], personal, "My Pictures");

    // The maker's folder under Windows, or under program files on Terminal Server.
    AddBelow(s[QUELLIN_RUNDLE_FOLDER], s[QUELLIN_WINDOWS_FOLDER], "Tolva");
    if (m.version.terminalServer)
        AddBelow(s[QUELLIN_RUNDLE_FOLDER], programFiles, "Tolva\\Rundle");

    // The suite's destination, as the suite registered it.
    Add(s[QUELLIN_SUITE_DESTINATION_FOLDER],
        {RegistryText(HKEY_LOCAL_MACHINE, "Software\\Tolva\\Inkvale Suite\\9", "Destination")});
    return s;
}

} // namespace sweep
