// Process creation and waiting (CreateProcessA, WaitForSingleObject) and the thread's message
// queue (PeekMessageA, TranslateMessage, DispatchMessageA).
//
// Whether a start succeeds is scripted by the test (Processes::startFails), as is the time a
// started process runs, counted in waits on its handle. The simulated machine has no windows
// and no keyboard: TranslateMessage posts no character messages, and DispatchMessageA finds
// no window procedure for any message.
#include "internal.h"

#include <winsim/process.h>

namespace winsim {

void Processes::Reset() {
    *this = Processes();
}

void Processes::Post(UINT message, WPARAM wParam, LPARAM lParam) {
    MSG m = {};
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    queue.push_back(m);
}

bool Processes::IsProcessOrThreadHandle(HANDLE handle) const {
    for (const StartedProcess& p : started)
        if (handle == &p.processObject || handle == &p.threadObject)
            return true;
    return false;
}

size_t Processes::CountEvents(const std::string& prefix) const {
    size_t n = 0;
    for (const std::string& e : events)
        n += e.compare(0, prefix.size(), prefix) == 0;
    return n;
}

namespace {

// Windows' error for a message addressed to a window that does not exist.
const DWORD kInvalidWindowHandle = 1400; // ERROR_INVALID_WINDOW_HANDLE

// Longest command line Windows accepts, in characters with the terminating zero.
const size_t kMaxCommandLine = 32767;

StartedProcess* ByHandle(HANDLE handle) {
    for (StartedProcess& p : machine().processes.started)
        if (handle == &p.processObject || handle == &p.threadObject)
            return &p;
    return nullptr;
}

// Whether a queued message passes PeekMessageA's window and range filters.
bool Matches(const MSG& m, HWND window, UINT first, UINT last) {
    if (window == reinterpret_cast<HWND>(-1)) {
        if (m.hwnd != nullptr)
            return false; // only messages posted to the thread itself
    } else if (window != nullptr && m.hwnd != window) {
        return false;
    }
    if (first == 0 && last == 0)
        return true;
    return m.message >= first && m.message <= last;
}

} // namespace
} // namespace winsim

using winsim::Enter;
using winsim::machine;

extern "C" {

BOOL WINAPI CreateProcessA(LPCSTR lpApplicationName, LPSTR lpCommandLine,
                           LPSECURITY_ATTRIBUTES lpProcessAttributes,
                           LPSECURITY_ATTRIBUTES lpThreadAttributes, BOOL bInheritHandles,
                           DWORD dwCreationFlags, LPVOID lpEnvironment, LPCSTR lpCurrentDirectory,
                           LPSTARTUPINFOA lpStartupInfo,
                           LPPROCESS_INFORMATION lpProcessInformation) {
    winsim::Processes& p = machine().processes;
    winsim::ProcessStart start;
    start.hasApplicationName = lpApplicationName != nullptr;
    start.applicationName = winsim::Text(lpApplicationName);
    start.hasCommandLine = lpCommandLine != nullptr;
    start.commandLine = winsim::Text(lpCommandLine);
    start.processAttributes = lpProcessAttributes != nullptr;
    start.threadAttributes = lpThreadAttributes != nullptr;
    start.inheritHandles = bInheritHandles;
    start.creationFlags = dwCreationFlags;
    start.environment = lpEnvironment != nullptr;
    start.currentDirectory = lpCurrentDirectory != nullptr;
    start.currentDirectoryText = winsim::Text(lpCurrentDirectory);
    if (lpStartupInfo != nullptr) {
        const unsigned char* bytes = reinterpret_cast<const unsigned char*>(lpStartupInfo);
        start.startupInfo.assign(bytes, bytes + sizeof(STARTUPINFOA));
    }
    start.processInformation = lpProcessInformation != nullptr;
    const winsim::Kernel& k = machine().kernel;
    start.callerCurrentDirectory = winsim::AnsiAnswer(k.currentDirectory, k.currentDirectoryW);
    p.starts.push_back(start);

    if (Enter("CreateProcessA",
              start.hasApplicationName ? start.applicationName : start.commandLine, p.startError))
        return FALSE;
    if ((lpApplicationName == nullptr && lpCommandLine == nullptr) || lpStartupInfo == nullptr ||
        lpProcessInformation == nullptr ||
        start.commandLine.size() + 1 >= winsim::kMaxCommandLine) {
        winsim::SetError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (p.startFails) {
        winsim::SetError(p.startError);
        return FALSE;
    }
    winsim::StartedProcess process;
    DWORD n = static_cast<DWORD>(p.started.size());
    process.processId = 0x100 + 8 * n;
    process.threadId = 0x104 + 8 * n;
    process.waitsLeft = p.waitsUntilExit;
    p.started.push_back(process);
    winsim::StartedProcess& s = p.started.back();
    lpProcessInformation->hProcess = &s.processObject;
    lpProcessInformation->hThread = &s.threadObject;
    lpProcessInformation->dwProcessId = s.processId;
    lpProcessInformation->dwThreadId = s.threadId;
    return TRUE;
}

// Process and thread handles are signalled once the process has ended; each wait on a running
// process counts towards its end. An INFINITE wait lasts until the end.
DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
    winsim::Processes& p = machine().processes;
    std::string wait = "WAIT " + std::to_string(dwMilliseconds);
    if (Enter("WaitForSingleObject", std::to_string(dwMilliseconds), ERROR_INVALID_HANDLE)) {
        p.events.push_back(wait + " FAILED");
        return WAIT_FAILED;
    }
    winsim::StartedProcess* process = winsim::ByHandle(hHandle);
    if (process == nullptr) {
        winsim::SetError(ERROR_INVALID_HANDLE);
        p.events.push_back(wait + " FAILED");
        return WAIT_FAILED;
    }
    if (process->waitsLeft > 0 && dwMilliseconds != INFINITE) {
        --process->waitsLeft;
        p.events.push_back(wait + " TIMEOUT");
        return WAIT_TIMEOUT;
    }
    process->waitsLeft = 0;
    p.events.push_back(wait + " ENDED");
    return WAIT_OBJECT_0;
}

// Takes the first queued message that passes the filters; PM_REMOVE removes it. Other flags
// are accepted and ignored.
BOOL WINAPI PeekMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax,
                         UINT wRemoveMsg) {
    winsim::Processes& p = machine().processes;
    // The detail names the arguments: "<window> <first>-<last> <flags>", window "null",
    // "thread" (-1) or "window".
    std::string window = hWnd == nullptr                      ? "null"
                         : hWnd == reinterpret_cast<HWND>(-1) ? "thread"
                                                              : "window";
    std::string detail = window + " " + std::to_string(wMsgFilterMin) + "-" +
                         std::to_string(wMsgFilterMax) + " " + std::to_string(wRemoveMsg);
    if (Enter("PeekMessageA", detail, ERROR_INVALID_PARAMETER)) {
        p.events.push_back("PEEK none");
        return FALSE;
    }
    if (lpMsg == nullptr) {
        winsim::SetError(ERROR_INVALID_PARAMETER);
        p.events.push_back("PEEK none");
        return FALSE;
    }
    for (auto it = p.queue.begin(); it != p.queue.end(); ++it) {
        if (!winsim::Matches(*it, hWnd, wMsgFilterMin, wMsgFilterMax))
            continue;
        *lpMsg = *it;
        if (wRemoveMsg & PM_REMOVE)
            p.queue.erase(it);
        p.events.push_back("PEEK " + std::to_string(lpMsg->message));
        return TRUE;
    }
    p.events.push_back("PEEK none");
    return FALSE;
}

// Nonzero for the key messages, which Windows always reports as translated; no character
// message is posted here (the machine has no keyboard layout).
BOOL WINAPI TranslateMessage(const MSG* lpMsg) {
    std::string number = lpMsg ? std::to_string(lpMsg->message) : std::string("null");
    machine().processes.events.push_back("TRANSLATE " + number);
    if (Enter("TranslateMessage", number, ERROR_INVALID_PARAMETER) || lpMsg == nullptr)
        return FALSE;
    switch (lpMsg->message) {
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
        return TRUE;
    default:
        return FALSE;
    }
}

// A message posted to the thread has no window procedure to go to and yields 0; a message for
// a window fails, as the machine has no windows.
LRESULT WINAPI DispatchMessageA(const MSG* lpMsg) {
    std::string number = lpMsg ? std::to_string(lpMsg->message) : std::string("null");
    machine().processes.events.push_back("DISPATCH " + number);
    if (Enter("DispatchMessageA", number, ERROR_INVALID_PARAMETER))
        return 0;
    if (lpMsg == nullptr) {
        winsim::SetError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (lpMsg->hwnd != nullptr)
        winsim::SetError(winsim::kInvalidWindowHandle);
    return 0;
}

} // extern "C"
