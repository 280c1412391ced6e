// The simulated machine: the code page is a setting of the machine.
#include "codepage.h"

#include <winsim/machine.h>

bool SelectCodePage(UINT codePage) {
    if (codePage != 1252 && codePage != 932)
        return false;
    winsim::machine().codePage.acp = codePage;
    return GetACP() == codePage;
}
