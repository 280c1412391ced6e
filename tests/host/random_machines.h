// Simulated machines made at random: a complete machine of one platform, then its version,
// code page, registry values, folders, folder service, shell, network and kernel changed by
// chance, each change noted in words so that a machine that breaks a rule can be told. The
// choices come from a Choices source: a seed, or any other stream of numbers. The first answer
// of every choice leaves the machine as it is, so a source that runs dry gives the complete
// machine (on NT with the environment variables NT sets). Used by the whole-attach property
// test.
#pragma once

#include "complete_machines.h"

#include <winsim/machine.h>

#include <shlobj.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace machines {

// Where the generator's choices come from.
class Choices {
  public:
    virtual ~Choices() = default;
    // A number from 0 to n - 1 (n at least 1); 0 once the source has run dry.
    virtual unsigned Below(unsigned n) = 0;
    // True about once in n times; false once the source has run dry.
    bool OneIn(unsigned n) { return n <= 1 || Below(n) == n - 1; }
};

// Choices drawn from a seed (SplitMix64): a seed gives the same machine on every build.
class SeededChoices final : public Choices {
  public:
    explicit SeededChoices(uint64_t seed) : state_(seed) {}
    unsigned Below(unsigned n) override { return static_cast<unsigned>(Next() % n); }

  private:
    uint64_t Next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    uint64_t state_;
};

namespace detail {

// A text as a source holds it: bytes in the ANSI code page, or wide text (names the code page
// may not write).
struct Text {
    bool wide = false;
    std::string ansi;
    std::wstring wideText;
};

inline Text Ansi(const std::string& text) {
    return {false, text, {}};
}
inline Text Wide(const std::wstring& text) {
    return {true, {}, text};
}

// Printable forms for the notes: control bytes and bytes past ASCII as \xNN.
inline std::string Printable(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c < 0x20 || c >= 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02X", c);
            out += escape;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

// Wide text as UTF-8, its control characters escaped.
inline std::string Printable(const std::wstring& text) {
    if (text.empty())
        return std::string();
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string utf8(size > 0 ? static_cast<size_t>(size) : 0, '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &utf8[0], size,
                            nullptr, nullptr);
    std::string out;
    for (char c : utf8)
        out += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? Printable(std::string(1, c))
                                                                 : std::string(1, c);
    return out;
}

inline std::string Printable(const Text& text) {
    return text.wide ? "L'" + Printable(text.wideText) + "'" : "'" + Printable(text.ansi) + "'";
}

// Names that code page 1252 cannot write (and some of them 932 neither): Cyrillic and Greek
// (932 writes them), Japanese (932 writes them, "表" and "ソ" with the trail byte 0x5C), Hindi
// (neither), and a Latin letter that 932 writes only by its best fit.
const wchar_t* const kForeignNames[] = {L"Документы", L"文書",  L"表ソ",
                                        L"दस्तावेज़",    L"Ωmega", L"Café"};

// Shares a text may name; the network answers each as the generator chose.
const char* const kShares[] = {"\\\\srv\\share", "\\\\srv\\docs", "\\\\files\\home"};

// The folders the shell knows on some platform; shfolder.dll answers them too.
const int kShellIds[] = {
    CSIDL_PERSONAL, CSIDL_MYPICTURES,      CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_DESKTOPDIRECTORY,
    CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS, CSIDL_STARTMENU,        CSIDL_COMMON_STARTMENU,
    CSIDL_STARTUP,  CSIDL_COMMON_STARTUP,  CSIDL_SENDTO,           CSIDL_TEMPLATES,
    CSIDL_FONTS};

const char kBorland[] = "Software\\Borland\\Database Engine";
const char kSuite[] = "Software\\Tolva\\Inkvale Suite\\9";
const char kProfileList[] = "Software\\Microsoft\\Windows\\CurrentVersion\\ProfileList";

class Generator {
  public:
    explicit Generator(Choices& choices) : c_(choices), m_(winsim::machine()) {}

    std::vector<std::string> Build() {
        Platform();
        Environment();
        Folders();
        RegistryValues();
        FolderService();
        ShellFolders();
        Network();
        Kernel();
        // Set-up done: nothing the attach counts has happened yet; the failing calls last.
        m_.calls.Reset();
        for (const auto& fail : failing_)
            m_.calls.FailApi(fail.first, fail.second);
        return notes_;
    }

  private:
    void Note(const std::string& note) { notes_.push_back(note); }

    template <typename T, size_t N> const T& Pick(const T (&items)[N]) {
        return items[c_.Below(static_cast<unsigned>(N))];
    }

    void Fail(const char* api, DWORD error = 0) {
        failing_.emplace_back(api, error);
        Note(std::string(api) + " fails" +
             (error != 0 ? " with " + std::to_string(static_cast<unsigned long>(error)) : ""));
    }

    // Set-up that the machine refuses (a path no file can have) changes nothing.
    void AddDirectory(const Text& path) {
        try {
            if (path.wide)
                m_.files.AddDirectory(path.wideText);
            else
                m_.files.AddDirectory(path.ansi);
        } catch (const std::invalid_argument&) {
        }
    }
    void AddFile(const std::string& path) {
        try {
            m_.files.AddFile(path);
        } catch (const std::invalid_argument&) {
        }
    }

    // --- platform, code page, version ---------------------------------------------------

    void Platform() {
        struct Kind {
            const char* name;
            Windows base;
        };
        const Kind kinds[] = {{"XP", Windows::XP},       {"Win95", Windows::Win95},
                              {"Win98", Windows::Win98}, {"WinMe", Windows::Win98},
                              {"NT4", Windows::NT4},     {"Win2000", Windows::Win2000},
                              {"Vista", Windows::XP},    {"Win10", Windows::XP}};
        const Kind& kind = Pick(kinds);
        const bool shfolder = c_.Below(3) != 2;
        machines::Build({kind.base, shfolder, ""});
        nt_ =
            kind.base == Windows::NT4 || kind.base == Windows::Win2000 || kind.base == Windows::XP;
        Note(std::string(kind.name) + (shfolder ? " with" : " without") + " shfolder.dll");
        if (std::string(kind.name) == "WinMe")
            m_.version.WindowsMe();
        if (std::string(kind.name) == "Vista")
            m_.version.Set(VER_PLATFORM_WIN32_NT, 6, 0, 6002);
        // Windows 10 tells a program without a manifest that it is 6.2.
        if (std::string(kind.name) == "Win10")
            m_.version.Set(VER_PLATFORM_WIN32_NT, 6, 2, 9200);
        if (c_.OneIn(5)) {
            m_.codePage.acp = 932;
            Note("code page 932");
        }
        if (c_.OneIn(4)) {
            m_.files.WithoutShortNames('C');
            Note("drive C: without short names");
        }
        if (c_.OneIn(12))
            Fail("GetVersionExA");
        if (c_.OneIn(8)) {
            m_.version.terminalServer = true;
            Note("Terminal Server");
        }
        if (c_.OneIn(4)) {
            m_.kernel.wow64 = true;
            Note("WoW64");
        }
        if (c_.OneIn(10)) {
            m_.modules.kernel32HasIsWow64Process = false;
            Note("KERNEL32.DLL without IsWow64Process");
        }
    }

    // --- texts --------------------------------------------------------------------------

    // A folder's text as a source might hold it, from `usual` (the text the complete machine
    // has) to every kind of garbage.
    Text FolderText(const std::string& usual) {
        const std::string leaf = usual.empty() ? std::string("Folder") : LeafOf(usual);
        switch (c_.Below(21)) {
        case 0:
            return Ansi(usual);
        case 1:
            return Ansi("");
        case 2: // relative
            return Ansi(usual.size() > 3 && usual[1] == ':' ? usual.substr(3) : leaf);
        case 3: { // over-long, around the 255- and 260-byte buffers
            const size_t lengths[] = {253, 254, 255, 256, 258, 259, 260, 261, 300};
            std::string text = "C:\\" + leaf + "\\";
            text.resize(Pick(lengths), 'x');
            return Ansi(text);
        }
        case 4:
            return Ansi("C:\\Wh?t\\" + leaf);
        case 5:
            return Ansi("%QDIR%\\" + leaf);
        case 6:
            return Ansi("%QUNSET%\\" + leaf);
        case 7: {
            const char* const texts[] = {"C:\\A\x01"
                                         "B",
                                         "C:\\Tab\there", "C:\\Line\nBreak", "C:\\Del\x7F"};
            return c_.OneIn(2) ? Ansi(usual + "\x02") : Ansi(Pick(texts));
        }
        case 8:
            return Ansi(std::string(Pick(kShares)) + (c_.OneIn(3) ? "" : "\\" + leaf));
        case 9:
            return Ansi("Q:\\" + leaf);
        case 10:
            return Wide(std::wstring(L"C:\\") + Pick(kForeignNames) +
                        (c_.OneIn(2) ? L"" : L"\\" + std::wstring(leaf.begin(), leaf.end())));
        case 11: {
            const std::string texts[] = {usual + "\\", usual + "\\\\", "  " + usual + "  ",
                                         Doubled(usual), usual + " \\"};
            return Ansi(Pick(texts));
        }
        case 12: {
            const char* const texts[] = {"C:", "C:\\", "\\", "\\\\srv", "\\\\srv\\", "D:"};
            return Ansi(Pick(texts));
        }
        case 13: {
            const std::string texts[] = {usual + "|x", "C:\\A<B", "C:\\A:B",
                                         "C:\\A\"B",   "C:\\A*",  usual + ">"};
            return Ansi(Pick(texts));
        }
        case 14:
            return Ansi("C:\\Install\\Setup32.exe");
        case 15: {
            std::string text = usual;
            for (char& ch : text)
                if (ch == '\\')
                    ch = '/';
            return Ansi(text);
        }
        case 16: { // double-byte characters of 932 whose trail byte is a backslash
            const char* const texts[] = {"C:\\\x95\x5C\\"
                                         "Sub",
                                         "C:\\\x83\x5C", "C:\\A\x95"};
            return Ansi(Pick(texts));
        }
        case 17: {
            const char* const texts[] = {"%SystemDrive%\\Program Files", "%USERPROFILE%\\Documents",
                                         "%ProgramFiles%\\Common Files", "%HOMEDRIVE%%HOMEPATH%",
                                         "%SYSTEMDRIVE%"};
            return Ansi(Pick(texts));
        }
        case 18: {
            const char* const texts[] = {"\\\\?\\C:\\Folder", "\\\\.\\C:", "\\\\srv\\\\share"};
            return Ansi(Pick(texts));
        }
        case 19:
            return Ansi("C:" + leaf);
        default: // another usual-looking folder, on another drive
            return Ansi("D:\\" + leaf);
        }
    }

    static std::string LeafOf(const std::string& path) {
        const size_t cut = path.find_last_of('\\');
        return cut == std::string::npos ? path : path.substr(cut + 1);
    }

    static std::string Doubled(const std::string& path) {
        std::string out;
        for (char ch : path)
            out += ch == '\\' ? std::string("\\\\") : std::string(1, ch);
        return out;
    }

    // Now and then the folder a text names is made.
    void MaybeMake(const Text& text) {
        if (c_.OneIn(2))
            AddDirectory(text);
    }

    // --- environment --------------------------------------------------------------------

    void Environment() {
        // NT sets these for every process; the 95 family none of them.
        if (nt_ && !c_.OneIn(4)) {
            const bool xp = m_.version.major >= 5;
            SetVariable("USERPROFILE",
                        xp ? "C:\\Documents and Settings\\anna" : "C:\\WINNT\\Profiles\\anna");
            SetVariable("SystemDrive", "C:");
            SetVariable("HOMEDRIVE", "C:");
            SetVariable("HOMEPATH", xp ? "\\Documents and Settings\\anna" : "\\");
            SetVariable("ProgramFiles", "C:\\Program Files");
        }
        if (!c_.OneIn(5)) {
            const Text text = FolderText("C:\\Shared");
            if (text.wide)
                m_.kernel.SetEnvironment("QDIR", text.wideText);
            else
                m_.kernel.SetEnvironment("QDIR", text.ansi);
            Note("%QDIR% = " + Printable(text));
            MaybeMake(text);
        }
    }

    void SetVariable(const char* name, const std::string& usual) {
        if (c_.OneIn(8)) {
            Note(std::string("%") + name + "% undefined");
            return;
        }
        const Text text = c_.OneIn(6) ? FolderText(usual) : Ansi(usual);
        if (text.wide)
            m_.kernel.SetEnvironment(name, text.wideText);
        else
            m_.kernel.SetEnvironment(name, text.ansi);
        if (text.wide || text.ansi != usual)
            Note(std::string("%") + name + "% = " + Printable(text));
    }

    // --- folders ------------------------------------------------------------------------

    void Folders() {
        const std::string windows = m_.kernel.windowsDirectory;
        const std::string personal = Personal();
        const std::string some[] = {"C:\\Program Files",
                                    "C:\\Program Files\\Common Files",
                                    "C:\\Program Files\\Common Files\\Borland Shared\\BDE",
                                    windows,
                                    m_.kernel.systemDirectory,
                                    m_.kernel.tempPath,
                                    personal,
                                    "C:\\",
                                    windows + "\\Fonts"};
        for (const std::string& folder : some) {
            switch (c_.Below(14)) {
            case 1:
                m_.files.DenyNewFiles(folder);
                Note("no new files in " + folder);
                break;
            case 2:
                m_.files.DenyNewDirectories(folder);
                Note("no new directories in " + folder);
                break;
            case 3:
                m_.files.AllNamesTaken(folder);
                Note("every name taken in " + folder);
                break;
            default:
                break;
            }
        }
        // Folders missing: the documents folder (with My Pictures), the database folders.
        if (c_.OneIn(4)) {
            DWORD error = 0;
            m_.files.RemoveDir(personal + "\\My Pictures", &error);
            if (m_.files.RemoveDir(personal, &error)) {
                Note("no folder " + personal);
                if (c_.OneIn(2)) {
                    AddFile(personal);
                    Note("a file named " + personal);
                }
            }
        }
        if (c_.OneIn(6)) {
            DWORD error = 0;
            m_.files.Delete("C:\\Program Files\\Common Files\\Borland Shared\\BDE\\IDAPI32.DLL",
                            &error);
            Note("no IDAPI32.DLL");
        }
        if (c_.OneIn(8)) {
            m_.files.RefuseCreation("C:\\My Documents");
            Note("C:\\My Documents cannot be made");
        }
        if (c_.OneIn(12)) {
            m_.files.DiskFull('C');
            Note("drive C: full");
        }
        if (c_.OneIn(4)) {
            m_.files.AddDrive('D', c_.OneIn(2));
            m_.files.AddDirectory("D:\\Folder");
            Note("drive D:");
        }
        if (c_.OneIn(10)) {
            for (char letter = 'E'; letter <= 'Z'; ++letter)
                m_.files.AddDrive(letter);
            Note("every drive letter taken");
        }
        // A folder whose name the code page may not write, with a file or two.
        if (c_.OneIn(2)) {
            const std::wstring folder = std::wstring(L"C:\\") + Pick(kForeignNames);
            AddDirectory(Wide(folder));
            Note("folder " + Printable(folder));
        }
    }

    std::string Personal() const {
        const winsim::RegistryValue* v = m_.registry.Value(
            nt_ ? HKEY_USERS : HKEY_CURRENT_USER,
            nt_ ? std::string(".Default\\") + kShellFolders : kShellFolders, "Personal");
        return v == nullptr ? std::string("C:\\My Documents")
                            : v->data.substr(0, v->data.find('\0'));
    }

    // --- registry -----------------------------------------------------------------------

    // Stores a value as it might be found: as written, absent, or of another type.
    void SetValue(HKEY root, const std::string& key, const std::string& name, const Text& text,
                  DWORD type) {
        const std::string where = RootName(root) + "\\" + key + " \"" + name + "\"";
        switch (c_.Below(14)) {
        case 1:
            m_.registry.DeleteValue(root, key, name);
            Note(where + " absent");
            return;
        case 2:
            m_.registry.SetDword(root, key, name, 0x12345678);
            Note(where + " a REG_DWORD");
            return;
        case 3:
            m_.registry.SetRaw(root, key, name, REG_BINARY, text.ansi);
            Note(where + " = " + Printable(text) + " as REG_BINARY");
            return;
        case 4:
            m_.registry.SetMultiString(root, key, name, {text.ansi, "C:\\Second"});
            Note(where + " = " + Printable(text) + " as REG_MULTI_SZ");
            return;
        case 5:
            if (!text.wide) {
                m_.registry.SetRaw(root, key, name, type, text.ansi);
                Note(where + " = " + Printable(text) + " without its terminating zero");
                return;
            }
            break;
        default:
            break;
        }
        if (text.wide)
            m_.registry.SetString(root, key, name, text.wideText, type);
        else
            m_.registry.SetString(root, key, name, text.ansi, type);
        Note(where + " = " + Printable(text) + (type == REG_EXPAND_SZ ? " (REG_EXPAND_SZ)" : ""));
    }

    static std::string RootName(HKEY root) {
        if (root == HKEY_LOCAL_MACHINE)
            return "HKLM";
        if (root == HKEY_CURRENT_USER)
            return "HKCU";
        return "HKU";
    }

    std::string Stored(HKEY root, const std::string& key, const std::string& name) const {
        const winsim::RegistryValue* v = m_.registry.Value(root, key, name);
        return v == nullptr ? std::string() : v->data.substr(0, v->data.find('\0'));
    }

    // The value, changed once in three times.
    void MaybeChange(HKEY root, const std::string& key, const std::string& name, DWORD type) {
        if (!c_.OneIn(3))
            return;
        const Text text = FolderText(Stored(root, key, name));
        SetValue(root, key, name, text, type);
        MaybeMake(text);
    }

    void RegistryValues() {
        const char* const shellValues[] = {"Desktop", "Programs",  "Start Menu", "StartUp",
                                           "SendTo",  "Templates", "Fonts",      "Personal"};
        const std::string defaultUser = std::string(".Default\\") + kShellFolders;
        for (const char* name : shellValues) {
            MaybeChange(HKEY_CURRENT_USER, kShellFolders, name, REG_SZ);
            MaybeChange(HKEY_USERS, defaultUser, name, REG_SZ);
        }
        MaybeChange(HKEY_CURRENT_USER, kUserShellFolders, "Personal", nt_ ? REG_EXPAND_SZ : REG_SZ);
        MaybeChange(HKEY_LOCAL_MACHINE, std::string(kProfileList) + "\\anna", "ProfileImagePath",
                    REG_EXPAND_SZ);
        MaybeChange(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir", REG_SZ);
        MaybeChange(HKEY_LOCAL_MACHINE, kCurrentVersion, "CommonFilesDir", REG_SZ);
        MaybeChange(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesPath", REG_EXPAND_SZ);
        MaybeChange(HKEY_LOCAL_MACHINE, kSuite, "Destination", REG_SZ);
        if (m_.kernel.wow64 && c_.OneIn(2)) {
            m_.registry.SetString(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir",
                                  "C:\\Program Files (x86)");
            m_.files.AddDirectory("C:\\Program Files (x86)");
            Note("ProgramFilesDir = 'C:\\Program Files (x86)' (the 32-bit view)");
        }
        if (c_.OneIn(3))
            SearchPath();
        if (!nt_ && c_.OneIn(4)) {
            m_.registry.DeleteValue(HKEY_LOCAL_MACHINE, "Network\\Logon", "UserProfiles");
            Note("no user profiles");
        }
        const std::string keys[] = {kShellFolders,     defaultUser,
                                    kUserShellFolders, std::string(kProfileList) + "\\anna",
                                    kCurrentVersion,   kBorland};
        const HKEY roots[] = {HKEY_CURRENT_USER,  HKEY_USERS,         HKEY_CURRENT_USER,
                              HKEY_LOCAL_MACHINE, HKEY_LOCAL_MACHINE, HKEY_LOCAL_MACHINE};
        for (size_t i = 0; i < sizeof roots / sizeof roots[0]; ++i) {
            switch (c_.Below(24)) {
            case 1:
                m_.registry.DenyAccess(roots[i], keys[i]);
                Note(RootName(roots[i]) + "\\" + keys[i] + " not readable");
                break;
            case 2:
                m_.registry.DenyWrite(roots[i], keys[i]);
                Note(RootName(roots[i]) + "\\" + keys[i] + " read-only");
                break;
            default:
                break;
            }
        }
    }

    // The database engine's search path: one to four folders, each odd or not, some holding
    // the engine.
    void SearchPath() {
        const char* const separators[] = {";", "; ", ";;", " ;"};
        const std::string usual = "C:\\Program Files\\Common Files\\Borland Shared\\BDE";
        const unsigned count = 1 + c_.Below(4);
        std::wstring wide;
        std::string ansi;
        bool anyWide = false;
        for (unsigned i = 0; i < count; ++i) {
            const Text entry = FolderText(c_.OneIn(2) ? usual : "C:\\BDE" + std::to_string(i));
            const std::string separator = i == 0 ? "" : Pick(separators);
            anyWide = anyWide || entry.wide;
            const std::wstring entryWide =
                entry.wide ? entry.wideText : m_.codePage.ToWide(entry.ansi);
            wide += std::wstring(separator.begin(), separator.end()) + entryWide;
            ansi += separator + entry.ansi;
            if (c_.OneIn(2)) {
                AddDirectory(entry);
                if (!entry.wide)
                    AddFile(entry.ansi + "\\IDAPI32.DLL");
            }
        }
        if (c_.OneIn(6)) {
            ansi += ";";
            wide += L";";
        }
        SetValue(HKEY_LOCAL_MACHINE, kBorland, "DLLPATH", anyWide ? Wide(wide) : Ansi(ansi),
                 REG_SZ);
    }

    // --- folder service -----------------------------------------------------------------

    void FolderService() {
        if (m_.modules.shfolderPath.empty())
            return;
        if (c_.OneIn(12)) {
            m_.modules.shfolderExportsFunction = false;
            Note("shfolder.dll without SHGetFolderPathA");
        }
        if (c_.OneIn(4)) {
            m_.modules.shfolderExportsWideFunction = false;
            Note("shfolder.dll without SHGetFolderPathW");
        }
        if (c_.OneIn(20))
            Fail("LoadLibraryA", ERROR_MOD_NOT_FOUND);
        std::vector<int> ids(std::begin(kShellIds), std::end(kShellIds));
        ids.insert(ids.end(),
                   {CSIDL_PERSONAL | CSIDL_FLAG_CREATE, CSIDL_MYPICTURES | CSIDL_FLAG_CREATE,
                    CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILES_COMMON});
        auto& answers = m_.modules.shfolderAnswers;
        for (int id : ids) {
            if (!c_.OneIn(4))
                continue;
            const std::string what = "shfolder.dll's " + CsidlName(id);
            const auto known = answers.find(id & ~CSIDL_FLAG_CREATE);
            const std::string usual = known == answers.end() ? std::string() : known->second.path;
            switch (c_.Below(6)) {
            case 0:
                answers[id] = {E_FAIL, ""};
                Note(what + " fails");
                break;
            case 1:
                answers[id] = {S_FALSE, ""};
                Note(what + " answers S_FALSE");
                break;
            case 2:
                answers[id] = {S_OK, usual.empty() ? std::string("C:\\Unterminated") : usual, true};
                Note(what + " answers without a terminating zero");
                break;
            case 3:
                answers.erase(id);
                Note(what + " unknown");
                break;
            default: {
                const Text text = FolderText(usual);
                winsim::FolderAnswer answer;
                answer.path = text.ansi;
                answer.widePath = text.wideText;
                answers[id] = answer;
                Note(what + " = " + Printable(text));
                MaybeMake(text);
                break;
            }
            }
        }
    }

    static std::string CsidlName(int id) {
        char text[16];
        std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(id));
        return text;
    }

    // --- shell --------------------------------------------------------------------------

    void ShellFolders() {
        if (c_.OneIn(12))
            Fail("SHGetMalloc", static_cast<DWORD>(E_OUTOFMEMORY));
        if (c_.OneIn(15))
            Fail("SHGetSpecialFolderLocation", static_cast<DWORD>(E_FAIL));
        if (c_.OneIn(20))
            Fail("SHGetPathFromIDListA");
        for (int id : kShellIds) {
            if (!c_.OneIn(5))
                continue;
            const std::string what = "the shell's " + CsidlName(id);
            auto& folders = m_.shell.folders;
            const auto known = folders.find(id);
            const std::string usual = known == folders.end() ? std::string() : known->second.path;
            switch (c_.Below(4)) {
            case 0:
                folders.erase(id);
                Note(what + " unknown");
                break;
            case 1:
                folders[id] = {usual, true};
                Note(what + " gives no path");
                break;
            default: {
                const Text text = FolderText(usual);
                folders[id] = {text.ansi, false, text.wideText};
                Note(what + " = " + Printable(text));
                MaybeMake(text);
                break;
            }
            }
        }
    }

    // --- network ------------------------------------------------------------------------

    void Network() {
        for (const char* share : kShares) {
            const std::string name = share;
            switch (c_.Below(4)) {
            case 1:
                m_.network.Answer(name, winsim::ShareAnswer::Accept);
                Note(name + " accepts a connection");
                break;
            case 2:
                m_.network.Answer(name, winsim::ShareAnswer::LogonFailure);
                Note(name + " answers with a logon failure");
                break;
            case 3:
                m_.network.Answer(name + "\\" + "Folder", winsim::ShareAnswer::Accept);
                Note(name + "\\Folder accepts a connection");
                break;
            default:
                break; // refused, as every name the network does not know
            }
            if (c_.OneIn(2)) {
                m_.files.AddDirectory(name + "\\Folder");
                Note(name + "\\Folder exists");
            }
        }
        // A network that says nothing: every trial fails as when no server answers.
        if (c_.OneIn(10))
            Fail("WNetAddConnectionA", c_.OneIn(2) ? ERROR_BAD_NETPATH : ERROR_NO_NETWORK);
    }

    // --- kernel -------------------------------------------------------------------------

    void Kernel() {
        winsim::Kernel& k = m_.kernel;
        if (c_.OneIn(10))
            KernelFolder("Windows directory", k.windowsDirectory, k.windowsDirectoryW);
        if (c_.OneIn(10))
            KernelFolder("system directory", k.systemDirectory, k.systemDirectoryW);
        if (c_.OneIn(8))
            KernelFolder("temporary folder", k.tempPath, k.tempPathW);
        if (c_.OneIn(10)) {
            switch (c_.Below(3)) {
            case 0:
                k.moduleFileName = "C:\\Setup32.exe";
                break;
            case 1:
                k.moduleFileName = "Setup32.exe";
                break;
            default:
                k.moduleFileNameW = std::wstring(L"C:\\") + Pick(kForeignNames) + L"\\Setup32.exe";
                AddDirectory(Wide(k.moduleFileNameW.substr(0, k.moduleFileNameW.rfind(L'\\'))));
                break;
            }
            Note("the executable is " + (k.moduleFileNameW.empty() ? Printable(k.moduleFileName)
                                                                   : Printable(k.moduleFileNameW)));
        }
        if (c_.OneIn(10)) {
            // The installation source at a drive's root, or in a folder the code page cannot
            // write, with its shfolder.dll.
            const bool hadShfolder = !m_.modules.shfolderPath.empty();
            if (c_.OneIn(2)) {
                m_.files.AddDrive('E');
                k.currentDirectory = "E:\\";
                Note("current directory E:\\");
                if (hadShfolder) {
                    m_.modules.shfolderPath = "E:\\setup\\shfolder.dll";
                    AddFile(m_.modules.shfolderPath);
                }
            } else {
                k.currentDirectoryW = std::wstring(L"C:\\") + Pick(kForeignNames);
                AddDirectory(Wide(k.currentDirectoryW + L"\\setup"));
                Note("current directory " + Printable(k.currentDirectoryW));
                if (hadShfolder)
                    m_.modules.shfolderPath =
                        m_.codePage.ToAnsi(k.currentDirectoryW) + "\\setup\\shfolder.dll";
            }
        }
        if (c_.OneIn(10)) {
            k.userName = c_.OneIn(2) ? std::string("bob") : std::string(100, 'u');
            Note("user " + k.userName);
        }
        const char* const calls[] = {
            "GetWindowsDirectoryA",     "GetSystemDirectoryA", "GetTempPathA",
            "GetModuleFileNameA",       "GetUserNameA",        "GetShortPathNameW",
            "ExpandEnvironmentStringsA"};
        for (const char* call : calls)
            if (c_.OneIn(30))
                Fail(call);
    }

    void KernelFolder(const char* what, std::string& ansi, std::wstring& wide) {
        const bool trailing = !ansi.empty() && ansi.back() == '\\';
        const Text text = FolderText(trailing ? ansi.substr(0, ansi.size() - 1) : ansi);
        if (text.wide)
            wide = text.wideText + (trailing ? L"\\" : L"");
        else
            ansi = text.ansi + (trailing && c_.OneIn(2) ? "\\" : "");
        Note(std::string("the ") + what + " is " +
             (text.wide ? Printable(Wide(wide)) : Printable(Ansi(ansi))));
        MaybeMake(text);
    }

    Choices& c_;
    winsim::Machine& m_;
    bool nt_ = false;
    std::vector<std::string> notes_;
    std::vector<std::pair<std::string, DWORD>> failing_;
};

} // namespace detail

// Resets the machine and makes one at random from the choices; returns what was chosen, in
// words, one change a line.
inline std::vector<std::string> BuildRandom(Choices& choices) {
    return detail::Generator(choices).Build();
}

} // namespace machines
