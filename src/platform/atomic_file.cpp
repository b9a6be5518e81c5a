#include "platform/atomic_file.h"

#include "platform/diagnostics.h"
#include "platform/file_descriptor.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrion {
namespace {

constexpr mode_t kNewFileMode = 0644;

std::string folderOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// A replaced file keeps its permissions; anything else (a new file, a symbolic link) gets the usual ones.
mode_t modeFor(const std::string& path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode))
        return info.st_mode & 07777;
    return kNewFileMode;
}

bool writeAll(int fd, const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

void syncFolder(const std::string& folder)
{
    FileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0)
        ::fsync(dir.get());
}

bool writeTemporary(int fd, const std::string& bytes, mode_t mode)
{
    return writeAll(fd, bytes) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
}

}  // namespace

bool writeFileAtomically(const std::string& path, const std::string& bytes)
{
    // rename() replaces a symbolic link at path rather than following it: a save never changes a
    // file elsewhere that the link happens to point at.
    const std::string& target = path;
    struct stat existing {};
    if (::lstat(target.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode) && !S_ISLNK(existing.st_mode)) {
        debugTrace("writeFileAtomically: not a regular file, left alone: " + target);
        return false;
    }
    const std::string folder = folderOf(target);
    std::string temporary = target + ".XXXXXX";
    FileDescriptor fd(::mkostemp(temporary.data(), O_CLOEXEC));
    if (fd.get() < 0) {
        debugTrace("writeFileAtomically: cannot create a file beside " + target + ": " + std::strerror(errno));
        return false;
    }
    const bool written = writeTemporary(fd.get(), bytes, modeFor(target));
    const bool closed = fd.close();
    if (!written || !closed || ::rename(temporary.c_str(), target.c_str()) != 0) {
        debugTrace("writeFileAtomically: cannot replace " + target + ": " + std::strerror(errno));
        ::unlink(temporary.c_str());
        return false;
    }
    syncFolder(folder);
    return true;
}

}  // namespace kestrion
