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

} // namespace

std::string PathParent(const std::string& path) {
    size_t last = LastSeparator(path);
    return last == std::string::npos ? std::string() : path.substr(0, last);
}

std::string PathLeaf(const std::string& path) {
    size_t last = LastSeparator(path);
    return last == std::string::npos ? path : path.substr(last + 1);
}

// One backslash always goes between the two parts; the doubled backslashes this may make are
// folded by the normalisation.
std::string PathJoin(const std::string& directory, const std::string& name) {
    std::string joined =
        directory.empty() ? StrTrim(name) : StrTrim(directory) + "\\" + StrTrim(name);
    PathNormalize(joined);
    return joined;
}

// PathJoin's one normalising pass leaves two of a run of three backslashes, as where
// 'C:\Program Files\' meets '\Borland': the seam is made single before the join instead.
std::string PathJoinBelow(const std::string& folder, const std::string& name) {
    std::string base = StrTrim(folder);
    if (base.empty())
        return std::string();
    for (std::string shorter = StrStripTrailing(base, "\\"); shorter != base;
         shorter = StrStripTrailing(base, "\\"))
        base = shorter;
    if (base.empty())
        return PathJoin(folder, name); // nothing but backslashes: no folder to cut at
    std::string below = StrTrim(name);
    below.erase(0, below.find_first_not_of('\\'));
    return PathJoin(base, below);
}

void PathNormalize(std::string& path) {
    // A network path (or an empty one) begins with two backslashes once trimmed.
    const bool network = StrBefore(StrTrim(path), "\\\\").empty();
    // One left-to-right pass: a run of three backslashes leaves two.
    std::string text = StrReplace(path, "\\\\", "\\", kExactCase);
    if (network)
        text = "\\" + text;
    text = StrTrim(StrStripTrailing(text, "\\"));
    // A bare drive gets its backslash back, and so does a drive followed directly by a name;
    // a path with a colon and backslash anywhere, or with '>', keeps its colons.
    if (StrContains(text, ":", kExactCase) && !StrContains(text, ":\\", kExactCase) && !StrContains(text, ">", kAnyCase))
        text = StrReplace(text, ":", ":\\", kExactCase);
    path = text;
}
