// What the attach saw, as a record.
#include "folders/AttachRecord.h"

#include "folders/AttachContext.h"
#include "folders/FolderRecord.h"
#include "strings/Strings.h"

#include <windows.h>

#include <algorithm>
#include <string>

namespace {

RecordEntry Fact(DWORD kind, const std::string& detail, const Finding& outcome) {
    RecordEntry entry;
    entry.kind = kind;
    entry.detail = detail;
    entry.outcome = CodeOr(outcome.code, QUELLIN_OUTCOME_ANSWERED);
    entry.error = outcome.error;
    entry.result = outcome.result;
    entry.text = outcome.text;
    return entry;
}

RecordEntry CurrentDirectoryFact(const AttachContext& context) {
    const char* call = "GetCurrentDirectoryA";
    if (context.CurrentDirectory().empty()) {
        if (context.CurrentDirectoryError() != 0)
            return Fact(QUELLIN_KIND_CURRENT_DIRECTORY, call,
                        FailedError(context.CurrentDirectoryError()));
        return Fact(QUELLIN_KIND_CURRENT_DIRECTORY, call,
                    Finding(QUELLIN_OUTCOME_TOO_LONG, "too long for 260 bytes"));
    }
    RecordEntry entry = Fact(QUELLIN_KIND_CURRENT_DIRECTORY, call, context.CurrentDirectory());
    entry.folder = context.CurrentDirectory();
    entry.stored.Set(context.CurrentDirectory());
    return entry;
}

RecordEntry FolderServiceFact(const AttachContext& context) {
    if (context.FolderServicePath().empty())
        return Fact(QUELLIN_KIND_FOLDER_SERVICE, "(no current directory)",
                    Finding(QUELLIN_OUTCOME_NOT_LOOKED_FOR, "not looked for"));
    const std::string& path = context.FolderServicePath();
    if (!context.FolderServiceLoaded()) {
        const DWORD error = context.FolderServiceLoadError();
        RecordEntry entry =
            Fact(QUELLIN_KIND_FOLDER_SERVICE, path,
                 Finding(QUELLIN_OUTCOME_NOT_LOADED, "not loaded: " + ErrorText(error), error));
        entry.facts[0] = error;
        return entry;
    }
    const std::string module = context.FolderServiceModuleName().empty()
                                   ? std::string("(file name unknown)")
                                   : context.FolderServiceModuleName();
    RecordEntry entry = context.FolderService() == nullptr
                            ? Fact(QUELLIN_KIND_FOLDER_SERVICE, path,
                                   Finding(QUELLIN_OUTCOME_LOADED_WITHOUT_FUNCTION,
                                           "loaded without SHGetFolderPathA: " + module))
                            : Fact(QUELLIN_KIND_FOLDER_SERVICE, path,
                                   Finding(QUELLIN_OUTCOME_LOADED, "loaded: " + module));
    entry.folder = context.FolderServiceModuleName();
    return entry;
}

// "6.2 build 9200, NT family (platform 2)"; the 95 family keeps its build in the low word.
RecordEntry VersionFact(const AttachContext& context) {
    const char* call = "GetVersionExA";
    if (!context.Version().answered)
        return Fact(QUELLIN_KIND_WINDOWS, call, FailedError(context.VersionError()));
    const OSVERSIONINFOA& info = context.Version().info;
    const DWORD build = info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS
                            ? info.dwBuildNumber & 0xFFFF
                            : info.dwBuildNumber;
    const char* family = context.Windows9x() ? "Windows 95 family"
                         : context.NT()      ? "NT family"
                                             : "neither family";
    std::string text = std::to_string(info.dwMajorVersion) + "." +
                       std::to_string(info.dwMinorVersion) + " build " + std::to_string(build) +
                       ", " + family + " (platform " + std::to_string(info.dwPlatformId) + ")";
    const char* const end = info.szCSDVersion + sizeof info.szCSDVersion;
    // The Windows 95 family writes its release letter between blanks (" A ").
    const std::string servicePack =
        StrTrim(std::string(info.szCSDVersion, std::find(info.szCSDVersion, end, '\0')));
    if (!servicePack.empty())
        text += ", " + servicePack;
    RecordEntry entry = Fact(QUELLIN_KIND_WINDOWS, call, text);
    entry.facts[0] = info.dwMajorVersion;
    entry.facts[1] = info.dwMinorVersion;
    entry.facts[2] = build;
    entry.facts[3] = info.dwPlatformId;
    entry.stored.Set(servicePack);
    return entry;
}

RecordEntry Number(DWORD kind, const char* detail, DWORD number, const std::string& text) {
    RecordEntry entry = Fact(kind, detail, text);
    entry.facts[0] = number;
    return entry;
}

} // namespace

FolderRecord AttachRecordOf(AttachContext& context) {
    FolderRecord record;
    record.Add(CurrentDirectoryFact(context));
    record.Add(FolderServiceFact(context));
    record.Add(VersionFact(context));
    const bool wow64 = context.Wow64() != 0;
    if (!context.Wow64Known())
        record.Add(Fact(
            QUELLIN_KIND_WOW64, "IsWow64Process",
            Finding(QUELLIN_OUTCOME_NOT_ASKED, "not asked: Windows has no such call (not WoW64)")));
    else
        record.Add(Number(QUELLIN_KIND_WOW64, "IsWow64Process", wow64 ? 1 : 0,
                          wow64 ? "a 32-bit process on 64-bit Windows" : "not WoW64"));
    const UINT codePage = GetACP();
    record.Add(Number(QUELLIN_KIND_CODE_PAGE, "GetACP", codePage, std::to_string(codePage)));
    const bool terminalServer = context.TerminalServer() != 0;
    record.Add(Number(QUELLIN_KIND_TERMINAL_SERVER, "IsTerminalServer", terminalServer ? 1 : 0,
                      terminalServer ? "yes" : "no"));
    RecordEntry library =
        Fact(QUELLIN_KIND_LIBRARY, "Quellin.dll", "version " QUELLIN_VERSION_TEXT);
    library.stored.Set(std::string(QUELLIN_VERSION_TEXT));
    record.Add(library);
    const DWORD milliseconds = GetTickCount() - context.StartTick();
    record.Add(Number(QUELLIN_KIND_ATTACH, "GetTickCount", milliseconds,
                      std::to_string(milliseconds) + " ms"));
    return record;
}
