// Placeholder until this area is simulated.
#include <winsim/shell.h>

namespace winsim {

std::vector<std::string> Shell::OpenResources() const {
    return {};
}
void Shell::Reset() {}

} // namespace winsim
