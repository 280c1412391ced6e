// Stand-in for the suite's setup program, Setup32.exe, for the tests and the sample
// installation source: it shows what the launcher handed it.
//
// 1. Writes "setup32.record" into its current directory: the command line exactly as
//    GetCommandLineA returns it, a line feed, the current directory, a line feed.
// 2. Prints the command line, and, when the command line holds /spath="<folder>", loads
//    <folder>\Quellin.dll and prints the folder table it resolved (the process's current
//    directory decides where the library looks for setup\shfolder.dll). The environment
//    variable SETUP32_NO_TABLE (any value) skips loading the library.
// 3. Sleeps half a second, or SETUP32_SLEEP_MS milliseconds, then appends "ended" and a line
//    feed to the record, so that a caller can tell it waited for the end, and exits with 7.
//
// Everything it prints also goes to "setup32.out" in its current directory (made afresh at
// each start), for callers that do not see its console: started by a program without a
// console of its own, as the launcher is, it gets a console of its own.
#include "Quellin.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const char kRecordFile[] = "setup32.record";
const char kOutputFile[] = "setup32.out";
const int kExitCode = 7;

// A file opened for appending, closed when the object goes.
class AppendFile {
  public:
    explicit AppendFile(const char* name)
        : handle_(CreateFileA(name, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~AppendFile() {
        if (handle_ != INVALID_HANDLE_VALUE)
            CloseHandle(handle_);
    }
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;
    void Write(const std::string& text) {
        DWORD written = 0;
        if (handle_ != INVALID_HANDLE_VALUE)
            WriteFile(handle_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }

  private:
    HANDLE handle_;
};

// A loaded library, freed when the object goes.
class Library {
  public:
    explicit Library(const std::string& path) : module_(LoadLibraryA(path.c_str())) {}
    ~Library() {
        if (module_ != nullptr)
            FreeLibrary(module_);
    }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;
    HMODULE get() const { return module_; }

  private:
    HMODULE module_;
};

void Say(const std::string& line) {
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
    AppendFile(kOutputFile).Write(line + "\r\n");
}

std::string CurrentDirectory() {
    DWORD needed = GetCurrentDirectoryA(0, nullptr);
    if (needed == 0)
        return std::string();
    std::string directory(needed, '\0');
    DWORD length = GetCurrentDirectoryA(needed, &directory[0]);
    directory.resize(length < needed ? length : 0);
    return directory;
}

// The folder between /spath=" and the next double quote, or empty.
std::string SetupFolder(const std::string& commandLine) {
    const std::string marker = "/spath=\"";
    size_t start = commandLine.find(marker);
    if (start == std::string::npos)
        return std::string();
    start += marker.size();
    size_t end = commandLine.find('"', start);
    return end == std::string::npos ? std::string() : commandLine.substr(start, end - start);
}

void PrintFolderTable(const std::string& folder) {
    std::string path = folder + "\\Quellin.dll";
    Library library(path);
    if (library.get() == nullptr) {
        Say("cannot load " + path + " (error " + std::to_string(GetLastError()) + ")");
        return;
    }
    auto getFolder = reinterpret_cast<PFNQUELLINGETFOLDER>(
        reinterpret_cast<void (*)()>(GetProcAddress(library.get(), "QuellinGetFolder")));
    auto folderName = reinterpret_cast<PFNQUELLINFOLDERNAME>(
        reinterpret_cast<void (*)()>(GetProcAddress(library.get(), "QuellinFolderName")));
    if (getFolder == nullptr || folderName == nullptr) {
        Say(path + " does not export the folder table");
        return;
    }
    Say("folder table of " + path + ":");
    for (DWORD slot = 0; slot < QUELLIN_SLOT_COUNT; ++slot) {
        DWORD needed = getFolder(slot, nullptr, 0);
        std::string value(needed, '\0');
        DWORD length = getFolder(slot, &value[0], needed);
        value.resize(length < needed ? length : 0);
        char number[8];
        std::snprintf(number, sizeof number, "%2lu ", static_cast<unsigned long>(slot));
        std::string name = folderName(slot);
        if (!value.empty())
            name.resize(name.size() < 22 ? 22 : name.size(), ' ');
        Say(number + name + (value.empty() ? "" : " " + value));
    }
}

} // namespace

int main() {
    std::string commandLine = GetCommandLineA();
    std::string directory = CurrentDirectory();
    DeleteFileA(kRecordFile);
    DeleteFileA(kOutputFile);
    AppendFile(kRecordFile).Write(commandLine + "\n" + directory + "\n");

    Say("Setup32 stand-in started in " + directory);
    Say("command line: [" + commandLine + "]");
    std::string folder = SetupFolder(commandLine);
    if (folder.empty())
        Say("no /spath=\"...\" on the command line");
    else if (std::getenv("SETUP32_NO_TABLE") == nullptr)
        PrintFolderTable(folder);

    const char* sleep = std::getenv("SETUP32_SLEEP_MS");
    Sleep(sleep != nullptr ? static_cast<DWORD>(std::strtoul(sleep, nullptr, 10)) : 500);
    AppendFile(kRecordFile).Write("ended\n");
    Say("Setup32 stand-in ends with exit code " + std::to_string(kExitCode));
    return kExitCode;
}
