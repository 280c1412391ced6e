#include <winsim/calls.h>
#include <winsim/paths.h>

namespace winsim {

size_t CallLog::Count(const std::string& api) const {
    if (api.empty())
        return calls.size();
    size_t n = 0;
    for (const Call& c : calls)
        n += c.api == api;
    return n;
}

size_t CallLog::Count(const std::string& api, const std::string& detail) const {
    size_t n = 0;
    for (const Call& c : calls)
        n += c.api == api && Upper(c.detail) == Upper(detail);
    return n;
}

std::vector<std::string> CallLog::Details(const std::string& api) const {
    std::vector<std::string> out;
    for (const Call& c : calls)
        if (c.api == api)
            out.push_back(c.detail);
    return out;
}

void CallLog::FailCallAt(size_t index, DWORD error) {
    failAt_.insert(index);
    failAtError_ = error;
}

void CallLog::FailApi(const std::string& api, DWORD error) {
    failApis_.emplace_back(api, error);
}

bool CallLog::Enter(const char* api, const std::string& detail, DWORD naturalError, DWORD* error) {
    size_t index = calls.size();
    bool fail = false;
    DWORD err = naturalError;
    if (failAt_.count(index)) {
        fail = true;
        if (failAtError_)
            err = failAtError_;
    }
    for (const auto& f : failApis_)
        if (f.first == api) {
            fail = true;
            if (f.second)
                err = f.second;
        }
    calls.push_back(Call{api, detail, fail});
    if (error)
        *error = err;
    return fail;
}

void CallLog::Reset() {
    calls.clear();
    failAt_.clear();
    failApis_.clear();
    failAtError_ = 0;
}

} // namespace winsim
