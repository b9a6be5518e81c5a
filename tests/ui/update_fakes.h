#pragma once

// What the update page's tests put in place of the shell's devices, and update programs as
// shell scripts.
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "ui/update_model.h"

namespace kestrion::test {

// The devices as the shell would give them, noting what the model does to them.
class FakeDevices : public ui::UpdateDevices {
public:
    Version version(int deviceKind) const override
    {
        const auto found = versions.find(deviceKind);
        return found == versions.end() ? Version{} : found->second;
    }
    void suspend(int deviceKind, bool suspended) override
    {
        held[deviceKind] = suspended;
        calls.push_back((suspended ? "hold " : "release ") + std::to_string(deviceKind));
    }
    void reread(int deviceKind) override { calls.push_back("reread " + std::to_string(deviceKind)); }

    std::map<int, Version> versions;
    std::map<int, bool> held;
    std::vector<std::string> calls;
};

// An update program: says `offers` when asked for its version; updating, it prints 10, marks
// "<name>.running" with its process id and waits until "<name>.release" holds its exit code.
inline std::string updateProgram(const std::string& offers, const std::string& name)
{
    return "#!/bin/sh\n"
           "if [ \"$1\" = --version ]; then echo '" + offers + "'; exit 0; fi\n"
           "[ \"$1\" = 'On the upgrade' ] || exit 9\n"
           "echo 10\n"
           "echo $$ > " + name + ".running\n"
           "while [ ! -s " + name + ".release ]; do sleep 0.02; done\n"
           "echo 100\n"
           "exit $(cat " + name + ".release)\n";
}

inline void addUpdateProgram(const TempDir& folder, const std::string& shortName, const std::string& content)
{
    const std::string path = folder.file(shortName);
    writeFile(path, content);
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
}

}  // namespace kestrion::test
