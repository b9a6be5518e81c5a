#include "profiles/program_folders.h"

#include "platform/paths.h"

#include <filesystem>
#include <mutex>
#include <system_error>

namespace kestrion {
namespace {

struct KindName {
    int kind;
    const char* name;
};

constexpr KindName kKindNames[] = {
    {1, "keyboard"}, {9, "keyboard"}, {2, "mouse"}, {6, "mouse"}, {3, "MousePad"}, {7, "HD"},
};

constexpr const char* kProductFolder = "Kestrion Z880-ZIR Gaming Mouse";

std::mutex& dataDirMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::string& dataDirSetting()
{
    static std::string folder;
    return folder;
}

std::string besideExecutable()
{
    std::error_code error;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return "DefaultData";
    return (exe.parent_path() / "DefaultData").string();
}

}  // namespace

void setProgramDataDir(const std::string& folder)
{
    std::lock_guard lock(dataDirMutex());
    dataDirSetting() = folder;
}

std::string programDataDir()
{
    {
        std::lock_guard lock(dataDirMutex());
        if (!dataDirSetting().empty())
            return dataDirSetting();
    }
    return besideExecutable();
}

std::string kindNameOf(int deviceKind)
{
    for (const auto& entry : kKindNames) {
        if (entry.kind == deviceKind)
            return entry.name;
    }
    return {};
}

std::string userDataFolder()
{
    return dataHome() + "/" + kProductFolder;
}

std::string deviceDataFolder(int deviceKind)
{
    const std::string kind = kindNameOf(deviceKind);
    if (kind.empty())
        return {};
    const std::string folder = userDataFolder() + "/" + kind;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error)
        return {};
    return folder + "/";
}

std::string defaultDocumentPath(int deviceKind)
{
    return programDataDir() + "/" + kindNameOf(deviceKind) + ".Json";
}

}  // namespace kestrion
