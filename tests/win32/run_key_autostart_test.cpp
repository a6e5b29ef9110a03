// Starting with Windows: the per-machine Run key first, the user's own where that cannot be opened, one place
// only, and the path in quotes.
#include "win32/adapters/run_key_autostart.h"

#include <gtest/gtest.h>

#include "fakes/run_key.h"

namespace vr::win32 {
namespace {

using Call = fake::RunKey::Call;
using Scope = RunKey::Scope;

constexpr const char* kExecutable = "C:\\Program Files\\Vigilamp\\vigilamp.exe";
constexpr const char* kRunData = "\"C:\\Program Files\\Vigilamp\\vigilamp.exe\"";

struct RunKeyAutostartTest : ::testing::Test {
    fake::RunKey key;
    RunKeyAutostart autostart{key, kExecutable};
};

TEST_F(RunKeyAutostartTest, RegistersForEveryoneInQuotesAndOnceOnly) {
    key.user.values["Vigilamp Rizu"] = kRunData;  // left by an earlier run without the rights
    key.user.values["Other"] = "\"C:\\Other\\other.exe\"";
    EXPECT_EQ(autostart.set(true), std::nullopt);
    EXPECT_EQ(key.calls, (std::vector<Call>{{"set", Scope::machine, "Vigilamp Rizu", kRunData},
                                            {"delete", Scope::user, "Vigilamp Rizu", ""}}));
    EXPECT_EQ(key.machine.values.at("Vigilamp Rizu"), kRunData);
    EXPECT_EQ(key.user.values.count("Vigilamp Rizu"), 0u) << "registered in one place only";
    EXPECT_EQ(key.user.values.count("Other"), 1u);
}

TEST_F(RunKeyAutostartTest, RemovingDeletesFromBothKeysAndAnAbsentValueIsNoError) {
    key.machine.values["Vigilamp Rizu"] = kRunData;
    key.user.values["Vigilamp Rizu"] = kRunData;
    EXPECT_EQ(autostart.set(false), std::nullopt);
    EXPECT_EQ(autostart.set(false), std::nullopt);
    EXPECT_TRUE(key.machine.values.empty() && key.user.values.empty());
}

TEST_F(RunKeyAutostartTest, WithoutRightsToTheMachinesKeyTheUsersOwnTakesIt) {
    key.machine.canOpen = false;
    EXPECT_EQ(autostart.set(true), std::nullopt);
    EXPECT_EQ(key.calls, (std::vector<Call>{{"set", Scope::user, "Vigilamp Rizu", kRunData}}));
    EXPECT_EQ(autostart.set(false), std::nullopt);
    EXPECT_TRUE(key.user.values.empty());
}

TEST_F(RunKeyAutostartTest, NeitherKeyOpeningChangesNothingAndSaysWhy) {
    key.machine.canOpen = key.user.canOpen = false;
    const std::optional<std::string> why = "Unable to change the start-up registration: administrator rights are needed";
    EXPECT_EQ(autostart.set(true), why);
    EXPECT_EQ(autostart.set(false), why);
    EXPECT_EQ(key.attempts, 4);
    EXPECT_TRUE(key.calls.empty());
}

TEST_F(RunKeyAutostartTest, ARefusedWriteIsAnErrorNamingTheValueAndTheUsersKeyIsNotTried) {
    key.failWrite = true;
    try {
        autostart.set(true);
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Failed to set data for 'Vigilamp Rizu'");
    }
    EXPECT_EQ(key.calls, (std::vector<Call>{{"set", Scope::machine, "Vigilamp Rizu", kRunData}}));
}

}  // namespace
}  // namespace vr::win32
