#include "platform/paths.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace kestrion {
namespace {

std::string envOrEmpty(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string homeDir()
{
    std::string home = envOrEmpty("HOME");
    if (!home.empty())
        return home;
    if (const passwd* pw = getpwuid(getuid()))
        return pw->pw_dir;
    return "/tmp";
}

}  // namespace

std::string dataHome()
{
    std::string dir = envOrEmpty("XDG_DATA_HOME");
    return dir.empty() ? homeDir() + "/.local/share" : dir;
}

std::string runtimeDir()
{
    return envOrEmpty("XDG_RUNTIME_DIR");
}

std::string virtualHidDir()
{
    std::string runtime = runtimeDir();
    if (!runtime.empty())
        return runtime + "/kestrion-vhid";
    return "/tmp/kestrion-vhid-" + std::to_string(getuid());
}

}  // namespace kestrion
