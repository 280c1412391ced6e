// Processes started by the code under test, and the thread's message queue.
#pragma once

#include <windef.h>
#include <winuser.h>

#include <deque>
#include <string>
#include <vector>

namespace winsim {

// One CreateProcessA call, every argument recorded.
struct ProcessStart {
    bool hasApplicationName = false; // a non-null application name was passed
    std::string applicationName;
    bool hasCommandLine = false;
    std::string commandLine;
    bool processAttributes = false; // non-null pointers passed
    bool threadAttributes = false;
    BOOL inheritHandles = FALSE;
    DWORD creationFlags = 0;
    bool environment = false; // a block of its own was passed (null: the caller's is inherited)
    bool currentDirectory = false; // a directory was passed (null: the caller's is inherited)
    std::string currentDirectoryText;
    // The start-up information record as passed: its bytes (sizeof(STARTUPINFOA) of them),
    // empty when the pointer was null.
    std::vector<unsigned char> startupInfo;
    bool processInformation = false; // the output record's pointer was non-null
    // The caller's current directory at the moment of the call.
    std::string callerCurrentDirectory;
};

// A process started by a successful CreateProcessA.
struct StartedProcess {
    DWORD processId = 0;
    DWORD threadId = 0;
    int waitsLeft = 0; // waits that still time out before the process has ended
    // Their addresses serve as the process and thread handles.
    char processObject = 0;
    char threadObject = 0;
};

class Processes {
  public:
    // Set-up of the next CreateProcessA calls: whether they fail (and with which error), and
    // after how many waits the started process ends: with waitsUntilExit = n, the first n
    // waits on its handle time out and the next one reports it ended (0: ended before the
    // first wait).
    bool startFails = false;
    DWORD startError = 2; // ERROR_FILE_NOT_FOUND
    int waitsUntilExit = 0;
    // Messages waiting in the thread's queue, in order. PeekMessageA takes them from here.
    std::deque<MSG> queue;

    // What the code did. `starts`: every CreateProcessA call, failed ones included. `events`,
    // in order: "WAIT <milliseconds> <result>" (result TIMEOUT, ENDED or FAILED), "PEEK <n>"
    // with n the message taken or "PEEK none", "TRANSLATE <n>", "DISPATCH <n>"; message
    // numbers are decimal.
    std::vector<ProcessStart> starts;
    std::vector<std::string> events;
    // The processes that CreateProcessA started, in order of start.
    std::deque<StartedProcess> started;

    // Puts a message for the thread (no window) at the end of the queue.
    void Post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    // Whether a handle is the process or thread handle of a started process (for CloseHandle,
    // which may close them).
    bool IsProcessOrThreadHandle(HANDLE handle) const;
    // Number of events whose text begins with `prefix` ("WAIT", "PEEK", ...).
    size_t CountEvents(const std::string& prefix) const;

    // The launcher keeps the handles of the process it started until its own process ends,
    // as Windows then releases them; they are not counted as left open.
    std::vector<std::string> OpenResources() const { return {}; }
    void Reset();
};

} // namespace winsim
