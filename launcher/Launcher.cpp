// The setup launcher. It lies in the installation source beside Setup32.exe and the "Setup"
// folder; started with that folder as its current directory, it starts Setup32.exe from there,
// handing it the "Setup" folder on its command line, and waits for it while keeping this
// thread's message queue serviced. It shows nothing and always ends with exit code 0.
//
// The paths are built in buffers sized to their text, so a long current directory never
// overflows anything and never yields a cut path: whatever length Windows reports is passed
// on whole, and CreateProcessA alone decides whether it can start a program of that name.
//
// A folder whose name the ANSI code page cannot write (a download below a user folder named
// in Cyrillic on a Western machine) reads through GetCurrentDirectoryA with '?' in its place,
// and '?' names nothing. The launcher then names the folder by its short (8.3) name, which is
// plain ASCII, for the program and for the "Setup" folder alike; Setup32.exe is an ANSI
// program and gets the same command line as from any other folder. The wide functions this
// takes are looked up by name, so that the launcher still loads on Windows 95, which lacks
// them (and never needs them: its file names are ANSI).
#include <windows.h>

#include <cstring>
#include <string>

namespace {

const char kSetupProgram[] = "Setup32.exe";
const char kSetupFolder[] = "Setup";
const char kArgumentsBeforePath[] = " /nocheck /spath=\"";
const char kArgumentsAfterPath[] = "\"";

// The current directory as GetCurrentDirectoryA (or W) reports it, or an empty string when it
// cannot be read. A first try uses MAX_PATH characters; when Windows asks for more, a second
// try gets exactly the size it asked for. The directory cannot change in between (one
// thread), so a second answer that still does not fit is treated as a failure, never cut.
template <typename Char, typename Get> std::basic_string<Char> CurrentDirectory(Get get) {
    std::basic_string<Char> directory(MAX_PATH, Char(0));
    for (int attempt = 0; attempt < 2; ++attempt) {
        DWORD length = get(static_cast<DWORD>(directory.size()), &directory[0]);
        if (length == 0)
            return std::basic_string<Char>();
        if (length < directory.size()) {
            directory.resize(length);
            return directory;
        }
        directory.assign(length, Char(0)); // too small: `length` is the size needed
    }
    return std::basic_string<Char>();
}

typedef DWORD(WINAPI* PFNGETCURRENTDIRECTORYW)(DWORD, LPWSTR);
typedef DWORD(WINAPI* PFNGETSHORTPATHNAMEW)(LPCWSTR, LPWSTR, DWORD);

template <typename F> F Kernel32Function(const char* name) {
    HMODULE kernel32 = GetModuleHandleA("KERNEL32.DLL");
    if (kernel32 == nullptr)
        return nullptr;
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(kernel32, name)));
}

// The current directory by its short name, in ANSI, or an empty string when it has none that
// the code page writes whole (a volume without short names, a call missing or failing).
std::string ShortCurrentDirectory() {
    auto getCurrentDirectory = Kernel32Function<PFNGETCURRENTDIRECTORYW>("GetCurrentDirectoryW");
    auto getShortPathName = Kernel32Function<PFNGETSHORTPATHNAMEW>("GetShortPathNameW");
    if (getCurrentDirectory == nullptr || getShortPathName == nullptr)
        return std::string();
    const std::wstring directory = CurrentDirectory<WCHAR>(getCurrentDirectory);
    if (directory.empty())
        return std::string();
    // The size needed, then the short path in a buffer of exactly that size; an answer that
    // does not fit it is no short path.
    DWORD needed = getShortPathName(directory.c_str(), nullptr, 0);
    if (needed == 0)
        return std::string();
    std::wstring shortPath(needed, L'\0');
    DWORD length = getShortPathName(directory.c_str(), &shortPath[0], needed);
    if (length == 0 || length >= needed)
        return std::string();
    shortPath.resize(length);
    BOOL usedDefault = FALSE;
    int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, shortPath.c_str(),
                                   static_cast<int>(length), nullptr, 0, nullptr, &usedDefault);
    if (size <= 0 || usedDefault)
        return std::string();
    std::string text(static_cast<size_t>(size), '\0');
    int written =
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, shortPath.c_str(),
                            static_cast<int>(length), &text[0], size, nullptr, &usedDefault);
    if (written != size || usedDefault)
        return std::string();
    return text;
}

// Whether the ANSI text holds '?', which stands where the code page lacks a character. No
// ANSI code page has 0x3F as a trail byte, so every 0x3F is a '?' of its own.
bool HoldsUnwritableCharacter(const std::string& text) {
    return text.find('?') != std::string::npos;
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
    std::string directory = CurrentDirectory<char>(GetCurrentDirectoryA);
    if (!directory.empty() && HoldsUnwritableCharacter(directory))
        directory = ShortCurrentDirectory();
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
