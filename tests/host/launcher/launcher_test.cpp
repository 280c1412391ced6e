// The setup launcher against the simulated machine: the program path and command line it
// builds from the current directory, the arguments of the start, the wait with its message
// servicing, and its exit code in every outcome.
#include "machine_fixture.h"

#include <windows.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int);

namespace {

class Launcher : public MachineTest {
  protected:
    // Runs the launcher as the runtime would, with an empty argument text.
    // Every block of local memory it took is freed again when it returns.
    int Run(const char* arguments = "") {
        std::string text = arguments;
        const int result = WinMain(winsim::ExecutableModule(), nullptr, &text[0], 10);
        EXPECT_TRUE(M().memory.live.empty());
        return result;
    }
    const winsim::ProcessStart& OnlyStart() {
        EXPECT_EQ(M().processes.starts.size(), 1u);
        static const winsim::ProcessStart none;
        return M().processes.starts.empty() ? none : M().processes.starts[0];
    }
    std::vector<std::string>& Events() { return M().processes.events; }
};

std::string CommandLineFor(const std::string& setupFolder) {
    return " /nocheck /spath=\"" + setupFolder + "\"";
}

struct PathCase {
    const char* directory;
    const char* program;
    const char* setupFolder;
};

TEST_F(Launcher, BuildsProgramPathAndCommandLineFromTheCurrentDirectory) {
    const PathCase cases[] = {
        {"D:\\Install", "D:\\Install\\Setup32.exe", "D:\\Install\\Setup"},
        {"D:\\", "D:\\Setup32.exe", "D:\\Setup"},
        {"D:\\Program Files\\Inkvale Suite 9\\CD 1",
         "D:\\Program Files\\Inkvale Suite 9\\CD 1\\Setup32.exe",
         "D:\\Program Files\\Inkvale Suite 9\\CD 1\\Setup"},
        {"\\\\server\\share\\source", "\\\\server\\share\\source\\Setup32.exe",
         "\\\\server\\share\\source\\Setup"},
    };
    for (const PathCase& c : cases) {
        SCOPED_TRACE(c.directory);
        M().Reset();
        M().kernel.currentDirectory = c.directory;
        EXPECT_EQ(Run(), 0);
        const winsim::ProcessStart& start = OnlyStart();
        EXPECT_TRUE(start.hasApplicationName);
        EXPECT_EQ(start.applicationName, c.program);
        EXPECT_EQ(start.commandLine, CommandLineFor(c.setupFolder));
        std::string withBackslash =
            std::string(c.program).substr(0, start.applicationName.size() - 11);
        EXPECT_EQ(M().calls.Details("SetCurrentDirectoryA"),
                  std::vector<std::string>{withBackslash});
    }
}

// On NT the current directory is read wide and named in the ANSI code page by its exact name,
// checked by converting back; where the code page has only a look-alike ('Ł' as 'L' in 1252,
// 'é' as 'e' in 932) or no character at all, by its short name, for the program, the "Setup"
// folder and the directory set alike; without a short name the code page writes exactly, or
// without the wide calls, nothing is started. The Windows 95 family reads the ANSI name.
TEST_F(Launcher, DirectoryIsNamedByItsExactAnsiNameElseItsShortName) {
    const std::wstring cyrillic = L"C:\\\x0417\x0430\x0433\x0440\x0443\x0437\x043a\x0438\\Suite";
    const std::wstring korean = L"C:\\\xb2e4\xc6b4\\Suite";
    const std::wstring polish = L"C:\\users\\\x0141ukasz\\Downloads\\Suite";
    const std::wstring french = L"C:\\users\\H\x00e9l\x00e8ne\\Suite";
    const std::wstring plain = L"C:\\users\\Lucas\\Downloads\\Suite";
    struct Case {
        const char* name;
        UINT acp;
        std::wstring directory;
        bool shortNames;
        const char* failing;  // an API made to fail
        const char* expected; // the directory used; "": its exact ANSI name; null: nothing
    } cases[] = {
        {"Cyrillic under 1252", 1252, cyrillic, true, nullptr, "C:\\______~1\\Suite"},
        {"Korean under 932", 932, korean, true, nullptr, "C:\\__~1\\Suite"},
        {"Cyrillic under 932: its ANSI name", 932, cyrillic, true, nullptr, ""},
        {"a look-alike under 1252", 1252, polish, true, nullptr,
         "C:\\users\\_UKASZ~1\\DOWNLO~1\\Suite"},
        {"a look-alike under 932", 932, french, true, nullptr, "C:\\users\\H_L_NE~1\\Suite"},
        {"accents under 1252: the ANSI name", 1252, french, true, nullptr, ""},
        {"code page 65001: the UTF-8 name", CP_UTF8, polish, true, nullptr,
         "C:\\users\\\xC5\x81ukasz\\Downloads\\Suite"},
        {"ASCII: the ANSI name", 1252, plain, true, nullptr, ""},
        {"a look-alike without short names", 1252, polish, false, nullptr, nullptr},
        {"a drive without short names", 1252, cyrillic, false, nullptr, nullptr},
        {"the wide calls not bound", 1252, cyrillic, true, "GetProcAddress", nullptr},
        {"GetCurrentDirectoryW failing", 1252, cyrillic, true, "GetCurrentDirectoryW", nullptr},
        {"GetShortPathNameW failing", 1252, cyrillic, true, "GetShortPathNameW", nullptr},
        {"the conversion failing", 1252, cyrillic, true, "WideCharToMultiByte", nullptr},
        {"the conversion back failing", 1252, plain, true, "MultiByteToWideChar", nullptr},
        {"no memory", 1252, plain, true, "LocalAlloc", nullptr},
    };
    const std::set<std::string> allowed = {"GetVersion",
                                           "GetModuleHandleA",
                                           "GetProcAddress",
                                           "GetCurrentDirectoryW",
                                           "GetACP",
                                           "WideCharToMultiByte",
                                           "MultiByteToWideChar",
                                           "GetShortPathNameW",
                                           "LocalAlloc",
                                           "LocalFree",
                                           "SetCurrentDirectoryA",
                                           "CreateProcessA",
                                           "WaitForSingleObject",
                                           "GetCurrentDirectoryA"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        M().Reset();
        M().codePage.acp = c.acp;
        if (!c.shortNames)
            M().files.WithoutShortNames('C');
        M().files.AddDirectory(c.directory);
        M().kernel.currentDirectoryW = c.directory;
        if (c.failing != nullptr)
            M().calls.FailApi(c.failing);
        EXPECT_EQ(Run(), 0);
        for (const winsim::Call& call : M().calls.calls)
            EXPECT_TRUE(allowed.count(call.api)) << call.api;
        if (c.expected == nullptr) {
            EXPECT_TRUE(M().processes.starts.empty());
            continue;
        }
        const std::string expected =
            *c.expected != '\0' ? c.expected : M().codePage.ToAnsi(c.directory);
        EXPECT_EQ(OnlyStart().applicationName, expected + "\\Setup32.exe");
        EXPECT_EQ(OnlyStart().commandLine, CommandLineFor(expected + "\\Setup"));
        EXPECT_EQ(M().calls.Details("SetCurrentDirectoryA"),
                  std::vector<std::string>{expected + "\\"});
        // A short name is asked for only when the exact name fails.
        EXPECT_EQ(M().calls.Count("GetShortPathNameW"),
                  expected.find('~') != std::string::npos ? 2u : 0u);
        EXPECT_EQ(M().calls.Count("GetCurrentDirectoryA"), 0u);
    }

    // The Windows 95 family keeps its names in the ANSI code page and lacks the wide calls.
    M().Reset();
    M().version.Windows98();
    M().kernel.currentDirectory = "C:\\Eigene Dateien\\Suite";
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(OnlyStart().applicationName, "C:\\Eigene Dateien\\Suite\\Setup32.exe");
    EXPECT_EQ(M().calls.Count("GetProcAddress"), 0u);
    EXPECT_EQ(M().calls.Count("GetCurrentDirectoryW"), 0u);
}

TEST_F(Launcher, StartsWithInheritedEnvironmentAndDirectoryAndAZeroedStartupRecord) {
    Run();
    const winsim::ProcessStart& start = OnlyStart();
    EXPECT_FALSE(start.processAttributes);
    EXPECT_FALSE(start.threadAttributes);
    EXPECT_EQ(start.inheritHandles, FALSE);
    EXPECT_EQ(start.creationFlags, 0u);
    EXPECT_FALSE(start.environment);
    EXPECT_FALSE(start.currentDirectory);
    EXPECT_TRUE(start.processInformation);
    ASSERT_EQ(start.startupInfo.size(), sizeof(STARTUPINFOA));
    STARTUPINFOA expected;
    std::memset(&expected, 0, sizeof expected);
    expected.cb = sizeof expected;
    EXPECT_EQ(std::memcmp(start.startupInfo.data(), &expected, sizeof expected), 0);
}

TEST_F(Launcher, IgnoresItsOwnArguments) {
    M().kernel.currentDirectory = "D:\\Install";
    EXPECT_EQ(Run("/spath=\"C:\\Elsewhere\" /quiet"), 0);
    EXPECT_EQ(OnlyStart().commandLine, CommandLineFor("D:\\Install\\Setup"));
}

// A trail byte 0x5C of a double-byte character is not a backslash of its own.
TEST_F(Launcher, DoubleByteCharacterEndingInTrailByte5CStillGetsItsBackslash) {
    M().codePage.acp = 932;
    const std::string folder = "D:\\\x95\x5C"; // a directory named by one double-byte character
    M().kernel.currentDirectory = folder;
    Run();
    EXPECT_EQ(OnlyStart().applicationName, folder + "\\Setup32.exe");
    EXPECT_EQ(OnlyStart().commandLine, CommandLineFor(folder + "\\Setup"));

    M().Reset();
    M().codePage.acp = 932;
    M().kernel.currentDirectory = "D:\\";
    Run();
    EXPECT_EQ(OnlyStart().applicationName, "D:\\Setup32.exe");
}

TEST_F(Launcher, FailedStartEndsAtOnceWithoutWaiting) {
    M().processes.startFails = true;
    M().processes.Post(WM_USER);
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(M().processes.starts.size(), 1u);
    EXPECT_TRUE(Events().empty());
    EXPECT_EQ(M().calls.Count("WaitForSingleObject"), 0u);
    EXPECT_EQ(M().processes.queue.size(), 1u);
}

TEST_F(Launcher, ProgramEndingAtOnceTakesNoMessage) {
    M().processes.waitsUntilExit = 0;
    M().processes.Post(WM_USER);
    M().processes.Post(WM_USER + 1);
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(Events(), std::vector<std::string>{"WAIT 1 ENDED"});
    EXPECT_EQ(M().processes.queue.size(), 2u);
}

TEST_F(Launcher, TakesOneMessagePerWaitEachTranslatedThenDispatched) {
    M().processes.waitsUntilExit = 5;
    M().processes.Post(WM_USER + 1);
    M().processes.Post(WM_TIMER);
    M().processes.Post(WM_USER + 2);
    M().processes.queue[1].hwnd = reinterpret_cast<HWND>(0x40); // for some window: taken too
    EXPECT_EQ(Run(), 0);
    const std::vector<std::string> expected = {
        "WAIT 1 TIMEOUT", "PEEK 1025",     "TRANSLATE 1025", "DISPATCH 1025",  "WAIT 1 TIMEOUT",
        "PEEK 275",       "TRANSLATE 275", "DISPATCH 275",   "WAIT 1 TIMEOUT", "PEEK 1026",
        "TRANSLATE 1026", "DISPATCH 1026", "WAIT 1 TIMEOUT", "PEEK none",      "WAIT 1 TIMEOUT",
        "PEEK none",      "WAIT 1 ENDED",
    };
    EXPECT_EQ(Events(), expected);
    EXPECT_TRUE(M().processes.queue.empty());
    for (const std::string& detail : M().calls.Details("PeekMessageA"))
        EXPECT_EQ(detail, "null 0-0 1"); // any window of the thread, no filter, removed
}

TEST_F(Launcher, WaitsOnTheStartedProcessHandle) {
    M().processes.waitsUntilExit = 3;
    Run();
    ASSERT_EQ(M().processes.started.size(), 1u);
    EXPECT_EQ(M().processes.started[0].waitsLeft, 0); // every wait was on its process handle
    EXPECT_EQ(M().processes.CountEvents("WAIT 1 TIMEOUT"), 3u);
}

// The exit code of the started program is never asked for, Quellin never loaded: the
// launcher calls nothing beyond these.
TEST_F(Launcher, CallsOnlyDirectoryProcessAndMessageServices) {
    M().processes.waitsUntilExit = 2;
    M().processes.Post(WM_USER);
    Run();
    const std::set<std::string> allowed = {"GetVersion",
                                           "GetModuleHandleA",
                                           "GetProcAddress",
                                           "GetCurrentDirectoryW",
                                           "GetACP",
                                           "LocalAlloc",
                                           "LocalFree",
                                           "WideCharToMultiByte",
                                           "MultiByteToWideChar",
                                           "SetCurrentDirectoryA",
                                           "CreateProcessA",
                                           "WaitForSingleObject",
                                           "PeekMessageA",
                                           "TranslateMessage",
                                           "DispatchMessageA"};
    for (const winsim::Call& call : M().calls.calls)
        EXPECT_TRUE(allowed.count(call.api)) << call.api;
}

TEST_F(Launcher, FailedSetCurrentDirectoryIsIgnored) {
    M().calls.FailApi("SetCurrentDirectoryA");
    M().kernel.currentDirectory = "D:\\Install";
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(OnlyStart().applicationName, "D:\\Install\\Setup32.exe");
}

// A wait that fails would fail again: the launcher stops waiting instead of spinning.
TEST_F(Launcher, FailedWaitEndsTheWaiting) {
    M().processes.waitsUntilExit = 1000;
    M().calls.FailApi("WaitForSingleObject");
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(Events(), std::vector<std::string>{"WAIT 1 FAILED"});
}

// How each family reads the current directory: NT wide, the Windows 95 family in ANSI.
struct Family {
    const char* name;
    void (*set)(winsim::Versions&);
    const char* read;
};
const Family kFamilies[] = {
    {"NT", [](winsim::Versions& v) { v.WindowsXP(); }, "GetCurrentDirectoryW"},
    {"Windows 98", [](winsim::Versions& v) { v.Windows98(); }, "GetCurrentDirectoryA"},
};

// No current directory known: nothing is started (an empty directory would name a
// Setup32.exe in the root of whatever drive is current).
TEST_F(Launcher, UnreadableCurrentDirectoryStartsNothing) {
    for (const Family& family : kFamilies) {
        SCOPED_TRACE(family.name);
        M().Reset();
        family.set(M().version);
        M().calls.FailApi(family.read);
        EXPECT_EQ(Run(), 0);
        EXPECT_TRUE(M().processes.starts.empty());
        EXPECT_EQ(M().calls.Count("SetCurrentDirectoryA"), 0u);
    }
}

// Directories near and beyond the length where fixed MAX_PATH buffers would overflow: the
// whole text always reaches CreateProcessA, never a cut one.
TEST_F(Launcher, LongCurrentDirectoryIsPassedOnWhole) {
    for (const Family& family : kFamilies) {
        for (size_t length : {234u, 235u, 236u, 248u, 249u, 258u, 259u, 260u, 300u, 1000u}) {
            SCOPED_TRACE(std::string(family.name) + ", " + std::to_string(length));
            M().Reset();
            family.set(M().version);
            std::string directory = "D:\\" + std::string(length - 3, 'a');
            M().kernel.currentDirectory = directory;
            EXPECT_EQ(Run(), 0);
            EXPECT_EQ(OnlyStart().applicationName, directory + "\\Setup32.exe");
            EXPECT_EQ(OnlyStart().commandLine, CommandLineFor(directory + "\\Setup"));
            EXPECT_EQ(M().calls.Count(family.read), length < MAX_PATH ? 1u : 2u);
        }
    }
}

TEST_F(Launcher, LongDirectoryWhoseSecondReadFailsStartsNothing) {
    for (const Family& family : kFamilies) {
        SCOPED_TRACE(family.name);
        // A first run finds the position of the second read, with the size asked for.
        M().Reset();
        family.set(M().version);
        M().kernel.currentDirectory = "D:\\" + std::string(400, 'a');
        Run();
        size_t second = 0, reads = 0;
        for (size_t i = 0; i < M().calls.calls.size() && reads < 2; ++i)
            if (M().calls.calls[i].api == family.read && ++reads == 2)
                second = i;
        ASSERT_EQ(reads, 2u);

        M().Reset();
        family.set(M().version);
        M().kernel.currentDirectory = "D:\\" + std::string(400, 'a');
        M().calls.FailCallAt(second);
        EXPECT_EQ(Run(), 0);
        EXPECT_EQ(M().calls.Count(family.read), 2u);
        EXPECT_TRUE(M().processes.starts.empty());
    }
}

// A command line Windows refuses makes the start fail, and the launcher ends as for any
// failed start.
TEST_F(Launcher, DirectoryTooLongForACommandLineEndsLikeAFailedStart) {
    M().kernel.currentDirectory = "D:\\" + std::string(33000, 'a');
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(M().processes.starts.size(), 1u);
    EXPECT_TRUE(M().processes.started.empty());
    EXPECT_TRUE(Events().empty());
}

} // namespace
