// Placeholder until this area is simulated.
#include <winsim/network.h>

namespace winsim {

std::vector<std::string> Network::OpenResources() const { return {}; }
void Network::Reset() {}

} // namespace winsim
