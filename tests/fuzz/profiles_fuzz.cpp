// Loads arbitrary bytes as a profile document, a light configuration, a profile list file and an
// imported profile, and runs the record's and the store's operations on them.

#include "profiles/hs6533_profile_data.h"
#include "profiles/json_file.h"
#include "profiles/keyboard_profile_data.h"
#include "profiles/mouse_profile_data.h"
#include "profiles/profile_list_store.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace kestrion;

const std::string kDefaultData = KESTRION_SOURCE_ROOT "/DefaultData";

fs::path& workFolderPath()
{
    static fs::path path;
    return path;
}

void removeWorkFolder()
{
    std::error_code error;
    fs::remove_all(workFolderPath(), error);
}

fs::path workFolder()
{
    static const fs::path folder = [] {
        const fs::path base = fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
        fs::path& made = workFolderPath();
        made = base / ("kestrion-profiles-fuzz-" + std::to_string(::getpid()));
        fs::create_directories(made);
        std::atexit(removeWorkFolder);
        return made;
    }();
    return folder;
}

void writeBytes(const fs::path& path, const std::uint8_t* data, std::size_t size)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

void exerciseMouse(const std::string& path)
{
    CMouseProfiledata mouse;
    mouse.SetDefaultPath(kDefaultData + "/mouse.Json");
    mouse.SetProfilePath(path);
    mouse.LoadProfile(path);
    mouse.LoadOtherProfile(path);
    mouse.SetLightConfigPath(path);
    mouse.LoadLightConfig(path);
    mouse.SetLightInfo(mouse.GetLightInfo());
    mouse.GetCustomLightEffects();
    mouse.SetAudioLightInfo(mouse.GetAudioLightInfo());
    mouse.GetLightList();
    mouse.SetKeyList(mouse.GetKeyList());
    mouse.SetOtherKeyList(mouse.GetOtherKeyList());
    mouse.SetDpiStages(mouse.GetDpiStages());
    mouse.SetCurrentStage(mouse.GetCurrentStage());
    mouse.SetSystemStages(mouse.GetSystemStages());
    mouse.SaveProfile();
    mouse.SaveOtherProfile(path);
}

void exerciseKeyboardAndHeadset(const std::string& path)
{
    CKeyboardProfiledata keyboard;
    keyboard.LoadProfile(path);
    keyboard.SetSystemStages(keyboard.GetSystemStages());
    for (int group = 0; group < 3; ++group)
        keyboard.SetCustomLightColors(keyboard.GetCustomLightColors(group, 4), group);
    keyboard.SetCustomLightGroup(keyboard.GetCustomLightGroup());

    CHs6533Profiledata headset;
    headset.SetProfilePath(path);
    headset.LoadProfile(path);
    headset.SetSystemSetStages(headset.GetSystemSetStages());
    for (int type = 0; type <= 14; ++type)
        headset.GetEqValues(type);
    headset.SetEqValues(3, EqBands {1, 2, 3});
    headset.SetCustomEqNames(headset.GetCustomEqNames());
    headset.GetCustomEqValues(1);
    headset.SaveProfile();
}

void exerciseStore(const fs::path& folder, const std::string& importPath)
{
    ProfileListStore store(2, folder.string(), kDefaultData + "/mouse.Json");
    store.init();
    store.profiles();
    store.importProfile(importPath, "imported");
    store.add();
    store.copy();
    store.select(1);
    store.rename("Renamed");
    store.resetSelected();
    store.exportSelected((folder / "export.json").string());
    store.removeSelected();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const fs::path folder = workFolder();
    const fs::path document = folder / "input.Json";
    writeBytes(document, data, size);
    exerciseMouse(document.string());
    writeBytes(document, data, size);
    exerciseKeyboardAndHeadset(document.string());

    const fs::path device = folder / "mouse";
    fs::remove_all(device);
    fs::create_directories(device);
    writeBytes(device / "ProfileList.ini", data, size);
    writeBytes(document, data, size);
    exerciseStore(device, document.string());
    return 0;
}
