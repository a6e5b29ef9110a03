// The Linux settings file: the Windows profile API's reading rules, writes that change one line and keep the
// rest, the file replaced in one step, and where the file lives.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include "linux/adapters/ini_profile.h"
#include "model/model.h"
#include "settings/settings_file.h"
#include "linux/linux_files.h"

namespace vr::lx {
namespace {

using test::contentsOf;
using test::putFile;

std::string withEnds(std::string text, bool crlf) {
    if (!crlf) return text;
    std::string out;
    for (char c : text) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return out;
}

struct IniProfileTest : ::testing::Test {
    test::ScratchFolder folder;
    std::string file = folder / "vigilamp.ini";
    IniProfile ini{file};
};

TEST_F(IniProfileTest, ReadsAsTheWindowsProfileApiDoesWithEitherLineEnd) {
    const std::string text =
        "; written by hand\n"
        "[Status]\n"
        "  DisableStat  =  1  \n"
        "[ timers ]\n"
        "delayvalue=\"  5000 \"\n"
        "ScanInterval='2000'\n"
        "Title=\"half\n"
        "Mixed=\"a'\n"
        "Inner=a \"b\" c\n"
        "Dup=first\n"
        "Dup=second\n"
        "Empty=\n"
        "NoValue\n"
        "[Other]\n"
        "Dup=other\n"
        "[Timers]\n"
        "Dup=third\n"
        "Late=in a second section of the name\n";
    for (const bool crlf : {false, true}) {
        SCOPED_TRACE(crlf ? "CRLF" : "LF");
        putFile(file, withEnds(text, crlf));
        EXPECT_EQ(ini.read("STATUS", "disablestat"), "1");
        EXPECT_EQ(ini.read("Timers", "DelayValue"), "  5000 ");  // one pair of quotes off, the rest as written
        EXPECT_EQ(ini.read("Timers", "ScanInterval"), "2000");
        EXPECT_EQ(ini.read("Timers", "Title"), "\"half");
        EXPECT_EQ(ini.read("Timers", "Mixed"), "\"a'");
        EXPECT_EQ(ini.read("Timers", "Inner"), "a \"b\" c");
        EXPECT_EQ(ini.read("Timers", "Dup"), "first");
        EXPECT_EQ(ini.read("Other", "Dup"), "other");
        EXPECT_EQ(ini.read("Timers", "Late"), "in a second section of the name");
        EXPECT_EQ(ini.read("Timers", "Empty"), "");
        EXPECT_EQ(ini.read("Timers", "NoValue"), std::nullopt);
        EXPECT_EQ(ini.read("Timers", "DisableStat"), std::nullopt);
        EXPECT_EQ(ini.read("Nowhere", "Dup"), std::nullopt);
    }
    EXPECT_EQ(IniProfile(folder / "absent.ini").read("Status", "DisableStat"), std::nullopt);
}

TEST_F(IniProfileTest, AWriteChangesOneLineAndKeepsEverythingElseAndTheLineEnds) {
    const std::string before =
        "; my settings\n"
        "[Status]\n"
        "DISABLESTAT = 0\n"
        "Unknown=kept\n"
        "\n"
        "[Timers]\n"
        "DelayValue=1000\n"
        "DelayValue=2000\n"
        "\n"
        "[Timers]\n"
        "ScanInterval=3000\n";
    for (const bool crlf : {false, true}) {
        SCOPED_TRACE(crlf ? "CRLF" : "LF");
        putFile(file, withEnds(before, crlf));
        ASSERT_TRUE(ini.write("status", "DisableStat", "1"));
        ASSERT_TRUE(ini.write("Timers", "delayvalue", "5000"));
        ASSERT_TRUE(ini.write("Timers", "LightingInterval", "4000"));
        ASSERT_TRUE(ini.write("Timers", "ScanInterval", "6000"));
        ASSERT_TRUE(ini.write("Match", "Title", "a = b"));
        EXPECT_EQ(contentsOf(file), withEnds("; my settings\n"
                                             "[Status]\n"
                                             "DISABLESTAT=1\n"
                                             "Unknown=kept\n"
                                             "\n"
                                             "[Timers]\n"
                                             "DelayValue=5000\n"  // the key as the file spells it
                                             "DelayValue=2000\n"
                                             "LightingInterval=4000\n"
                                             "\n"
                                             "[Timers]\n"
                                             "ScanInterval=6000\n"
                                             "\n"
                                             "[Match]\n"
                                             "Title=a = b\n",
                                             crlf));
        EXPECT_EQ(ini.read("Match", "Title"), "a = b");
    }
}

TEST_F(IniProfileTest, TheFirstWriteCreatesTheFolderAndTheFileIsReplacedWhole) {
    const std::string deep = folder / "config/vigilamp/vigilamp.ini";
    IniProfile fresh(deep);
    EXPECT_EQ(fresh.read("Status", "DisableStat"), std::nullopt);
    EXPECT_FALSE(std::filesystem::exists(folder / "config"));  // a read creates nothing
    ASSERT_TRUE(fresh.write("Status", "DisableStat", "1"));
    EXPECT_EQ(contentsOf(deep), "[Status]\nDisableStat=1\n");

    // The file keeps its permissions, a link to it stays a link, and no temporary file is left.
    putFile(file, "[A]\nk=1\n");
    ::chmod(file.c_str(), 0640);
    std::filesystem::create_symlink(file, folder / "link.ini");
    ASSERT_TRUE(IniProfile(folder / "link.ini").write("A", "k", "2"));
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "link.ini"));
    EXPECT_EQ(contentsOf(file), "[A]\nk=2\n");
    struct stat s {};
    ::stat(file.c_str(), &s);
    EXPECT_EQ(s.st_mode & 0777, 0640u);
    int entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(folder.path)) ++entries;
    EXPECT_EQ(entries, 3);  // vigilamp.ini, link.ini, config
}

TEST_F(IniProfileTest, ARefusedWriteReturnsFalseAndLeavesTheFileAsItWas) {
    putFile(folder / "blocker", "a file where the folder should be");
    EXPECT_FALSE(IniProfile(folder / "blocker/vigilamp.ini").write("Status", "DisableStat", "1"));

    if (!test::permissionsBind()) GTEST_SKIP() << "running as root, which read-only files and folders do not stop";
    putFile(file, "[Status]\nDisableStat=0\n");
    ::chmod(file.c_str(), 0444);
    EXPECT_FALSE(ini.write("Status", "DisableStat", "1"));  // the folder would allow a rename over it
    EXPECT_EQ(ini.read("Status", "DisableStat"), "0");
    ::chmod(file.c_str(), 0644);
    ::chmod(folder.path.c_str(), 0555);
    EXPECT_FALSE(ini.write("Status", "DisableStat", "1"));
    EXPECT_EQ(contentsOf(file), "[Status]\nDisableStat=0\n");
}

TEST_F(IniProfileTest, AUtf16FileIsReadAndKeepsItsEncodingAndALinkIsWrittenThrough) {
    // As the Windows profile API writes a Unicode file: UTF-16, little-endian, with its mark.
    const auto utf16le = [](const std::u16string& text) {
        std::string bytes = "\xFF\xFE";
        for (const char16_t u : text) bytes += static_cast<char>(u & 0xFF), bytes += static_cast<char>(u >> 8);
        return bytes;
    };
    putFile(file, utf16le(u"[Match]\r\nTitle=(*) Café 日本\r\n"));
    EXPECT_EQ(ini.read("Match", "Title"), "(*) Café 日本");
    ASSERT_TRUE(ini.write("Match", "TitleEnable", "1"));
    EXPECT_EQ(contentsOf(file), utf16le(u"[Match]\r\nTitle=(*) Café 日本\r\nTitleEnable=1\r\n"));

    // A link to a file that does not exist yet (a dotfiles folder, say) is written through, and stays a link.
    std::filesystem::create_directory(folder / "dotfiles");
    std::filesystem::create_symlink("dotfiles/vigilamp.ini", folder / "linked.ini");
    ASSERT_TRUE(IniProfile(folder / "linked.ini").write("Status", "DisableStat", "1"));
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "linked.ini"));
    EXPECT_EQ(contentsOf(folder / "dotfiles/vigilamp.ini"), "[Status]\nDisableStat=1\n");

    EXPECT_FALSE(ini.write("Actions", "File", "x.exe\r\n[Actions]\r\nEnable=1")) << "a value never breaks a line";
    EXPECT_FALSE(ini.write("Actions", "File", std::string("x\0y", 3)));
    EXPECT_EQ(ini.read("Actions", "File"), std::nullopt);
}

TEST_F(IniProfileTest, TheLoadReadsTheFileOnceAndTwoCopiesStoringAtOnceLoseNothing) {
    putFile(file, "[A]\nk=1\n");
    ini.keepRead(true);
    putFile(file, "[A]\nk=2\n");
    EXPECT_EQ(ini.read("A", "k"), "1") << "the load reads what it read at its start";
    ASSERT_TRUE(ini.write("A", "j", "3"));
    EXPECT_EQ(ini.read("A", "j"), "3") << "and what it wrote meanwhile";
    ini.keepRead(false);
    EXPECT_EQ(ini.read("A", "k"), "2");

    // Several copies, each storing keys of its own as fast as it can, into one file.
    constexpr int kCopies = 4, kKeys = 25;
    std::vector<pid_t> copies;
    for (int c = 0; c < kCopies; ++c) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            IniProfile own(file);
            bool ok = true;
            for (int k = 0; k < kKeys; ++k) ok = own.write("C" + std::to_string(c), "k" + std::to_string(k), "v") && ok;
            ::_exit(ok ? 0 : 1);
        }
        copies.push_back(pid);
    }
    for (const pid_t pid : copies) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    for (int c = 0; c < kCopies; ++c)
        for (int k = 0; k < kKeys; ++k)
            EXPECT_EQ(ini.read("C" + std::to_string(c), "k" + std::to_string(k)), "v") << c << "/" << k;
}

TEST_F(IniProfileTest, EverySettingGoesThroughTheCoreAndComesBackAsStored) {
    SettingsFile settings(ini);
    // Strings that a reader trimming blanks and quotes would change, unless the writer quoted them.
    const auto text = [](const SettingKey& key) {
        const std::string name = key.name;
        return name == "File" ? "/home/me/notify " : name == "Title" ? "\"*\"" : name == "AudFile" ? " 'été'.mp3" :
                                                                               "/home/me/my files/" + name;
    };
    for (const SettingKey& key : kSettings) {
        switch (key.type) {
        case ValueType::Boolean: settings.store(key, key.fallback == std::string("1") ? "0" : "1"); break;
        case ValueType::Integer: settings.store(key, std::to_string(key.range.maximum)); break;
        case ValueType::String: settings.store(key, text(key)); break;
        }
    }
    IniProfile again(file);
    SettingsFile reread(again);
    for (const SettingKey& key : kSettings) {
        SCOPED_TRACE(key.name);
        switch (key.type) {
        case ValueType::Boolean: EXPECT_EQ(reread.boolean(key), key.fallback != std::string("1")); break;
        case ValueType::Integer: EXPECT_EQ(reread.integer(key), key.range.maximum); break;
        case ValueType::String: EXPECT_EQ(reread.string(key), text(key)); break;
        }
    }
    putFile(folder / "blocker", "");
    IniProfile blocked(folder / "blocker/vigilamp.ini");
    SettingsFile refusing(blocked);
    EXPECT_THROW(refusing.store(kSettings[0], "1"), Error);
}

TEST(SettingsPath, APortableCopyKeepsItsFileBesideItOtherwiseTheUsersConfigFolder) {
    test::ScratchFolder folder;
    const std::string program = folder / "vigilamp";
    test::EnvVar home("HOME", folder / "home");
    {
        test::EnvVar xdg("XDG_CONFIG_HOME", folder / "xdg");
        EXPECT_EQ(settingsPath(program), folder / "xdg/vigilamp/vigilamp.ini");
        putFile(folder / "vigilamp.ini", "");
        EXPECT_EQ(settingsPath(program), folder / "vigilamp.ini");
        std::filesystem::remove(folder / "vigilamp.ini");
    }
    for (const std::optional<std::string>& unusable : {std::optional<std::string>(), std::optional<std::string>(""),
                                                      std::optional<std::string>("relative/xdg")}) {
        test::EnvVar xdg("XDG_CONFIG_HOME", unusable);
        EXPECT_EQ(settingsPath(program), folder / "home/.config/vigilamp/vigilamp.ini") << unusable.value_or("unset");
    }
}

}  // namespace
}  // namespace vr::lx
