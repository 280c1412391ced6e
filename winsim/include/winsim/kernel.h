// Process-wide facts of the simulated machine: directories, the executable, the user, the
// environment.
#pragma once

#include <windef.h>

#include <map>
#include <string>

namespace winsim {

struct Kernel {
    std::string currentDirectory = "C:\\Install";
    std::string windowsDirectory = "C:\\WINDOWS";
    std::string systemDirectory = "C:\\WINDOWS\\SYSTEM32";
    std::string tempPath = "C:\\WINDOWS\\TEMP\\";
    // Full file name of the process's executable (GetModuleFileNameA of the null module).
    std::string moduleFileName = "C:\\Install\\Setup32.exe";
    // The wide twins, empty unless a test sets them. One that is set is the folder (or file
    // name) itself, names the ANSI code page cannot write included: the wide call answers it
    // and the ANSI call its ANSI conversion ('?' for what the code page cannot write). One
    // that is empty is the ANSI text above, converted. SetCurrentDirectoryA empties
    // currentDirectoryW unless the new directory lies below such a name.
    std::wstring currentDirectoryW;
    std::wstring windowsDirectoryW;
    std::wstring systemDirectoryW;
    std::wstring tempPathW;
    std::wstring moduleFileNameW;
    std::string userName = "Anna";
    DWORD lastError = 0;
    // A 32-bit process on 64-bit Windows, as IsWow64Process reports it.
    bool wow64 = false;

    // Environment variables for ExpandEnvironmentStringsA and W, by name without regard to
    // case. A fresh machine has none. A value given in ANSI is taken in the code page in force.
    void SetEnvironment(const std::string& name, const std::string& value);
    void SetEnvironment(const std::string& name, const std::wstring& value);
    void RemoveEnvironment(const std::string& name);
    // The value, or nullptr.
    const std::wstring* Environment(const std::string& name) const;

    void Reset() { *this = Kernel(); }

  private:
    std::map<std::string, std::wstring> environment_; // by upper-case name
};

// What the ANSI and the wide call answer for one of the kernel's texts and its twin.
std::string AnsiAnswer(const std::string& ansi, const std::wstring& wide);
std::wstring WideAnswer(const std::string& ansi, const std::wstring& wide);

} // namespace winsim
