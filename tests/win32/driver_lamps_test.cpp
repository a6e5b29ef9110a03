// The keyboard's lamps through the Windows keyboard class driver: which devices are tried, what each is sent
// and when, all off the caller's thread, and what is given back at the end.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "fakes/fakes.h"
#include "fakes/keyboard_devices.h"
#include "win32/adapters/driver_lamps.h"

namespace vr::win32 {
namespace {

using Set = fake::KeyboardDevices::Set;

constexpr LockStates kNone{}, kCaps{true, false, false}, kNum{false, true, false}, kScroll{false, false, true};
constexpr LockStates kAll{true, true, true};

std::vector<std::string> everyKeyboard(const std::string& kind) {
    std::vector<std::string> calls;
    for (unsigned n = 0; n < DriverLamps::kKeyboards; ++n) calls.push_back(kind + " " + std::to_string(n));
    return calls;
}

struct DriverLampsTest : ::testing::Test {
    fake::KeyboardDevices devices;
    fake::Worker worker;
    fake::LockLights locks;
    std::unique_ptr<DriverLamps> lamps;

    DriverLamps& make() {
        lamps = std::make_unique<DriverLamps>(devices, worker, locks);
        return *lamps;
    }
    // What the worker sent from here on.
    std::vector<Set> sentAfterRun() {
        devices.sets.clear();
        worker.runAll();
        return devices.sets;
    }
};

// --- the probe at construction

TEST_F(DriverLampsTest, WithNoKeyboardEveryClassDeviceFrom0To31IsTriedAndEachNameRemovedAgain) {
    EXPECT_EQ(make().route(), LampRoute::none);
    EXPECT_EQ(devices.callsOf("define"), everyKeyboard("define"));
    EXPECT_EQ(devices.callsOf("open"), everyKeyboard("open"));
    EXPECT_EQ(devices.callsOf("remove"), everyKeyboard("remove"));
    EXPECT_TRUE(devices.names.empty());
}

TEST_F(DriverLampsTest, NamesPointAtTheClassDevicesAndCarryTheProcessId) {
    devices.pid = 4242;
    make();
    ASSERT_EQ(devices.defined.size(), DriverLamps::kKeyboards);
    EXPECT_EQ(devices.defined[0], "VigilampLamps4242_0 -> \\Device\\KeyboardClass0");
    EXPECT_EQ(devices.defined[31], "VigilampLamps4242_31 -> \\Device\\KeyboardClass31");
    fake::KeyboardDevices other;  // another copy of the program, running at the same time
    other.pid = 77;
    fake::Worker otherWorker;
    DriverLamps otherLamps(other, otherWorker, locks);
    EXPECT_EQ(other.defined[0], "VigilampLamps77_0 -> \\Device\\KeyboardClass0");
}

TEST_F(DriverLampsTest, KeyboardsThatOpenChooseTheDriverAndAreClosedAgainUntilAnAlert) {
    devices.present = {3, 17};
    EXPECT_EQ(make().route(), LampRoute::keyboardDriver);
    EXPECT_EQ(devices.callsOf("close"), (std::vector<std::string>{"close 3", "close 17"}));
    EXPECT_EQ(devices.callsOf("remove").size(), DriverLamps::kKeyboards);  // 30 refused, 2 closed
    EXPECT_TRUE(devices.opened.empty());
    EXPECT_TRUE(devices.names.empty());
    EXPECT_TRUE(devices.sets.empty());
    EXPECT_EQ(worker.posted, 0);
}

TEST_F(DriverLampsTest, ANameTheSystemRefusesIsNeitherOpenedNorRemoved) {
    devices.present = {0, 1};
    devices.refusedNames = {1};
    EXPECT_EQ(make().route(), LampRoute::keyboardDriver);
    const auto opens = devices.callsOf("open");
    EXPECT_EQ(std::count(opens.begin(), opens.end(), "open 1"), 0);
    const auto removes = devices.callsOf("remove");
    EXPECT_EQ(std::count(removes.begin(), removes.end(), "remove 1"), 0);
    EXPECT_EQ(removes.size(), DriverLamps::kKeyboards - 1);
}

TEST_F(DriverLampsTest, WithoutAThreadToRunOnNoRouteIsOfferedAndNoDeviceTouched) {
    devices.present = {0};
    worker.hasThread = false;
    EXPECT_EQ(make().route(), LampRoute::none);
    EXPECT_TRUE(devices.calls.empty());
}

// --- showing the lamps

TEST_F(DriverLampsTest, AShowIsQueuedForTheWorkerAndNothingIsCalledOnTheCallersThread) {
    devices.present = {0, 4};
    make();
    devices.calls.clear();
    lamps->show(kCaps);
    EXPECT_TRUE(devices.calls.empty());
    EXPECT_EQ(worker.jobs.size(), 1u);
    EXPECT_EQ(sentAfterRun(), (std::vector<Set>{{100, 0, 4}, {104, 0, 4}}));
}

TEST_F(DriverLampsTest, EachLampHasItsFlagAndEveryKeyboardIsAddressedAsUnitZero) {
    devices.present = {2};
    make();
    const struct {
        LockStates lamps;
        std::uint16_t flags;
    } cases[] = {{kNone, 0}, {kScroll, 1}, {kNum, 2}, {kCaps, 4}, {{true, false, true}, 5}, {kAll, 7}};
    for (const auto& c : cases) {
        lamps->show(c.lamps);
        EXPECT_EQ(sentAfterRun(), (std::vector<Set>{{102, DriverLamps::kUnitId, c.flags}})) << c.flags;
    }
    EXPECT_EQ(DriverLamps::kUnitId, 0);
}

TEST_F(DriverLampsTest, EveryShowIsSentOnceToEachKeyboardEvenWhenTheLampsAreAlreadySo) {
    devices.present = {0, 1};
    make();
    lamps->show(kNum);
    EXPECT_EQ(sentAfterRun().size(), 2u);
    devices.calls.clear();
    lamps->show(kNum);  // the system may have repainted them from the locks meanwhile
    EXPECT_EQ(sentAfterRun(), (std::vector<Set>{{100, 0, 2}, {101, 0, 2}}));
    EXPECT_TRUE(devices.callsOf("define").empty());  // the keyboards stay open during the alert
    EXPECT_TRUE(devices.callsOf("open").empty());
}

TEST_F(DriverLampsTest, ShowsAskedWhileTheWorkerIsBusyCollapseIntoTheLatest) {
    devices.present = {0};
    make();
    lamps->show(kCaps);
    lamps->show(kNum);
    lamps->show(kScroll);
    EXPECT_EQ(worker.jobs.size(), 1u);
    EXPECT_EQ(sentAfterRun(), (std::vector<Set>{{100, 0, 1}}));
}

TEST_F(DriverLampsTest, ShowsAskedDuringASlowDeviceCallAreSentOnceAfterItWithTheLatestState) {
    devices.present = {0, 1};
    make();
    lamps->show(kScroll);
    devices.duringSet = [&] {
        lamps->show(kNum);
        lamps->show(kCaps);
    };
    EXPECT_EQ(sentAfterRun(), (std::vector<Set>{{100, 0, 1}, {101, 0, 1}, {100, 0, 4}, {101, 0, 4}}));
    EXPECT_EQ(worker.posted, 2);
}

TEST_F(DriverLampsTest, WithNoRouteShowAndReleaseDoNothingAtAll) {
    make();
    devices.calls.clear();
    lamps->show(kAll);
    lamps->release();
    EXPECT_EQ(worker.posted, 0);
    EXPECT_EQ(locks.looks, 0);
    worker.runAll();
    EXPECT_TRUE(devices.calls.empty());
}

// --- giving the lamps back

TEST_F(DriverLampsTest, ReleaseGivesEachKeyboardTheLockStateAsItWasAtTheCall) {
    devices.present = {0, 1};
    make();
    lamps->show(kNone);
    worker.runAll();
    locks.lit[0] = locks.lit[2] = true;  // Caps and Scroll locked
    lamps->release();
    EXPECT_EQ(locks.looks, 1);
    locks.lit[0] = false;  // read on the caller's thread, so what the worker sends is what was read then
    EXPECT_EQ(sentAfterRun(), (std::vector<Set>{{100, 0, 5}, {101, 0, 5}}));
}

TEST_F(DriverLampsTest, ReleaseClosesEveryKeyboardAndRemovesEachName) {
    devices.present = {0, 6};
    make();
    lamps->show(kAll);
    worker.runAll();
    ASSERT_EQ(devices.opened.size(), 2u);
    ASSERT_EQ(devices.names.size(), 2u);
    devices.calls.clear();
    lamps->release();
    EXPECT_TRUE(devices.calls.empty());  // all of it on the worker
    worker.runAll();
    EXPECT_EQ(devices.calls, (std::vector<std::string>{"set 0 0", "set 6 0", "close 0", "remove 0", "close 6",
                                                        "remove 6"}));
    EXPECT_TRUE(devices.opened.empty());
    EXPECT_TRUE(devices.names.empty());
}

TEST_F(DriverLampsTest, AReleaseThatOvertakesAShowNotYetSentOpensNothing) {
    devices.present = {0};
    make();
    devices.calls.clear();
    lamps->show(kAll);
    lamps->release();
    EXPECT_EQ(worker.jobs.size(), 1u);
    worker.runAll();
    EXPECT_TRUE(devices.calls.empty());
}

TEST_F(DriverLampsTest, TheNextAlertOpensTheKeyboardsThereAreThen) {
    devices.present = {0};
    make();
    lamps->show(kCaps);
    worker.runAll();
    lamps->release();
    worker.runAll();
    devices.present = {0, 2};  // a keyboard plugged in between two alerts
    lamps->show(kNum);
    EXPECT_EQ(sentAfterRun(), (std::vector<Set>{{100, 0, 2}, {102, 0, 2}}));
}

// --- the end of the program

TEST_F(DriverLampsTest, DestructionGivesTheNamesBackThroughTheWorkerAndWaitsForIt) {
    devices.present = {1};
    make();
    lamps->show(kAll);
    worker.runAll();
    devices.calls.clear();
    lamps.reset();
    EXPECT_EQ(worker.settles, std::vector<unsigned>{DriverLamps::kSettleMs});
    EXPECT_EQ(devices.calls, (std::vector<std::string>{"close 1", "remove 1"}));
    EXPECT_TRUE(devices.names.empty());
}

TEST_F(DriverLampsTest, AJobThatADeviceHoldsUpPastTheDestructorStillFindsItsKeyboards) {
    devices.present = {1};
    make();
    lamps->show(kAll);
    worker.runAll();
    worker.hung = true;
    lamps.reset();
    ASSERT_EQ(worker.jobs.size(), 1u);
    worker.runAll();  // the device answers at last
    EXPECT_TRUE(devices.opened.empty());
    EXPECT_TRUE(devices.names.empty());
}

}  // namespace
}  // namespace vr::win32
