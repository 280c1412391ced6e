// The simulated machine: the code page and the wide names and values are settings of the
// machine.
#include "machine.h"

#include <winsim/machine.h>

#include <shlobj.h>

bool SelectCodePage(UINT codePage) {
    if (codePage != 1252 && codePage != 932)
        return false;
    winsim::machine().codePage.acp = codePage;
    return GetACP() == codePage;
}

bool MakeWideDirectory(const std::wstring& path) {
    winsim::machine().files.AddDirectory(path);
    return true;
}

bool EnterWideDirectory(const std::wstring& path) {
    if (!winsim::machine().files.Exists(path))
        return false;
    winsim::machine().kernel.currentDirectoryW = path;
    return true;
}

bool SetWideValue(const char* keyPath, const char* name, const std::wstring& value) {
    winsim::machine().registry.SetString(HKEY_CURRENT_USER, keyPath, name, value);
    return true;
}

void SetVariable(const char* name, const std::wstring& value) {
    winsim::machine().kernel.SetEnvironment(name, value);
}

void KnowFontsFolder() {
    winsim::Machine& m = winsim::machine();
    const std::string fonts = m.kernel.windowsDirectory + "\\Fonts";
    m.shell.folders[CSIDL_FONTS].path = fonts;
    m.modules.shfolderPath = m.kernel.systemDirectory + "\\shfolder.dll";
    m.modules.shfolderAnswers[CSIDL_FONTS].path = fonts;
}
