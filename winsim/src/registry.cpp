// Placeholder until this area is simulated.
#include <winsim/registry.h>

namespace winsim {

std::vector<std::string> Registry::OpenResources() const { return {}; }
void Registry::Reset() {}

} // namespace winsim
