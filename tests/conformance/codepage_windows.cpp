// Windows: the ANSI code page is the system's; the program can only check it.
#include "codepage.h"

bool SelectCodePage(UINT codePage) {
    return GetACP() == codePage;
}
