// Processes started by the code under test, and the thread's message queue.
#pragma once

#include <windef.h>
#include <winuser.h>

#include <string>
#include <vector>

namespace winsim {

// One CreateProcessA call, every argument recorded.
struct ProcessStart {
    std::string applicationName;
    std::string commandLine;
    bool processAttributes = false; // non-null pointers passed
    bool threadAttributes = false;
    BOOL inheritHandles = FALSE;
    DWORD creationFlags = 0;
    bool environment = false;
    bool currentDirectory = false;
    std::string currentDirectoryText;
    std::vector<unsigned char> startupInfo; // the bytes of the record as passed
};

class Processes {
  public:
    // Set-up: whether the next CreateProcessA succeeds (and the error it fails with), and
    // after how many waits the started process has ended (0: ended before the first wait).
    bool startFails = false;
    DWORD startError = 2; // ERROR_FILE_NOT_FOUND
    int waitsUntilExit = 0;
    // Messages waiting in the thread's queue, taken from the front.
    std::vector<MSG> queue;

    // What the code did, in order: "WAIT 1", "PEEK", "TRANSLATE <message>",
    // "DISPATCH <message>".
    std::vector<ProcessStart> starts;
    std::vector<std::string> events;

    std::vector<std::string> OpenResources() const {
        return {};
    } // the launcher keeps its
      // handles to process end
    void Reset();
};

} // namespace winsim
