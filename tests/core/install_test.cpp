#include "core/install.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

namespace tessary {
namespace {

namespace fs = std::filesystem;

// A prefix with bin/ and share/tessary/ holding the templates, as an installation has.
class InstalledPlaces : public ::testing::Test {
  protected:
    void SetUp() override {
        root = fs::temp_directory_path() /
               ("tessary-places-" +
                std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" +
                std::to_string(::getpid()));
        fs::remove_all(root);
        fs::create_directories(root / "usr/bin");
        fs::create_directories(root / "usr/share/tessary");
        std::ofstream(root / "usr/share/tessary/sys.d32") << "template";
    }
    void TearDown() override { fs::remove_all(root); }

    Places Locate(const std::string& exe) const {
        return LocatePlaces(exe, [this](const char* name) -> const char* {
            const auto it = env.find(name);
            return it == env.end() ? nullptr : it->second.c_str();
        });
    }
    std::string Bin() const { return (root / "usr/bin").string(); }

    fs::path root;
    std::map<std::string, std::string> env;
};

TEST_F(InstalledPlaces, BuildFolderKeepsEverythingBesideTheProgramWhateverTheEnvironment) {
    const fs::path build = root / "build/bin";
    fs::create_directories(build);
    std::ofstream(build / "sys.d32") << "template";
    env = {{"TESSARY_HOME", "/srv/tessary"}, {"HOME", "/home/x"}};
    const Places places = Locate(build.string());
    EXPECT_FALSE(places.installed);
    EXPECT_EQ(places.programFolder, build.string());
    EXPECT_EQ(places.dataHome, build.string());
    EXPECT_TRUE(places.ok());
}

TEST_F(InstalledPlaces, DataHomeIsTessaryHomeThenXdgDataHomeThenTheHomeFolder) {
    env = {{"TESSARY_HOME", "/srv/office"}, {"XDG_DATA_HOME", "/home/x/data"}, {"HOME", "/home/x"}};
    Places places = Locate(Bin());
    EXPECT_TRUE(places.installed);
    EXPECT_EQ(places.programFolder, (root / "usr/share/tessary").string());
    EXPECT_EQ(places.dataHome, "/srv/office");
    EXPECT_TRUE(places.homeNamed);

    env.erase("TESSARY_HOME");
    EXPECT_EQ(Locate(Bin()).dataHome, "/home/x/data/tessary");

    // A relative XDG_DATA_HOME is not valid and is passed over, like an empty one.
    env["XDG_DATA_HOME"] = "relative/data";
    EXPECT_EQ(Locate(Bin()).dataHome, "/home/x/.local/share/tessary");
    env["XDG_DATA_HOME"] = "";
    EXPECT_EQ(Locate(Bin()).dataHome, "/home/x/.local/share/tessary");

    env.clear();
    places = Locate(Bin());
    EXPECT_FALSE(places.ok());
    EXPECT_NE(places.error.find("TESSARY_HOME"), std::string::npos) << places.error;
    EXPECT_NE(PrepareDataHome(places), "");
}

TEST_F(InstalledPlaces, DefaultHomeIsMadeButASharedOneMustAlreadyBeThere) {
    env = {{"HOME", (root / "home").string()}};
    Places places = Locate(Bin());
    EXPECT_EQ(PrepareDataHome(places), "");
    EXPECT_TRUE(fs::is_directory(root / "home/.local/share/tessary"));

    env["TESSARY_HOME"] = (root / "server/tessary").string();
    places = Locate(Bin());
    const std::string problem = PrepareDataHome(places);
    EXPECT_NE(problem.find("mounted"), std::string::npos) << problem;
    EXPECT_FALSE(fs::exists(root / "server"));

    fs::create_directories(root / "server/tessary");
    EXPECT_EQ(PrepareDataHome(places), "");
}

TEST_F(InstalledPlaces, NoTemplatesAnywhereKeepsTheBuildFolderBehaviour) {
    fs::remove(root / "usr/share/tessary/sys.d32");
    env = {{"HOME", "/home/x"}};
    const Places places = Locate(Bin());
    EXPECT_FALSE(places.installed);
    EXPECT_EQ(places.dataHome, Bin());
}

}  // namespace
}  // namespace tessary
