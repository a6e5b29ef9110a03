// Starting with the session on Linux: the autostart entry the core's registration writes and removes.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "linux/adapters/xdg_autostart.h"
#include "settings/startup_registration.h"
#include "unit/linux_files.h"

namespace vr::lx {
namespace {

using Scope = RunKey::Scope;
using Result = RunKey::Result;

struct XdgAutostartTest : ::testing::Test {
    test::ScratchFolder scratch;
    std::string folder = scratch / "autostart";
    XdgAutostart autostart{folder};
    std::string entry = folder + "/vigilamp.desktop";

    int entries() {
        int n = 0;
        for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(folder)) ++n;
        return n;
    }
};

TEST_F(XdgAutostartTest, TheUsersEntryStartsTheProgramAndTheSystemsFolderIsNeverOpened) {
    EXPECT_EQ(autostart.setValue(Scope::machine, kRunValueName, "\"/opt/v/vigilamp\""), Result::notOpened);
    EXPECT_EQ(autostart.deleteValue(Scope::machine, kRunValueName), Result::notOpened);
    EXPECT_FALSE(std::filesystem::exists(folder));
    ASSERT_EQ(autostart.setValue(Scope::user, kRunValueName, "\"/opt/v/vigilamp\""), Result::done);
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
    EXPECT_EQ(autostart.deleteValue(Scope::user, kRunValueName), Result::done);  // no folder at all
    ASSERT_EQ(autostart.setValue(Scope::user, kRunValueName, "\"/opt/v/vigilamp\""), Result::done);
    test::putFile(folder + "/other.desktop", "[Desktop Entry]\n");
    EXPECT_EQ(autostart.deleteValue(Scope::user, kRunValueName), Result::done);
    EXPECT_FALSE(std::filesystem::exists(entry));
    EXPECT_TRUE(std::filesystem::exists(folder + "/other.desktop"));
    EXPECT_EQ(autostart.deleteValue(Scope::user, kRunValueName), Result::done);

    if (!test::permissionsBind()) GTEST_SKIP() << "running as root, which a read-only folder does not stop";
    ASSERT_EQ(autostart.setValue(Scope::user, kRunValueName, "\"/opt/v/vigilamp\""), Result::done);
    ::chmod(folder.c_str(), 0555);
    EXPECT_EQ(autostart.deleteValue(Scope::user, kRunValueName), Result::notOpened);
    EXPECT_TRUE(std::filesystem::exists(entry));
    EXPECT_EQ(autostart.setValue(Scope::user, kRunValueName, "\"/elsewhere\""), Result::failed);
}

TEST_F(XdgAutostartTest, TheCoresRegistrationLeavesExactlyOneEntryAndRemovesIt) {
    const std::string program = "/home/me/Vigilamp Rizu/vigilamp";
    for (int i = 0; i < 2; ++i) ASSERT_TRUE(setRunValue(autostart, kRunValueName, program, true));
    EXPECT_EQ(entries(), 1);
    EXPECT_NE(test::contentsOf(entry).find("\nExec=\"" + program + "\"\n"), std::string::npos);
    EXPECT_TRUE(setRunValue(autostart, kRunValueName, program, false));
    EXPECT_EQ(entries(), 0);

    // A folder that cannot be made: the write is refused, and the core reports it.
    test::putFile(scratch / "blocker", "");
    XdgAutostart blocked(scratch / "blocker/autostart");
    EXPECT_EQ(blocked.setValue(Scope::user, kRunValueName, "\"/x\""), Result::failed);
    EXPECT_THROW(setRunValue(blocked, kRunValueName, program, true), Error);
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
