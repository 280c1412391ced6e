// Network connections: scripted answers per remote name, drive letters mapped and cancelled.
// Served through WNetAddConnectionA and WNetCancelConnectionA.
#include "internal.h"
#include "names.h"

#include <winnetwk.h>

namespace winsim {
namespace {

// The remote name as compared: upper case, no trailing backslash.
std::string RemoteKey(std::string name) {
    if (EndsWithChar(name, '\\'))
        name.pop_back();
    return FoldCase(name);
}

// 'F:' (either case) gives 'F'; anything else 0.
char DriveLetterOf(const std::string& local) {
    if (local.size() != 2 || local[1] != ':')
        return 0;
    char c = local[0];
    if (c >= 'a' && c <= 'z')
        c = static_cast<char>(c - 32);
    return (c >= 'A' && c <= 'Z') ? c : 0;
}

} // namespace

void Network::Answer(const std::string& remoteName, ShareAnswer answer) {
    answers_[RemoteKey(remoteName)] = answer;
}

void Network::Delay(const std::string& remoteName, DWORD milliseconds) {
    delays_[RemoteKey(remoteName)] = milliseconds;
}

int Network::Adds() const {
    int n = 0;
    for (const std::string& t : trials)
        n += t.compare(0, 4, "ADD ") == 0;
    return n;
}

int Network::Cancels() const {
    int n = 0;
    for (const std::string& t : trials)
        n += t.compare(0, 7, "CANCEL ") == 0;
    return n;
}

std::vector<std::string> Network::OpenResources() const {
    std::vector<std::string> open;
    for (const auto& m : mapped)
        open.push_back(std::string("drive mapping ") + m.first + ": -> " + m.second);
    return open;
}

void Network::Reset() {
    trials.clear();
    mapped.clear();
    answers_.clear();
    delays_.clear();
}

DWORD Network::Add(const std::string& remote, const char* password, const std::string& local) {
    trials.push_back("ADD " + remote + " " + local + " password=" +
                     (password ? "'" + std::string(password) + "'" : std::string("null")));
    char letter = 0;
    if (!local.empty()) {
        letter = DriveLetterOf(local);
        if (letter == 0)
            return ERROR_BAD_DEVICE;
        DWORD present = machine().files.DriveMask();
        if ((present & (1u << (letter - 'A'))) != 0 || mapped.count(letter) != 0)
            return ERROR_ALREADY_ASSIGNED;
    }
    auto delay = delays_.find(RemoteKey(remote));
    if (delay != delays_.end())
        machine().kernel.tickCount += delay->second;
    auto it = answers_.find(RemoteKey(remote));
    ShareAnswer answer = it == answers_.end() ? ShareAnswer::Reject : it->second;
    switch (answer) {
    case ShareAnswer::Accept:
        if (letter != 0)
            mapped[letter] = remote;
        return NO_ERROR;
    case ShareAnswer::LogonFailure:
        return ERROR_LOGON_FAILURE;
    case ShareAnswer::Reject:
        break;
    }
    return ERROR_BAD_NET_NAME;
}

DWORD Network::Cancel(const std::string& name, BOOL force) {
    trials.push_back("CANCEL " + name + " force=" + std::to_string(force ? 1 : 0));
    char letter = DriveLetterOf(name);
    if (letter != 0 && mapped.erase(letter) != 0)
        return NO_ERROR;
    return ERROR_NOT_CONNECTED;
}

} // namespace winsim

using winsim::Enter;
using winsim::machine;

extern "C" {

DWORD WINAPI WNetAddConnectionA(LPCSTR lpRemoteName, LPCSTR lpPassword, LPCSTR lpLocalName) {
    std::string remote = winsim::Text(lpRemoteName);
    DWORD error = 0;
    if (Enter("WNetAddConnectionA", remote, ERROR_NO_NETWORK, &error))
        return error;
    DWORD result = machine().network.Add(remote, lpPassword, winsim::Text(lpLocalName));
    winsim::SetError(result);
    return result;
}

DWORD WINAPI WNetCancelConnectionA(LPCSTR lpName, BOOL fForce) {
    std::string name = winsim::Text(lpName);
    DWORD error = 0;
    if (Enter("WNetCancelConnectionA", name, ERROR_NO_NETWORK, &error))
        return error;
    DWORD result = machine().network.Cancel(name, fForce);
    winsim::SetError(result);
    return result;
}

} // extern "C"
