// Fuzz target of the path text helpers: PathParent, PathLeaf, PathJoin and PathNormalize, in
// code pages 1252 and 932 (where the backslash byte is also a trail byte).
//
// Input: one byte choosing the code page, one byte giving where the data splits into the
// directory and the name of PathJoin (its value modulo the data's length plus one), then the
// data, which is also the path of the other helpers.
//
// Properties and the exact inputs on which each must hold:
// - PathParent and PathLeaf cut at the last backslash character (never a trail byte): the
//   parent is the text before it, the leaf the text after it, both whole characters; without
//   one the parent is empty and the leaf the whole path. Domain: paths whose last character is
//   not a lone lead byte after other characters. Both are computed by reversing the path, and
//   such a path does not survive reversal (the lone lead byte pairs with the byte after it).
// - PathNormalize removes and inserts only single-byte characters: the double-byte characters
//   of the result are those of the path, in order, and the result is trimmed: every input.
// - PathNormalize is stable (a second normalisation changes nothing) for every path whose
//   first normalisation is settled: no doubled backslash except a network path's leading pair
//   followed by something other than a backslash, and no trailing backslash except the one the
//   colon rule gives back to a text with exactly one colon and no '>'. The paths left out are
//   the quirky ones: a run of three or more backslashes (one pass folds it to two, the next to
//   one), a trailing backslash hidden by trailing white space (the backslash is stripped
//   before the white space is trimmed), a trailing colon in a text with other colons or a '>'
//   (the colon rule adds a backslash that the next pass strips and does not give back), a lone
//   pair of backslashes and a path of white space only (both taken for a network path: they
//   become one backslash, which the next pass strips).
// - PathJoin keeps every double-byte character of the directory and the name, in order, and
//   its result is stable when settled as above: for a directory not ending in a lone lead
//   byte. (Such a byte pairs with the backslash put after it: the separator is swallowed.)
// - PathLeaf of PathJoin(directory, name) is the name, for such a directory and a plain name:
//   not empty, no backslash or colon character, no white space at either end, not ending in a
//   lone lead byte.
#include "fuzz_input.h"

#include "paths/Path.h"

namespace {

using fuzz::Chars;
using fuzz::DoubleBytes;
using fuzz::EndsInLoneLead;
using std::string;

// The character at index k is the single byte c.
bool IsSingle(const string& text, const std::vector<fuzz::Char>& chars, size_t k, char c) {
    return k < chars.size() && chars[k].size == 1 && text[chars[k].begin] == c;
}

size_t CountSingles(const string& text, const std::vector<fuzz::Char>& chars, char c) {
    size_t n = 0;
    for (size_t k = 0; k < chars.size(); ++k)
        n += IsSingle(text, chars, k, c) ? 1 : 0;
    return n;
}

// A normalised path that a second normalisation leaves alone.
bool Settled(const string& path) {
    std::vector<fuzz::Char> chars = Chars(path);
    size_t k = 0;
    if (IsSingle(path, chars, 0, '\\') && IsSingle(path, chars, 1, '\\')) {
        if (IsSingle(path, chars, 2, '\\'))
            return false;
        k = 2;
    }
    for (; k + 1 < chars.size(); ++k)
        if (IsSingle(path, chars, k, '\\') && IsSingle(path, chars, k + 1, '\\'))
            return false;
    if (chars.empty() || !IsSingle(path, chars, chars.size() - 1, '\\'))
        return true;
    return chars.size() >= 2 && IsSingle(path, chars, chars.size() - 2, ':') &&
           CountSingles(path, chars, ':') == 1 && CountSingles(path, chars, '>') == 0;
}

string Normalized(string path) {
    PathNormalize(path);
    return path;
}

void CheckParentAndLeaf(const string& path) {
    if (!fuzz::ReversibleText(path))
        return;
    std::vector<fuzz::Char> chars = Chars(path);
    size_t last = chars.size();
    for (size_t k = 0; k < chars.size(); ++k)
        if (IsSingle(path, chars, k, '\\'))
            last = k;
    string parent = PathParent(path), leaf = PathLeaf(path);
    if (last == chars.size()) {
        FUZZ_REQUIRE(parent.empty(), "PathParent without a backslash is empty");
        FUZZ_REQUIRE(leaf == path, "PathLeaf without a backslash is the path");
        return;
    }
    size_t at = chars[last].begin;
    FUZZ_REQUIRE(parent == path.substr(0, at), "PathParent is the text before the last backslash");
    FUZZ_REQUIRE(leaf == path.substr(at + 1), "PathLeaf is the text after the last backslash");
}

void CheckNormalize(const string& path) {
    string once = Normalized(path);
    FUZZ_REQUIRE(DoubleBytes(once) == DoubleBytes(path),
                 "PathNormalize keeps every double-byte character");
    FUZZ_REQUIRE(EndsInLoneLead(once) == EndsInLoneLead(path),
                 "PathNormalize keeps a lone lead byte at the end");
    FUZZ_REQUIRE(fuzz::Trimmed(once) == once, "PathNormalize trims");
    if (Settled(once))
        FUZZ_REQUIRE(Normalized(once) == once, "PathNormalize is stable on a settled path");
}

// No white space at the ends, no backslash or colon character, no lone lead byte at the end.
bool PlainName(const string& name) {
    std::vector<fuzz::Char> chars = Chars(name);
    if (name.empty() || fuzz::Trimmed(name) != name || EndsInLoneLead(name))
        return false;
    return CountSingles(name, chars, '\\') == 0 && CountSingles(name, chars, ':') == 0;
}

void CheckJoin(const string& directory, const string& name) {
    if (EndsInLoneLead(directory))
        return;
    string joined = PathJoin(directory, name);
    FUZZ_REQUIRE(DoubleBytes(joined) == DoubleBytes(directory) + DoubleBytes(name),
                 "PathJoin keeps every double-byte character");
    if (Settled(joined))
        FUZZ_REQUIRE(Normalized(joined) == joined, "PathJoin gives a stable path when settled");
    if (PlainName(name))
        FUZZ_REQUIRE(PathLeaf(joined) == name, "the leaf of a joined path is the name");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input in(data, size);
    fuzz::ChooseCodePage(in);
    size_t split = in.Byte() % (in.Left() + 1);
    string directory = in.Take(split);
    string name = in.Rest();
    string path = directory + name;

    CheckParentAndLeaf(path);
    CheckNormalize(path);
    CheckJoin(directory, name);
    return 0;
}
