// Opening what the user chose on Linux: programs started never through a shell, and nothing left behind to
// reap; everything else handed to xdg-open.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "linux/adapters/process_launcher.h"
#include "linux/linux_files.h"

namespace vr::lx {
namespace {

// A script that writes its folder and arguments, one a line, to <scratch>/<name>.out once it has run.
struct ProcessLauncherTest : ::testing::Test {
    test::ScratchFolder scratch;
    ProcessLauncher launcher;

    std::string script(const std::string& name) {
        const std::string path = scratch / name;
        test::putFile(path, "#!/bin/sh\nprintf '%s\\n' \"$PWD\" \"$@\" > '" + path + ".tmp'\n/bin/mv '" + path +
                                ".tmp' '" + path + ".out'\n");
        ::chmod(path.c_str(), 0755);
        return path;
    }
    std::string outputOf(const std::string& path) {
        for (int i = 0; i < 500 && !std::filesystem::exists(path + ".out"); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return test::contentsOf(path + ".out");
    }
    static bool noChildLeft() { return ::waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD; }
};

TEST_F(ProcessLauncherTest, AProgramWhosePathAShellWouldReadAsCommandsStartsAsItIsAndLeavesNoChild) {
    const std::string program = script("my program; touch x `touch y` $HOME");
    launcher.program(program);
    EXPECT_TRUE(noChildLeft());
    EXPECT_EQ(outputOf(program), std::filesystem::current_path().string() + "\n") << "no arguments";
    EXPECT_FALSE(std::filesystem::exists("x") || std::filesystem::exists("y"));
}

TEST_F(ProcessLauncherTest, ABareNameIsLookedUpOnThePathAndAnythingElseGoesToXdgOpen) {
    const std::string opener = script("xdg-open");
    const std::string program = script("tool");
    test::EnvVar path("PATH", scratch.path.string());
    EXPECT_EQ(programPath("tool"), program);
    EXPECT_EQ(programPath(opener + ".absent"), "");
    test::putFile(scratch / "notes.txt", "");  // a document: readable, not executable
    EXPECT_EQ(programPath(scratch / "notes.txt"), "");

    launcher.program("tool");
    EXPECT_NE(outputOf(program), "") << "found on the path";
    launcher.document(scratch / "notes.txt");
    EXPECT_EQ(outputOf(opener), scratch.path.string() + "\n" + scratch / "notes.txt" + "\n")
        << "a document opens from its own folder";
    std::filesystem::remove(opener + ".out");
    launcher.address("https://example.org/a?b=c&d=$e");
    const std::string out = outputOf(opener);
    EXPECT_EQ(out.substr(out.find('\n') + 1), "https://example.org/a?b=c&d=$e\n");
    EXPECT_TRUE(noChildLeft());
}

}  // namespace
}  // namespace vr::lx
