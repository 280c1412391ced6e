// What the attach saw, as a record.
#include "folders/AttachRecord.h"

#include "folders/AttachContext.h"
#include "folders/FolderRecord.h"
#include "strings/Strings.h"

#include <windows.h>

#include <algorithm>

namespace {

std::string CurrentDirectoryOutcome(const AttachContext& context) {
    if (!context.CurrentDirectory().empty())
        return context.CurrentDirectory();
    if (context.CurrentDirectoryError() != 0)
        return FailedError(context.CurrentDirectoryError());
    return "too long for 260 bytes";
}

std::string FolderServiceOutcome(const AttachContext& context) {
    if (!context.FolderServiceLoaded())
        return "not loaded: " + ErrorText(context.FolderServiceLoadError());
    const std::string module = context.FolderServiceModuleName().empty()
                                   ? std::string("(file name unknown)")
                                   : context.FolderServiceModuleName();
    if (context.FolderService() == nullptr)
        return "loaded without SHGetFolderPathA: " + module;
    return "loaded: " + module;
}

// "6.2 build 9200, NT family (platform 2)"; the 95 family keeps its build in the low word.
std::string VersionOutcome(const AttachContext& context) {
    if (!context.Version().answered)
        return FailedError(context.VersionError());
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
    return text;
}

void Line(std::string& record, const char* kind, const std::string& detail,
          const std::string& outcome) {
    FolderRecord line;
    line.Add(kind, detail, outcome);
    record += line.Text(true);
}

} // namespace

std::string AttachRecordText(AttachContext& context) {
    std::string record;
    Line(record, "current directory", "GetCurrentDirectoryA", CurrentDirectoryOutcome(context));
    Line(record, "folder service",
         context.FolderServicePath().empty() ? "(no current directory)"
                                             : context.FolderServicePath(),
         context.FolderServicePath().empty() ? "not looked for" : FolderServiceOutcome(context));
    Line(record, "windows", "GetVersionExA", VersionOutcome(context));
    const bool wow64 = context.Wow64() != 0;
    Line(record, "wow64", "IsWow64Process",
         !context.Wow64Known() ? "not asked: Windows has no such call (not WoW64)"
         : wow64               ? "a 32-bit process on 64-bit Windows"
                               : "not WoW64");
    Line(record, "code page", "GetACP", std::to_string(GetACP()));
    Line(record, "terminal server", "IsTerminalServer", context.TerminalServer() ? "yes" : "no");
    Line(record, "library", "Quellin.dll", "version " QUELLIN_VERSION_TEXT);
    Line(record, "attach", "GetTickCount",
         std::to_string(GetTickCount() - context.StartTick()) + " ms");
    return record;
}
