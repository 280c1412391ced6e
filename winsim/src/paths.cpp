#include <winsim/paths.h>

namespace winsim {

std::string Upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

std::string PathKey(const std::string& path) {
    std::string key;
    size_t i = 0;
    if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
        key = "\\\\";
        i = 2;
    }
    for (; i < path.size(); ++i) {
        char c = path[i];
        if (c == '\\' && !key.empty() && key.back() == '\\' && key != "\\\\")
            continue;
        key += c;
    }
    if (key.size() > 1 && key.back() == '\\' && key != "\\\\")
        key.pop_back();
    if (key.size() == 2 && key[1] == ':')
        key += '\\';
    return Upper(key);
}

bool SamePath(const std::string& a, const std::string& b) {
    return PathKey(a) == PathKey(b);
}

} // namespace winsim
