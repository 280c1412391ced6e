// Process-wide facts of the simulated machine: directories, the executable, the user.
#pragma once

#include <windef.h>

#include <string>

namespace winsim {

struct Kernel {
    std::string currentDirectory = "C:\\Install";
    std::string windowsDirectory = "C:\\WINDOWS";
    std::string systemDirectory = "C:\\WINDOWS\\SYSTEM32";
    std::string tempPath = "C:\\WINDOWS\\TEMP\\";
    // Full file name of the process's executable (GetModuleFileNameA of the null module).
    std::string moduleFileName = "C:\\Install\\Setup32.exe";
    std::string userName = "Anna";
    DWORD lastError = 0;
    // A 32-bit process on 64-bit Windows, as IsWow64Process reports it.
    bool wow64 = false;

    void Reset() { *this = Kernel(); }
};

} // namespace winsim
