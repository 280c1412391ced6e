// The record of every platform call the code under test made, and the switch that makes a
// chosen call fail (fault injection).
#pragma once

#include <windef.h>

#include <cstddef>
#include <set>
#include <string>
#include <vector>

namespace winsim {

struct Call {
    std::string api;     // "RegOpenKeyExA"
    std::string detail;  // the call's main argument, as text
    bool failed = false; // made to fail by injection
};

class CallLog {
  public:
    std::vector<Call> calls;

    // Counts the recorded calls of one API (all calls when api is empty).
    size_t Count(const std::string& api = {}) const;
    // Counts the recorded calls of one API whose detail equals `detail` (case-insensitive).
    size_t Count(const std::string& api, const std::string& detail) const;
    // The calls of one API, details only, in order.
    std::vector<std::string> Details(const std::string& api) const;

    // Fault injection. FailCallAt makes the call with that zero-based position in `calls`
    // fail; FailApi makes every call of one API fail. `error` is the Win32 error (or HRESULT)
    // the failing call reports; 0 means the error that API naturally gives for this failure.
    void FailCallAt(size_t index, DWORD error = 0);
    void FailApi(const std::string& api, DWORD error = 0);

    // Called at the top of every simulated API: records the call and tells whether it must
    // fail. When it must, `*error` (if given) receives the error to report.
    bool Enter(const char* api, const std::string& detail = {}, DWORD naturalError = 0,
               DWORD* error = nullptr);

    void Reset();

  private:
    std::set<size_t> failAt_;
    std::vector<std::pair<std::string, DWORD>> failApis_;
    DWORD failAtError_ = 0;
};

} // namespace winsim
