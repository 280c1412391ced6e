#include "names.h"

#include <winsim/machine.h>

namespace winsim {

size_t CharLengthAt(const std::string& text, size_t i) {
    bool lead = machine().codePage.IsLeadByte(static_cast<BYTE>(text[i]));
    return (lead && i + 1 < text.size()) ? 2 : 1;
}

std::vector<std::string> SplitNames(const std::string& text, char separator) {
    std::vector<std::string> items(1);
    for (size_t i = 0; i < text.size();) {
        size_t n = CharLengthAt(text, i);
        if (n == 1 && text[i] == separator)
            items.emplace_back();
        else
            items.back().append(text, i, n);
        i += n;
    }
    return items;
}

std::string FoldCase(const std::string& text) {
    const CodePage& cp = machine().codePage;
    std::string out = text;
    for (size_t i = 0; i < out.size();) {
        size_t n = CharLengthAt(out, i);
        BYTE* p = reinterpret_cast<BYTE*>(&out[i]);
        if (n == 2)
            cp.UpperDouble(p[0], p[1]);
        else
            p[0] = cp.UpperSingle(p[0]);
        i += n;
    }
    return out;
}

bool EndsWithChar(const std::string& text, char c) {
    size_t last = std::string::npos;
    for (size_t i = 0; i < text.size(); i += CharLengthAt(text, i))
        last = i;
    return last != std::string::npos && last + 1 == text.size() && text[last] == c;
}

} // namespace winsim
