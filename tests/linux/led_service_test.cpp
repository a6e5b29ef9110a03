// The LED service's lamps against a fake logind on a private system bus (tests/linux/run_led_tests.sh starts
// them and points DBUS_SYSTEM_BUS_ADDRESS at the bus). The fake writes each brightness into a fake LED folder the
// test makes, as logind writes /sys/class/leds, and journals every call; the test sets its knobs over the bus.
#include <gtest/gtest.h>
#include <systemd/sd-bus.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <sstream>
#include <thread>

#include "fakes/fakes.h"
#include "linux/adapters/led_service_lamps.h"
#include "linux/linux_files.h"

namespace vr::lx {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Back = LedServiceLamps::Back;

template <class Done>
bool eventually(Done done, std::chrono::milliseconds limit = 5s) {
    for (const auto end = Clock::now() + limit; Clock::now() < end; std::this_thread::sleep_for(10ms))
        if (done()) return true;
    return done();
}

constexpr const char* kSession = "/org/freedesktop/login1/session/c1";

// The fake logind's knobs, over a connection of the test's own.
class FakeLogind {
public:
    FakeLogind() { sd_bus_open_system(&bus_); }
    ~FakeLogind() { sd_bus_flush_close_unref(bus_); }
    bool reachable() const { return bus_ != nullptr; }
    template <class... Args>
    ::testing::AssertionResult knob(const char* method, const char* types, Args... args) {
        sd_bus_error error = SD_BUS_ERROR_NULL;
        const int result = sd_bus_call_method(bus_, "org.freedesktop.login1", "/org/freedesktop/login1",
                                              "org.freedesktop.DBus.Mock", method, &error, nullptr, types, args...);
        const std::string said = error.message ? error.message : "";
        sd_bus_error_free(&error);
        if (result >= 0) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << method << " failed: " << said;
    }

private:
    sd_bus* bus_ = nullptr;
};

// Three keyboards: a full one whose lamps take 0..255, a plain one, and one with a Caps Lock lamp alone; and an
// LED that is no keyboard's.
const std::map<std::string, unsigned> kDevices = {
    {"input3::capslock", 255}, {"input3::numlock", 255}, {"input3::scrolllock", 255},
    {"input7::capslock", 1},   {"input7::numlock", 1},   {"input7::scrolllock", 1},
    {"input9::capslock", 1},
};

LockKey lampOf(const std::string& device) {
    return device.ends_with("capslock") ? LockKey::Caps : device.ends_with("numlock") ? LockKey::Num
                                                                                      : LockKey::Scroll;
}

class LedServiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(logind_.reachable()) << "no system bus (run tests/linux/run_led_tests.sh)";
        ASSERT_TRUE(logind_.knob("Reset", ""));
        for (const auto& [name, most] : kDevices) device(name, 0, most);
        device("platform::micmute", 1, 1);
        ASSERT_TRUE(logind_.knob("SetLamps", "ss", leds_.path.c_str(), journal_.c_str()));
    }
    void device(const std::string& name, unsigned brightness, unsigned most) {
        std::filesystem::create_directories(leds_ / name);
        test::putFile(leds_ / (name + "/brightness"), std::to_string(brightness) + "\n");
        test::putFile(leds_ / (name + "/max_brightness"), std::to_string(most) + "\n");
    }
    unsigned brightness(const std::string& name) {
        return static_cast<unsigned>(std::stoul("0" + test::contentsOf(leds_ / (name + "/brightness"))));
    }
    // Every keyboard lamp as the folder holds it.
    std::map<std::string, unsigned> folder() {
        std::map<std::string, unsigned> now;
        for (const auto& [name, most] : kDevices) now[name] = brightness(name);
        return now;
    }
    // What every keyboard lamp should hold: lit is the device's most.
    static std::map<std::string, unsigned> lit(LockStates lamps) {
        std::map<std::string, unsigned> wanted;
        for (const auto& [name, most] : kDevices) wanted[name] = lamps.of(lampOf(name)) ? most : 0;
        return wanted;
    }
    ::testing::AssertionResult folderBecomes(const std::map<std::string, unsigned>& wanted) {
        if (eventually([&] { return folder() == wanted; })) return ::testing::AssertionSuccess();
        std::ostringstream seen;
        for (const auto& [name, value] : folder()) seen << name << "=" << value << " ";
        return ::testing::AssertionFailure() << "the folder holds " << seen.str();
    }
    std::vector<std::string> journal() {
        std::vector<std::string> lines;
        std::istringstream text(test::contentsOf(journal_));
        for (std::string line; std::getline(text, line);) lines.push_back(line);
        return lines;
    }

    FakeLogind logind_;
    test::ScratchFolder leds_, scratch_;
    std::string journal_ = scratch_ / "journal";
    fake::LockLights locks_;
};

TEST_F(LedServiceTest, EveryLampOfThePatternIsSetOnEveryKeyboardAtEveryShow) {
    LedServiceLamps lamps(locks_, leds_.path.string());
    ASSERT_EQ(lamps.route(), LampRoute::ledService) << lamps.why();
    EXPECT_EQ(lamps.why(), "");
    EXPECT_EQ(lamps.session(), kSession);
    ASSERT_EQ(journal().size(), 1u);  // the first, harmless call: a lamp set to what it holds
    EXPECT_EQ(journal()[0], std::string(kSession) + " input3::capslock 0");

    for (const LockStates pattern : {LockStates{true, false, false}, LockStates{false, true, true},
                                     LockStates{true, true, true}, LockStates{false, false, false}}) {
        const std::size_t before = journal().size();
        lamps.show(pattern);
        EXPECT_TRUE(folderBecomes(lit(pattern)));
        ASSERT_TRUE(eventually([&] { return journal().size() == before + kDevices.size(); }));
    }
    // A compositor repaints two lamps from its own state: the next show, the same as the last, sets them again.
    lamps.show({true, false, true});
    ASSERT_TRUE(folderBecomes(lit({true, false, true})));
    test::putFile(leds_ / "input7::capslock/brightness", "0\n");
    test::putFile(leds_ / "input3::numlock/brightness", "1\n");
    lamps.show({true, false, true});
    EXPECT_TRUE(folderBecomes(lit({true, false, true})));
    EXPECT_EQ(brightness("platform::micmute"), 1u);
    for (const auto& line : journal()) EXPECT_TRUE(line.starts_with(kSession)) << line;
}

TEST_F(LedServiceTest, ReleaseGivesEachLampTheLockStateAsItIsThen) {
    {
        LedServiceLamps lamps(locks_, leds_.path.string());
        ASSERT_EQ(lamps.route(), LampRoute::ledService) << lamps.why();
        lamps.show({false, false, true});
        ASSERT_TRUE(folderBecomes(lit({false, false, true})));
        locks_.lit[0] = true;  // the user presses Caps Lock and Num Lock during the alert
        locks_.lit[1] = true;
        lamps.release();
        EXPECT_TRUE(folderBecomes(lit({true, true, false})));
        // A later alert starts afresh, and what was asked last is sent before the object goes.
        locks_.lit[1] = false;
        lamps.show({false, true, false});
        lamps.release();
    }
    EXPECT_TRUE(folderBecomes(lit({true, false, false})));
}

TEST_F(LedServiceTest, ReleaseWithoutAnAlertSendsNothing) {
    {
        LedServiceLamps lamps(locks_, leds_.path.string());
        ASSERT_EQ(lamps.route(), LampRoute::ledService) << lamps.why();
        lamps.release();
    }  // every call asked for is made before this
    EXPECT_EQ(journal().size(), 1u);  // the first, harmless call alone
    EXPECT_EQ(locks_.looks, 0);
}

TEST_F(LedServiceTest, WhereNoLockStateCanBeReadReleasePutsBackWhatEachLampHad) {
    device("input3::capslock", 255, 255);
    device("input7::numlock", 1, 1);
    device("input9::capslock", 1, 1);
    const auto before = folder();
    locks_.lit[1] = true;  // not the keyboard's: never read
    {
        LedServiceLamps lamps(locks_, leds_.path.string(), Back::asBefore);
        ASSERT_EQ(lamps.route(), LampRoute::ledService) << lamps.why();
        lamps.show({false, true, true});
        ASSERT_TRUE(folderBecomes(lit({false, true, true})));
        lamps.show({true, false, false});
        ASSERT_TRUE(folderBecomes(lit({true, false, false})));
        lamps.release();
        EXPECT_TRUE(folderBecomes(before));
    }
    EXPECT_EQ(locks_.looks, 0);
}

TEST_F(LedServiceTest, TheCallerNeverWaitsOnASlowBusAndTheLastStateAskedForWins) {
    LedServiceLamps lamps(locks_, leds_.path.string());
    ASSERT_EQ(lamps.route(), LampRoute::ledService) << lamps.why();
    ASSERT_TRUE(logind_.knob("SetLampDelay", "d", 0.25));
    const std::size_t before = journal().size();
    for (int tick = 0; tick < 40; ++tick) lamps.show({tick % 2 == 0, tick % 3 == 0, tick % 5 == 0});
    // Forty shows have returned before the service has answered a single call.
    EXPECT_EQ(journal().size(), before);
    const LockStates last{true, false, true};
    lamps.show({true, true, true});
    lamps.show(last);
    EXPECT_TRUE(eventually([&] { return folder() == lit(last); }, 15s));
    ASSERT_TRUE(logind_.knob("SetLampDelay", "d", 0.0));
    // The round under way when the shows came, and the last one: nothing queued in between.
    EXPECT_LE(journal().size(), before + 2 * kDevices.size());
}

TEST_F(LedServiceTest, ARefusalGivesNoRouteAndSaysWhy) {
    ASSERT_TRUE(logind_.knob("RefuseLamps", "ss", "org.freedesktop.DBus.Error.AccessDenied",
                             "Only owner of session may change its brightness."));
    {
        LedServiceLamps lamps(locks_, leds_.path.string());
        EXPECT_EQ(lamps.route(), LampRoute::none);
        EXPECT_NE(lamps.why().find("org.freedesktop.DBus.Error.AccessDenied"), std::string::npos) << lamps.why();
        EXPECT_NE(lamps.why().find("Only owner of session"), std::string::npos) << lamps.why();
        ASSERT_TRUE(logind_.knob("RefuseLamps", "ss", "", ""));
        lamps.show({true, true, true});
        lamps.release();
    }
    EXPECT_EQ(folder(), lit({false, false, false}));
    EXPECT_TRUE(journal().empty());
}

TEST_F(LedServiceTest, TheSessionIsTheAutoOneOrElseThisProcesssOwn) {
    ASSERT_TRUE(logind_.knob("SetSessionLookup", "bb", 0, 1));  // a logind that does not know "auto"
    LedServiceLamps byProcess(locks_, leds_.path.string());
    EXPECT_EQ(byProcess.route(), LampRoute::ledService) << byProcess.why();
    EXPECT_EQ(byProcess.session(), kSession);

    ASSERT_TRUE(logind_.knob("SetSessionLookup", "bb", 0, 0));  // outside any session
    LedServiceLamps none(locks_, leds_.path.string());
    EXPECT_EQ(none.route(), LampRoute::none);
    EXPECT_EQ(none.session(), "");
    EXPECT_NE(none.why().find("org.freedesktop.login1.NoSuchSession"), std::string::npos) << none.why();
    EXPECT_NE(none.why().find("org.freedesktop.login1.NoSessionForPID"), std::string::npos) << none.why();
}

TEST_F(LedServiceTest, WithoutKeyboardLampsOrASystemBusThereIsNoRoute) {
    test::ScratchFolder empty;
    LedServiceLamps noLamps(locks_, empty.path.string());
    EXPECT_EQ(noLamps.route(), LampRoute::none);
    EXPECT_NE(noLamps.why().find(empty.path.string()), std::string::npos) << noLamps.why();
    LedServiceLamps noFolder(locks_, (empty / "leds"));
    EXPECT_EQ(noFolder.route(), LampRoute::none);

    test::EnvVar bus("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + (empty / "no-bus"));
    LedServiceLamps noBus(locks_, leds_.path.string());
    EXPECT_EQ(noBus.route(), LampRoute::none);
    EXPECT_NE(noBus.why().find("no system bus"), std::string::npos) << noBus.why();
    EXPECT_TRUE(journal().empty());
}

}  // namespace
}  // namespace vr::lx
