// Opening files on Linux: programs started with their arguments as given, never through a shell, and nothing
// left behind to reap; everything else handed to xdg-open.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "linux/adapters/process_shell.h"
#include "unit/linux_files.h"

namespace vr::lx {
namespace {

using Args = std::vector<std::string>;

TEST(SplitParameters, SplitsAtBlanksAndKeepsQuotedBlanksAndNothingElseIsSpecial) {
    EXPECT_EQ(splitParameters(""), Args{});
    EXPECT_EQ(splitParameters("  a\tb  "), (Args{"a", "b"}));
    EXPECT_EQ(splitParameters(R"(-x "my file.txt" "" end)"), (Args{"-x", "my file.txt", "", "end"}));
    EXPECT_EQ(splitParameters(R"(say\"hi a"b c"d)"), (Args{"say\"hi", "ab cd"}));
    EXPECT_EQ(splitParameters("$HOME;rm `x` *.txt 'q r'"), (Args{"$HOME;rm", "`x`", "*.txt", "'q", "r'"}));
}

// A script that writes its folder and arguments, one a line, to <scratch>/<name>.out once it has run.
struct ProcessShellTest : ::testing::Test {
    test::ScratchFolder scratch;
    ProcessShell shell;

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

TEST_F(ProcessShellTest, AProgramGetsItsArgumentsLiterallyInItsFolderAndLeavesNoChild) {
    const std::string program = script("my program");
    std::filesystem::create_directory(scratch / "work dir");
    shell.open(0, "open", program, R"(a "b c" $HOME;rm `touch x`)", scratch / "work dir", Shell::Show::minimized);
    EXPECT_TRUE(noChildLeft());
    EXPECT_EQ(outputOf(program), scratch / "work dir" + "\na\nb c\n$HOME;rm\n`touch\nx`\n");
    EXPECT_FALSE(std::filesystem::exists(scratch / "work dir/x"));
}

TEST_F(ProcessShellTest, ABareNameIsLookedUpOnThePathAndAnythingElseGoesToXdgOpen) {
    const std::string opener = script("xdg-open");
    const std::string program = script("tool");
    test::EnvVar path("PATH", scratch.path.string());
    EXPECT_EQ(programPath("tool"), program);
    EXPECT_EQ(programPath(opener + ".absent"), "");
    test::putFile(scratch / "notes.txt", "");  // a document: readable, not executable
    EXPECT_EQ(programPath(scratch / "notes.txt"), "");

    shell.open(0, "open", "tool", "x", "", Shell::Show::minimized);
    EXPECT_EQ(outputOf(program).substr(outputOf(program).find('\n')), "\nx\n");
    for (const std::string& document : {scratch / "notes.txt", std::string("https://example.org/a?b=c&d=$e")}) {
        std::filesystem::remove(opener + ".out");
        shell.open(0, "open", document, "ignored", "", Shell::Show::maximized);
        const std::string out = outputOf(opener);
        EXPECT_EQ(out.substr(out.find('\n') + 1), document + "\n");
    }
    EXPECT_TRUE(noChildLeft());
}

}  // namespace
}  // namespace vr::lx
