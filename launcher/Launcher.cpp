// The setup launcher. It lies in the installation source beside Setup32.exe and the "Setup"
// folder; started with that folder as its current directory, it starts Setup32.exe from there,
// handing it the "Setup" folder on its command line, and waits for it while keeping this
// thread's message queue serviced. It shows nothing and always ends with exit code 0.
//
// Plain Win32 code: no C or C++ runtime. Every text is built in a block of local memory sized
// to it, so a long current directory never overflows anything and never yields a cut path:
// whatever length Windows reports is passed on whole, and CreateProcessA alone decides whether
// it can start a program of that name.
//
// The folder's name. Setup32.exe is an ANSI program, so the launcher hands it the folder in the
// ANSI code page. On the NT family names are stored wide, and GetCurrentDirectoryA is the wide
// name converted with best fit: a character the code page lacks comes out as a look-alike
// ("Łukasz" as "Lukasz", a folder that does not exist) or as '?'. So on NT the launcher reads
// the wide name and converts it without best fit, checking the conversion by converting back;
// when the code page cannot write the name exactly, it names the folder by its short (8.3)
// name, checked the same way, and without one it starts nothing. The wide functions are looked
// up by name, so that the launcher still loads on Windows 95, which lacks them and keeps its
// names in the ANSI code page: there the launcher reads GetCurrentDirectoryA.
#include <windows.h>

namespace {

const char kSetupProgram[] = "Setup32.exe";
const char kArgumentsBeforeFolder[] = " /nocheck /spath=\"";
const char kSetupFolderAndQuote[] = "Setup\"";

// A zero-terminated text in a block of local memory, freed when its owner ends. An empty
// owner (no block) stands for "no text": a failed read, conversion or allocation.
template <typename Char> class LocalText {
  public:
    LocalText() = default;
    // Room for `length` characters and the zero, all zero; an empty owner when that fails.
    explicit LocalText(DWORD length)
        : chars_(static_cast<Char*>(
              LocalAlloc(LMEM_FIXED | LMEM_ZEROINIT, (SIZE_T(length) + 1) * sizeof(Char)))),
          length_(chars_ != nullptr ? length : 0) {}
    LocalText(LocalText&& other) noexcept : chars_(other.chars_), length_(other.length_) {
        other.chars_ = nullptr;
        other.length_ = 0;
    }
    LocalText& operator=(LocalText&& other) noexcept {
        if (this != &other) {
            Free();
            chars_ = other.chars_;
            length_ = other.length_;
            other.chars_ = nullptr;
            other.length_ = 0;
        }
        return *this;
    }
    LocalText(const LocalText&) = delete;
    LocalText& operator=(const LocalText&) = delete;
    ~LocalText() { Free(); }

    bool Empty() const { return chars_ == nullptr || length_ == 0; }
    Char* Chars() const { return chars_; }
    DWORD Length() const { return length_; }
    // Keeps the first `length` characters (at most those it has).
    void Cut(DWORD length) {
        if (chars_ != nullptr && length < length_) {
            length_ = length;
            chars_[length] = 0;
        }
    }

  private:
    void Free() {
        if (chars_ != nullptr)
            LocalFree(chars_);
        chars_ = nullptr;
    }
    Char* chars_ = nullptr;
    DWORD length_ = 0;
};

typedef LocalText<char> AnsiText;
typedef LocalText<WCHAR> WideText;

DWORD Length(const char* text) {
    DWORD length = 0;
    while (text[length] != '\0')
        ++length;
    return length;
}

// The texts one after the other, in one block sized to them.
AnsiText Joined(const char* const* parts, int count) {
    DWORD length = 0;
    for (int i = 0; i < count; ++i)
        length += Length(parts[i]);
    AnsiText joined(length);
    if (joined.Chars() == nullptr)
        return joined;
    char* out = joined.Chars();
    for (int i = 0; i < count; ++i)
        for (const char* in = parts[i]; *in != '\0'; ++in)
            *out++ = *in;
    return joined;
}

// The current directory as GetCurrentDirectoryA (or W) reports it, or an empty text when it
// cannot be read. A first try uses MAX_PATH characters; when Windows asks for more, a second
// try gets exactly the size it asked for. The directory cannot change in between (one
// thread), so a second answer that still does not fit is treated as a failure, never cut.
template <typename Char, typename Get> LocalText<Char> CurrentDirectory(Get get) {
    DWORD size = MAX_PATH;
    for (int attempt = 0; attempt < 2; ++attempt) {
        LocalText<Char> directory(size - 1);
        if (directory.Chars() == nullptr)
            break;
        DWORD length = get(size, directory.Chars());
        if (length == 0)
            break;
        if (length < size) {
            directory.Cut(length);
            return directory;
        }
        size = length; // too small: `length` is the size needed, its zero included
    }
    return LocalText<Char>();
}

typedef DWORD(WINAPI* PFNGETCURRENTDIRECTORYW)(DWORD, LPWSTR);
typedef DWORD(WINAPI* PFNGETSHORTPATHNAMEW)(LPCWSTR, LPWSTR, DWORD);

template <typename F> F Kernel32Function(const char* name) {
    HMODULE kernel32 = GetModuleHandleA("KERNEL32.DLL");
    if (kernel32 == nullptr)
        return nullptr;
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(kernel32, name)));
}

// The wide text in the ANSI code page, or an empty text when the code page cannot write it
// exactly. Converted without best fit, so that a character the code page lacks becomes the
// default character rather than a look-alike, and checked by converting back: only a text
// that gives the same wide text again names the same file. Code page 65001 (UTF-8) takes no
// WC_NO_BEST_FIT_CHARS; there the round trip alone decides.
AnsiText ExactAnsi(const WideText& wide) {
    const int length = static_cast<int>(wide.Length());
    const DWORD flags = GetACP() == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    int size =
        WideCharToMultiByte(CP_ACP, flags, wide.Chars(), length, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return AnsiText();
    AnsiText ansi(static_cast<DWORD>(size));
    if (ansi.Chars() == nullptr ||
        WideCharToMultiByte(CP_ACP, flags, wide.Chars(), length, ansi.Chars(), size, nullptr,
                            nullptr) != size)
        return AnsiText();
    int back = MultiByteToWideChar(CP_ACP, 0, ansi.Chars(), size, nullptr, 0);
    if (back != length)
        return AnsiText();
    WideText again(static_cast<DWORD>(back));
    if (again.Chars() == nullptr ||
        MultiByteToWideChar(CP_ACP, 0, ansi.Chars(), size, again.Chars(), back) != back)
        return AnsiText();
    for (int i = 0; i < length; ++i)
        if (again.Chars()[i] != wide.Chars()[i])
            return AnsiText();
    return ansi;
}

// The short (8.3) name of the folder, or an empty text when it has none (a volume without
// short names, a call failing). The size needed, then the short path in a buffer of exactly
// that size; an answer that does not fit it is no short path.
WideText ShortName(PFNGETSHORTPATHNAMEW getShortPathName, const WideText& path) {
    DWORD needed = getShortPathName(path.Chars(), nullptr, 0);
    if (needed == 0)
        return WideText();
    WideText shortName(needed - 1);
    if (shortName.Chars() == nullptr)
        return WideText();
    DWORD length = getShortPathName(path.Chars(), shortName.Chars(), needed);
    if (length == 0 || length >= needed)
        return WideText();
    shortName.Cut(length);
    return shortName;
}

// Whether the ANSI text holds '?', which stands where the code page lacks a character and
// names no file. No ANSI code page has 0x3F as a trail byte, so every 0x3F is a '?' of its own.
bool HoldsUnwritableCharacter(const AnsiText& text) {
    for (DWORD i = 0; i < text.Length(); ++i)
        if (text.Chars()[i] == '?')
            return true;
    return false;
}

// The current directory in the ANSI code page, by a name that names it: on NT its exact name,
// else its short name; on the Windows 95 family (or without the wide functions) the ANSI read.
// An empty text when there is none.
AnsiText SourceFolder() {
    const bool ntFamily = (GetVersion() & 0x80000000u) == 0;
    auto getCurrentDirectory =
        ntFamily ? Kernel32Function<PFNGETCURRENTDIRECTORYW>("GetCurrentDirectoryW") : nullptr;
    if (getCurrentDirectory == nullptr) {
        AnsiText directory = CurrentDirectory<char>(GetCurrentDirectoryA);
        if (HoldsUnwritableCharacter(directory))
            return AnsiText();
        return directory;
    }
    const WideText directory = CurrentDirectory<WCHAR>(getCurrentDirectory);
    if (directory.Empty())
        return AnsiText();
    AnsiText exact = ExactAnsi(directory);
    if (!exact.Empty())
        return exact;
    auto getShortPathName = Kernel32Function<PFNGETSHORTPATHNAMEW>("GetShortPathNameW");
    if (getShortPathName == nullptr)
        return AnsiText();
    const WideText shortName = ShortName(getShortPathName, directory);
    return shortName.Empty() ? AnsiText() : ExactAnsi(shortName);
}

// Whether the text ends with a backslash that is a character of its own, not the trail byte
// of a double-byte character (0x5C is a trail byte in the Far East code pages).
bool EndsWithBackslash(const AnsiText& text) {
    bool lastIsBackslash = false;
    const char* chars = text.Chars();
    for (DWORD i = 0; i < text.Length(); ++i) {
        if (IsDBCSLeadByte(static_cast<BYTE>(chars[i])) && i + 1 < text.Length()) {
            ++i;
            lastIsBackslash = false;
        } else {
            lastIsBackslash = chars[i] == '\\';
        }
    }
    return lastIsBackslash;
}

// Starts the program and, once it runs, waits until its process has ended, taking at most
// one message off this thread's queue between two waits of one millisecond. The handles of
// the started process and its thread are left to the end of this process, which follows
// right after the wait. Returns CreateProcessA's result.
BOOL RunProgram(const AnsiText& programPath, const AnsiText& commandLine) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};

    BOOL started = CreateProcessA(programPath.Chars(), commandLine.Chars(), nullptr, nullptr, FALSE,
                                  0, nullptr, nullptr, &startup, &process);
    if (!started)
        return started;

    // Only a time-out means the program still runs; a failed wait ends the waiting as well,
    // since waiting again could never succeed.
    while (WaitForSingleObject(process.hProcess, 1) == WAIT_TIMEOUT) {
        MSG message;
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    return started;
}

} // namespace

// The launcher reads no arguments of its own and ends with 0 whatever happened.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    AnsiText directory = SourceFolder();
    if (directory.Empty())
        return 0; // no source folder known: there is nothing sound to start
    if (!EndsWithBackslash(directory)) {
        const char* const parts[] = {directory.Chars(), "\\"};
        directory = Joined(parts, 2);
        if (directory.Empty())
            return 0;
    }

    SetCurrentDirectoryA(directory.Chars()); // a failure changes nothing that follows

    const char* const programParts[] = {directory.Chars(), kSetupProgram};
    const AnsiText programPath = Joined(programParts, 2);
    const char* const lineParts[] = {kArgumentsBeforeFolder, directory.Chars(),
                                     kSetupFolderAndQuote};
    const AnsiText commandLine = Joined(lineParts, 3);
    if (!programPath.Empty() && !commandLine.Empty())
        RunProgram(programPath, commandLine);
    return 0;
}
