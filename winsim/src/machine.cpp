#include <winsim/machine.h>

namespace winsim {

Machine& machine() {
    static Machine instance;
    return instance;
}

void Machine::Reset() {
    kernel.Reset();
    codePage.Reset();
    modules.Reset();
    version.Reset();
    memory.Reset();
    registry.Reset();
    files.Reset();
    network.Reset();
    shell.Reset();
    processes.Reset();
    calls.Reset();
}

std::vector<std::string> Machine::OpenResources() const {
    std::vector<std::string> open;
    auto add = [&open](const std::vector<std::string>& more) {
        open.insert(open.end(), more.begin(), more.end());
    };
    if (modules.LoadedCount() != 0)
        open.push_back("modules loaded: " + std::to_string(modules.LoadedCount()));
    if (!memory.live.empty())
        open.push_back("local memory blocks: " + std::to_string(memory.live.size()));
    add(registry.OpenResources());
    add(files.OpenResources());
    add(network.OpenResources());
    add(shell.OpenResources());
    add(processes.OpenResources());
    return open;
}

} // namespace winsim
