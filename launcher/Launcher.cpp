// The setup launcher. It lies in the installation source beside Setup32.exe and the "Setup"
// folder; started with that folder as its current directory, it starts Setup32.exe from there,
// handing it the "Setup" folder on its command line, and waits for it while keeping this
// thread's message queue serviced. It shows nothing and always ends with exit code 0.
//
// The paths are built in buffers sized to their text, so a long current directory never
// overflows anything and never yields a cut path: whatever length Windows reports is passed
// on whole, and CreateProcessA alone decides whether it can start a program of that name.
#include <windows.h>

#include <cstring>
#include <string>

namespace {

const char kSetupProgram[] = "Setup32.exe";
const char kSetupFolder[] = "Setup";
const char kArgumentsBeforePath[] = " /nocheck /spath=\"";
const char kArgumentsAfterPath[] = "\"";

// The current directory as GetCurrentDirectoryA reports it, or an empty string when it cannot
// be read. A first try uses MAX_PATH bytes; when Windows asks for more, a second try gets
// exactly the size it asked for. The directory cannot change in between (one thread), so a
// second answer that still does not fit is treated as a failure, never cut.
std::string CurrentDirectory() {
    std::string directory(MAX_PATH, '\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        DWORD length = GetCurrentDirectoryA(static_cast<DWORD>(directory.size()), &directory[0]);
        if (length == 0)
            return std::string();
        if (length < directory.size()) {
            directory.resize(length);
            return directory;
        }
        directory.assign(length, '\0'); // too small: `length` is the size needed
    }
    return std::string();
}

// Whether the text ends with a backslash that is a character of its own, not the trail byte
// of a double-byte character (0x5C is a trail byte in the Far East code pages).
bool EndsWithBackslash(const std::string& text) {
    bool lastIsBackslash = false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (IsDBCSLeadByte(static_cast<BYTE>(text[i])) && i + 1 < text.size()) {
            ++i;
            lastIsBackslash = false;
        } else {
            lastIsBackslash = text[i] == '\\';
        }
    }
    return lastIsBackslash;
}

// Starts the program and, once it runs, waits until its process has ended, taking at most
// one message off this thread's queue between two waits of one millisecond. The handles of
// the started process and its thread are left to the end of this process, which follows
// right after the wait. Returns CreateProcessA's result.
BOOL RunProgram(const std::string& programPath, std::string commandLine) {
    STARTUPINFOA startup;
    std::memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    std::memset(&process, 0, sizeof process);

    BOOL started = CreateProcessA(programPath.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0,
                                  nullptr, nullptr, &startup, &process);
    if (!started)
        return started;

    // Only a time-out means the program still runs; a failed wait ends the waiting as well,
    // since waiting again could never succeed.
    while (WaitForSingleObject(process.hProcess, 1) == WAIT_TIMEOUT) {
        MSG message;
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    return started;
}

} // namespace

// The launcher reads no arguments of its own and ends with 0 whatever happened.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    std::string directory = CurrentDirectory();
    if (directory.empty())
        return 0; // no source folder known: there is nothing sound to start
    if (!EndsWithBackslash(directory))
        directory += '\\';

    SetCurrentDirectoryA(directory.c_str()); // a failure changes nothing that follows

    std::string programPath = directory + kSetupProgram;
    std::string commandLine = kArgumentsBeforePath + directory + kSetupFolder + kArgumentsAfterPath;
    RunProgram(programPath, commandLine);
    return 0;
}
