#include "platform/hid/hid_environment.h"

#include <cerrno>
#include <fcntl.h>
#include <mutex>

#include "platform/paths.h"

namespace kestrion {
namespace {

std::mutex& environmentMutex()
{
    static std::mutex mutex;
    return mutex;
}

HidEnvironment& environmentStorage()
{
    static HidEnvironment environment;
    return environment;
}

}  // namespace

HidOpenError openErrorFromErrno(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
        return HidOpenError::AccessDenied;
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case ENOTDIR:
    case ECONNREFUSED:
        return HidOpenError::NotFound;
    default:
        return HidOpenError::Failed;
    }
}

std::string HidEnvironment::effectiveVirtualDir() const
{
    return virtualDir.empty() ? virtualHidDir() : virtualDir;
}

int HidEnvironment::open(const std::string& path, int flags) const
{
    if (openNode)
        return openNode(path, flags);
    return ::open(path.c_str(), flags);
}

HidEnvironment hidEnvironment()
{
    std::lock_guard lock(environmentMutex());
    return environmentStorage();
}

void setHidEnvironment(HidEnvironment environment)
{
    std::lock_guard lock(environmentMutex());
    environmentStorage() = std::move(environment);
}

}  // namespace kestrion
