#include "platform/file_read.h"

#include "platform/file_descriptor.h"

#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrion {
namespace {

bool readAll(int fd, std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

bool safeToOpen(const std::string& path, std::size_t maxBytes)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return errno == ENOENT;
    return S_ISREG(info.st_mode) && static_cast<std::uintmax_t>(info.st_size) <= maxBytes;
}

bool readWholeFile(const std::string& path, std::size_t maxBytes, std::string& bytes)
{
    bytes.clear();
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat info {};
    if (fd.get() < 0 || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    if (static_cast<std::uintmax_t>(info.st_size) > maxBytes)
        return false;
    bytes.assign(static_cast<std::size_t>(info.st_size), '\0');
    if (readAll(fd.get(), bytes))
        return true;
    bytes.clear();
    return false;
}

}  // namespace kestrion
