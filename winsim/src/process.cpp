// Placeholder until processes and the message queue are simulated.
#include <winsim/process.h>

namespace winsim {

void Processes::Reset() {
    *this = Processes();
}

} // namespace winsim
