#include "platform/hid/virtual_folder.h"

#include <cerrno>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/diagnostics.h"
#include "platform/paths.h"

namespace kestrion {
namespace {

constexpr mode_t kFolderMode = 0700;
constexpr mode_t kWritableByOthers = S_IWGRP | S_IWOTH;

struct StateText {
    VirtualFolderState state;
    const char* text;
};

constexpr StateText kStateTexts[] = {
    {VirtualFolderState::Usable, "in use"},
    {VirtualFolderState::Missing, "missing"},
    {VirtualFolderState::NotADirectory, "not a directory (or cannot be examined); virtual devices ignored"},
    {VirtualFolderState::ForeignOwner, "owned by another user; virtual devices ignored"},
    {VirtualFolderState::WritableByOthers, "writable by other users; virtual devices ignored"},
};

const char* textOf(VirtualFolderState state)
{
    for (const StateText& entry : kStateTexts) {
        if (entry.state == state)
            return entry.text;
    }
    return "";
}

bool isSharedLocation(const HidEnvironment& environment)
{
    return environment.virtualDir.empty() && runtimeDir().empty();
}

// Traces a state only when it differs from the one traced last for the same folder, so a pass every
// 100 ms does not repeat it.
void traceChange(const std::string& folder, VirtualFolderState state)
{
    static std::mutex mutex;
    static std::string lastFolder;
    static VirtualFolderState lastState = VirtualFolderState::Usable;
    std::lock_guard lock(mutex);
    if (folder == lastFolder && state == lastState)
        return;
    lastFolder = folder;
    lastState = state;
    if (state != VirtualFolderState::Missing)
        debugTrace("virtual-device folder " + folder + ": " + textOf(state));
}

}  // namespace

VirtualFolderState virtualFolderState(const std::string& folder)
{
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0)
        return errno == ENOENT ? VirtualFolderState::Missing : VirtualFolderState::NotADirectory;
    if (!S_ISDIR(info.st_mode))
        return VirtualFolderState::NotADirectory;
    if (info.st_uid != ::geteuid())
        return VirtualFolderState::ForeignOwner;
    if ((info.st_mode & kWritableByOthers) != 0)
        return VirtualFolderState::WritableByOthers;
    return VirtualFolderState::Usable;
}

std::string trustedVirtualFolder(const HidEnvironment& environment)
{
    const std::string folder = environment.effectiveVirtualDir();
    if (isSharedLocation(environment))
        ::mkdir(folder.c_str(), kFolderMode);
    const VirtualFolderState state = virtualFolderState(folder);
    traceChange(folder, state);
    return state == VirtualFolderState::Usable ? folder : std::string();
}

}  // namespace kestrion
