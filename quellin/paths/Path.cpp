// Path text: cut, join and normalise. Every search for a backslash steps from character to
// character, so the trail byte of a double-byte character is never taken for a separator.
#include "paths/Path.h"

#include "strings/Strings.h"

#include <windows.h>

namespace {

// Position of the last backslash that is a character of its own, found by stepping forward
// from character to character; npos when there is none. (Stepping forward keeps a text that
// ends in a lead byte without its trail byte in order, where cutting the reversed text would
// pair that lead byte with the byte before it.)
size_t LastSeparator(const std::string& path) {
    size_t last = std::string::npos;
    for (size_t i = 0; i < path.size(); ++i) {
        if (IsDBCSLeadByte(static_cast<BYTE>(path[i])) && i + 1 < path.size())
            ++i;
        else if (path[i] == '\\')
            last = i;
    }
    return last;
}

size_t LastSeparator(const std::wstring& path) {
    return path.find_last_of(L'\\');
}

template <typename Text> Text Literal(const char* text) {
    return Text(text, text + std::char_traits<char>::length(text));
}

template <typename Text> Text Parent(const Text& path) {
    size_t last = LastSeparator(path);
    return last == Text::npos ? Text() : path.substr(0, last);
}

template <typename Text> void Normalize(Text& path) {
    const Text one = Literal<Text>("\\");
    const Text two = Literal<Text>("\\\\");
    const Text colon = Literal<Text>(":");
    // A network path (or an empty one) begins with two backslashes once trimmed.
    const bool network = StrBefore(StrTrim(path), two).empty();
    // One left-to-right pass: a run of three backslashes leaves two.
    Text text = StrReplace(path, two, one, kExactCase);
    if (network)
        text = one + text;
    text = StrTrim(StrStripTrailing(text, one));
    // A bare drive gets its backslash back, and so does a drive followed directly by a name;
    // a path with a colon and backslash anywhere, or with '>', keeps its colons.
    if (StrContains(text, colon, kExactCase) && !StrContains(text, colon + one, kExactCase) &&
        !StrContains(text, Literal<Text>(">"), kAnyCase))
        text = StrReplace(text, colon, colon + one, kExactCase);
    path = text;
}

// One backslash always goes between the two parts; the doubled backslashes this may make are
// folded by the normalisation.
template <typename Text> Text Join(const Text& directory, const Text& name) {
    Text joined = directory.empty() ? StrTrim(name)
                                    : StrTrim(directory) + Literal<Text>("\\") + StrTrim(name);
    Normalize(joined);
    return joined;
}

// Join's one normalising pass leaves two of a run of three backslashes, as where
// 'C:\Program Files\' meets '\Borland': the seam is made single before the join instead.
template <typename Text> Text JoinBelow(const Text& folder, const Text& name) {
    const Text separator = Literal<Text>("\\");
    Text base = StrTrim(folder);
    if (base.empty())
        return Text();
    for (Text shorter = StrStripTrailing(base, separator); shorter != base;
         shorter = StrStripTrailing(base, separator))
        base = shorter;
    if (base.empty())
        return Join(folder, name); // nothing but backslashes: no folder to cut at
    Text below = StrTrim(name);
    below.erase(0, below.find_first_not_of(separator[0]));
    return Join(base, below);
}

} // namespace

std::string PathParent(const std::string& path) {
    return Parent(path);
}

std::wstring PathParent(const std::wstring& path) {
    return Parent(path);
}

std::string PathLeaf(const std::string& path) {
    size_t last = LastSeparator(path);
    return last == std::string::npos ? path : path.substr(last + 1);
}

std::string PathJoin(const std::string& directory, const std::string& name) {
    return Join(directory, name);
}

std::wstring PathJoin(const std::wstring& directory, const std::wstring& name) {
    return Join(directory, name);
}

std::string PathJoinBelow(const std::string& folder, const std::string& name) {
    return JoinBelow(folder, name);
}

std::wstring PathJoinBelow(const std::wstring& folder, const std::wstring& name) {
    return JoinBelow(folder, name);
}

PathFault PathFaultOf(const std::string& path, size_t& at) {
    at = std::string::npos;
    if (path.empty())
        return PathFault::Usable;
    bool unwritable = false;
    for (size_t i = 0; i < path.size(); ++i) {
        const BYTE c = static_cast<BYTE>(path[i]);
        if (IsDBCSLeadByte(c) && i + 1 < path.size()) {
            ++i; // a trail byte may be '\' or '|' without being one
            continue;
        }
        if (c < 0x20 || c == 0x7F || c == '*' || c == '"' || c == '<' || c == '>' || c == '|' ||
            (c == ':' && i != 1)) {
            at = i;
            return PathFault::Invalid;
        }
        if (c == '?' && !unwritable) {
            unwritable = true;
            at = i;
        }
    }
    if (unwritable)
        return PathFault::Unwritable;
    at = std::string::npos;

    // The root, and the names below it.
    size_t names = 0;
    const bool drive = path.size() >= 3 &&
                       ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) &&
                       path[1] == ':' && path[2] == '\\';
    if (drive) {
        names = 3;
    } else {
        // '\\server\share': two backslashes, a server and a share, neither empty.
        if (path.compare(0, 2, "\\\\") != 0)
            return PathFault::NotFull;
        const size_t server = 2;
        const size_t share = path.find('\\', server);
        if (share == std::string::npos || share == server || share + 1 == path.size() ||
            path[share + 1] == '\\')
            return PathFault::NotFull;
        names = share + 1;
    }
    // No empty name below the root but at the end; stepping from character to character, so a
    // trail byte 0x5C is no separator.
    bool afterSeparator = true;
    for (size_t i = names; i < path.size(); ++i) {
        if (IsDBCSLeadByte(static_cast<BYTE>(path[i])) && i + 1 < path.size()) {
            ++i;
            afterSeparator = false;
        } else if (path[i] == '\\') {
            if (afterSeparator) {
                at = i;
                return PathFault::Invalid;
            }
            afterSeparator = true;
        } else {
            afterSeparator = false;
        }
    }
    return PathFault::Usable;
}

PathFault PathFaultOf(const std::string& path) {
    size_t at = 0;
    return PathFaultOf(path, at);
}

void PathNormalize(std::string& path) {
    Normalize(path);
}
