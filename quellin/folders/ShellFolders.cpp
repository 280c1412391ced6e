// Shell folders: Desktop, Programs, SendTo, Templates, Start Menu, Startup (with the all-users
// Startup folder), Fonts and My Pictures. Each tries shfolder.dll's SHGetFolderPathA, then the
// shell's special-folder service, then the Explorer "Shell Folders" key, and for some folders
// a default built from a slot resolved earlier.
#include "folders/Sources.h"
#include "folders/SystemFolders.h"

// The chain of Desktop, Programs and Start Menu. The all-users identifier is asked of
// shfolder.dll only on NT; the shell gets it on every platform but the Windows 95 family. A
// "Shell Folders" key without the value leaves the slot empty: the default, built on an
// earlier slot, is used only when the key is missing.
void CSystemFolders::ResolveShellFolder(QuellinSlot slot, Owner owner, int personalCsidl,
                                        int commonCsidl, const char* valueName,
                                        QuellinSlot defaultBase, const char* defaultLeaf) {
    const bool personal = context_.Windows9x() || owner == Owner::User;
    Step folderService = FolderService(context_, personal ? personalCsidl : commonCsidl);
    if (!personal && !context_.NT() && context_.FolderService() != nullptr)
        folderService = [commonCsidl] {
            return Failure(kFolderServiceSource, CsidlText(commonCsidl),
                           Finding(QUELLIN_OUTCOME_NOT_ASKED,
                                   "not asked: the platform is neither Windows 95 nor NT"));
        };
    ShellSession shell(context_);
    Resolve(slot, {
                      folderService,
                      shell.Folder(personal ? personalCsidl : commonCsidl),
                      ShellFoldersValue(context_, ShellFoldersKeyFor(context_), valueName),
                      Default(*this, defaultBase, defaultLeaf),
                  });
}

// SendTo, Templates and Fonts: one identifier, the default user's key on every platform, no
// default.
void CSystemFolders::ResolveUserShellFolder(QuellinSlot slot, int csidl, const char* valueName,
                                            FailedConversion failed) {
    ShellSession shell(context_);
    Resolve(slot, {
                      FolderService(context_, csidl),
                      shell.Folder(csidl, failed),
                      ShellFoldersValue(context_, ShellFoldersKey::DefaultUser, valueName),
                  });
}

void CSystemFolders::ResolveDesktopFolder(QuellinSlot slot, Owner owner) {
    ResolveShellFolder(slot, owner, CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_DESKTOPDIRECTORY,
                       "Desktop", QUELLIN_START_MENU_FOLDER, "Desktop");
}

void CSystemFolders::ResolveProgramsFolder(QuellinSlot slot, Owner owner) {
    ResolveShellFolder(slot, owner, CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS, "Programs",
                       QUELLIN_START_MENU_FOLDER, "Programs");
}

void CSystemFolders::ResolveStartMenuFolder(QuellinSlot slot, Owner owner) {
    ResolveShellFolder(slot, owner, CSIDL_STARTMENU, CSIDL_COMMON_STARTMENU, "Start Menu",
                       QUELLIN_WINDOWS_FOLDER, "Start Menu");
}

// SendTo and Templates take what a failed conversion left in the cleared buffer.
void CSystemFolders::ResolveSendToFolder(QuellinSlot slot) {
    ResolveUserShellFolder(slot, CSIDL_SENDTO, "SendTo", FailedConversion::AnswersItsText);
}

void CSystemFolders::ResolveTemplatesFolder(QuellinSlot slot) {
    ResolveUserShellFolder(slot, CSIDL_TEMPLATES, "Templates", FailedConversion::AnswersItsText);
}

void CSystemFolders::ResolveFontsFolder(QuellinSlot slot) {
    ResolveUserShellFolder(slot, CSIDL_FONTS, "Fonts", FailedConversion::StopsTheChain);
}

// The user's Startup folder, and beside it the all-users one. The folder service answers both,
// or the user's answer is held while the shell is asked. The shell, when it knows the user's
// folder, is asked for the all-users one; found in the registry or by default, both slots hold
// the same folder.
void CSystemFolders::ResolveStartupFolder(QuellinSlot slot, QuellinSlot commonSlot) {
    ShellSession shell(context_);
    Chain user(*this, slot);
    Chain common(*this, commonSlot);
    if (user.Try(Held(FolderService(context_, CSIDL_STARTUP))) == Verdict::Held &&
        common.Try(FolderService(context_, CSIDL_COMMON_STARTUP)) == Verdict::Answered)
        return;

    const Verdict shellAnswer = user.Try(shell.Folder(CSIDL_STARTUP));
    if (!shell.Obtained())
        return;
    if (shellAnswer != Verdict::Failed) { // the shell knows the user's folder
        common.Try(shell.Folder(CSIDL_COMMON_STARTUP));
        return;
    }

    user.Try(ShellFoldersValue(context_, ShellFoldersKeyFor(context_), "StartUp"));
    user.Try(Default(*this, QUELLIN_PROGRAMS_FOLDER, "Startup"));
    common.Try([this, &user, slot] {
        const char* detail = "StartupFolder (the same folder)";
        Outcome outcome =
            !user.Answered() || slots_[slot].empty()
                ? Failure(kDefaultSource, detail,
                          Finding(QUELLIN_OUTCOME_NO_FOLDER, "no folder: StartupFolder is empty"))
                : Answer(kDefaultSource, detail, slots_[slot]);
        outcome.wideFolder = wide_[slot];
        outcome.baseSlot = slot;
        return outcome;
    });
}

// On Windows 98 and Me shfolder.dll makes the folder itself (create flag); elsewhere, with
// shfolder.dll at hand, it is "My Pictures" in the documents folder, created here. Without
// shfolder.dll only the shell is asked.
void CSystemFolders::ResolveMyPicturesFolder(QuellinSlot slot) {
    if (context_.FolderService() != nullptr) {
        if (context_.Windows98OrMe())
            Resolve(slot, {FolderService(context_, CSIDL_MYPICTURES | CSIDL_FLAG_CREATE)});
        else
            Resolve(slot, {Created(Default(*this, QUELLIN_PERSONAL_FOLDER, "My Pictures"))});
        return;
    }
    ShellSession shell(context_);
    Resolve(slot, {shell.Folder(CSIDL_MYPICTURES)});
}
