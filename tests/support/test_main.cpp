#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "support/temp_dir.h"

// Points the XDG folders at a private temporary root so that no test reads or writes the
// user's own data, log or simulated devices.
int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    kestrion::test::TempDir root;
    std::filesystem::create_directories(root.file("data"));
    std::filesystem::create_directories(root.file("runtime"));
    // A runtime folder is the user's alone; Qt warns about any other.
    std::filesystem::permissions(root.file("runtime"), std::filesystem::perms::owner_all);
    setenv("XDG_DATA_HOME", root.file("data").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", root.file("runtime").c_str(), 1);
    return RUN_ALL_TESTS();
}
