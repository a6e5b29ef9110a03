// Starting with the session on Linux: the autostart entry the core's registration writes and removes.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "linux/adapters/xdg_autostart.h"
#include "linux/linux_files.h"

namespace vr::lx {
namespace {

struct XdgAutostartTest : ::testing::Test {
    test::ScratchFolder scratch;
    std::string folder = scratch / "autostart";
    XdgAutostart autostart{folder, "/opt/v/vigilamp"};
    std::string entry = folder + "/vigilamp.desktop";

    int entries() {
        int n = 0;
        for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(folder)) ++n;
        return n;
    }
};

TEST_F(XdgAutostartTest, TheUsersEntryStartsTheProgram) {
    ASSERT_EQ(autostart.set(true), std::nullopt);
    EXPECT_EQ(test::contentsOf(entry),
              "[Desktop Entry]\n"
              "Type=Application\n"
              "Name=Vigilamp Rizu!\n"
              "Comment=Watches for a window and flashes the keyboard lights when it appears\n"
              "Exec=\"/opt/v/vigilamp\"\n"
              "Icon=vigilamp\n"
              "Terminal=false\n"
              "X-GNOME-Autostart-enabled=true\n");
}

TEST(DesktopExec, QuotesThePathByTheDesktopEntryRules) {
    const std::pair<const char*, const char*> cases[] = {
        {"/opt/my apps/vigilamp", R"("/opt/my apps/vigilamp")"},
        {R"(/tmp/a"b$c`d)", R"("/tmp/a\\"b\\$c\\`d")"},
        {R"(/x/back\slash)", R"("/x/back\\\\slash")"},  // \\ in the argument, each doubled for the string
        {"/x/100%/p", R"("/x/100%%/p")"},
        {"/x/new\nline", R"("/x/new\nline")"},
    };
    for (const auto& [program, exec] : cases) EXPECT_EQ(desktopExec(program), exec) << program;
}

TEST_F(XdgAutostartTest, DeletingIsDoneWhetherOrNotTheEntryWasThereButNotInAFolderThatCannotChange) {
    EXPECT_EQ(autostart.set(false), std::nullopt);  // no folder at all
    ASSERT_EQ(autostart.set(true), std::nullopt);
    ASSERT_EQ(autostart.set(true), std::nullopt);
    EXPECT_EQ(entries(), 1) << "exactly one entry, however often it is set";
    test::putFile(folder + "/other.desktop", "[Desktop Entry]\n");
    EXPECT_EQ(autostart.set(false), std::nullopt);
    EXPECT_FALSE(std::filesystem::exists(entry));
    EXPECT_TRUE(std::filesystem::exists(folder + "/other.desktop"));
    EXPECT_EQ(autostart.set(false), std::nullopt);

    // A folder that cannot be made: the write is refused, and the core reports it.
    test::putFile(scratch / "blocker", "");
    XdgAutostart blocked(scratch / "blocker/autostart", "/x");
    EXPECT_THROW(blocked.set(true), Error);

    if (!test::permissionsBind()) GTEST_SKIP() << "running as root, which a read-only folder does not stop";
    ASSERT_EQ(autostart.set(true), std::nullopt);
    ::chmod(folder.c_str(), 0555);
    EXPECT_NE(autostart.set(false), std::nullopt);
    EXPECT_TRUE(std::filesystem::exists(entry));
}

TEST(AutostartFolder, IsInTheUsersConfigFolder) {
    test::EnvVar home("HOME", "/home/me");
    {
        test::EnvVar xdg("XDG_CONFIG_HOME", "/cfg");
        EXPECT_EQ(autostartFolder(), "/cfg/autostart");
    }
    test::EnvVar xdg("XDG_CONFIG_HOME", "");
    EXPECT_EQ(autostartFolder(), "/home/me/.config/autostart");
}

}  // namespace
}  // namespace vr::lx
