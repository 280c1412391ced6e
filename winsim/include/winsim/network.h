// The network shares the simulated machine can reach. WNetAddConnectionA answers per remote
// name as scripted; every add and cancel is recorded, and a mapped letter is a present drive
// (GetLogicalDrives) until it is cancelled. The network knows nothing of the files on a
// share: add those to the file system.
#pragma once

#include <windef.h>

#include <map>
#include <string>
#include <vector>

namespace winsim {

enum class ShareAnswer {
    Accept,       // NO_ERROR: the letter is mapped
    LogonFailure, // ERROR_LOGON_FAILURE: nothing mapped
    Reject,       // ERROR_BAD_NET_NAME: nothing mapped (the answer for unknown names)
};

class Network {
  public:
    // Set-up: the answer for one remote name ('\\srv\share'), compared without regard to case.
    void Answer(const std::string& remoteName, ShareAnswer answer);
    // The milliseconds WNetAddConnectionA takes to answer for that remote name (a server that
    // is slow to answer or to refuse); the kernel's tick count moves on by as much.
    void Delay(const std::string& remoteName, DWORD milliseconds);

    // What the code did: "ADD \\srv\share F: password=''" (password=null for a null
    // pointer, password='x' otherwise) and "CANCEL F: force=1", in order.
    std::vector<std::string> trials;
    int Adds() const;
    int Cancels() const;
    // Letters mapped now (upper case), with their remote names.
    std::map<char, std::string> mapped;

    std::vector<std::string> OpenResources() const; // mappings not cancelled
    void Reset();

    // Used by the simulated API.
    DWORD Add(const std::string& remote, const char* password, const std::string& local);
    DWORD Cancel(const std::string& name, BOOL force);

  private:
    std::map<std::string, ShareAnswer> answers_; // by folded remote name
    std::map<std::string, DWORD> delays_;        // by folded remote name
};

} // namespace winsim
