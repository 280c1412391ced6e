// Placeholder until the file system is simulated: every path is an existing directory.
#include <winsim/filesystem.h>

namespace winsim {

bool FileSystem::IsDirectory(const std::string&) const { return true; }
bool FileSystem::Exists(const std::string&) const { return true; }
std::vector<std::string> FileSystem::OpenResources() const { return {}; }
void FileSystem::Reset() {}

} // namespace winsim
