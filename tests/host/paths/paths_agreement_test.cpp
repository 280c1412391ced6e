// The cases that tests/wine/paths.cpp runs under Wine, run against the simulated machine:
// the simulation must give Windows's answers.
#include "paths_fixture.h"

#include "../../wine/paths_probe.h"

#include <winreg.h>

namespace {

// The values as `reg add` stores them.
void SetProbeValues(winsim::Registry& registry, const std::string& key) {
    for (const ProbeValue& v : ProbeValues()) {
        const std::string type = v.type;
        if (type == "REG_SZ" || type == "REG_EXPAND_SZ") {
            registry.SetString(HKEY_CURRENT_USER, key, v.name, v.data,
                               type == "REG_SZ" ? REG_SZ : REG_EXPAND_SZ);
        } else if (type == "REG_DWORD") {
            registry.SetDword(HKEY_CURRENT_USER, key, v.name, std::stoul(v.data));
        } else if (type == "REG_MULTI_SZ") {
            std::vector<std::string> items;
            std::string rest = v.data;
            for (size_t p; (p = rest.find("\\0")) != std::string::npos; rest.erase(0, p + 2))
                items.push_back(rest.substr(0, p));
            items.push_back(rest);
            registry.SetMultiString(HKEY_CURRENT_USER, key, v.name, items);
        } else if (type == "REG_BINARY") {
            std::string bytes;
            for (size_t i = 0; i + 1 < v.data.size(); i += 2)
                bytes += static_cast<char>(std::stoi(v.data.substr(i, 2), nullptr, 16));
            registry.SetRaw(HKEY_CURRENT_USER, key, v.name, REG_BINARY, bytes);
        } else {
            ADD_FAILURE() << "no such type " << type;
        }
    }
}

class Agreement : public PathsTest {};

TEST_F(Agreement, SimulationAnswersAsWindows) {
    SetProbeValues(M().registry, "Software\\QuellinProbe");
    Baseline();
    PathProbe probe("C:\\qpaths", "Software\\QuellinProbe");
    const std::vector<std::string> failures = probe.Run();
    EXPECT_TRUE(failures.empty()) << ::testing::PrintToString(failures);
    EXPECT_GT(probe.Checks(), 90);
    ExpectLeftAsFound();
}

// Windows refuses to create a drive's root with ERROR_ACCESS_DENIED (Wine answers
// ERROR_ALREADY_EXISTS, so this one is not among the shared cases).
TEST_F(Agreement, DriveRootIsNotCreated) {
    EXPECT_FALSE(CreateDirectoryA("C:\\", nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

} // namespace
