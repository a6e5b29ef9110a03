// The files and the choice behind the keyboard's lamps on Linux: the saved lamp maps that repair a killed alert,
// the kernel's LED folder, and which route a session gets.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "linux/adapters/choose_lamps.h"
#include "linux/adapters/keyboard_leds.h"
#include "linux/adapters/saved_lamps.h"
#include "linux/linux_files.h"

namespace vr::lx {
namespace {

namespace fs = std::filesystem;

// The XKB defaults as Xvfb has them: Caps and Num refuse explicit changes and follow a locked modifier; Scroll
// follows a virtual modifier bound to nothing and was lit by hand.
const std::vector<SavedLamp> kDefaults = {
    {"Caps Lock", 0x80, 0, 0, 4, 2, 2, 0, 0, false},
    {"Num Lock", 0x80, 0, 0, 4, 0x10, 0, 1, 0, false},
    {"Scroll Lock", 0, 0, 0, 4, 0, 0, 0x80, 0, true},
};

TEST(SavedLamps, ComeBackAsWrittenAndAreReplacedWhole) {
    test::ScratchFolder scratch;
    const std::string file = scratch / "lamps";
    ASSERT_TRUE(writeSavedLamps(file, kDefaults));
    EXPECT_EQ(readSavedLamps(file), kDefaults);
    const std::vector<SavedLamp> one = {{"Compose", 1, 2, 3, 4, 5, 6, 0xFFFF, 0xFFFFFFFF, false}};
    ASSERT_TRUE(writeSavedLamps(file, one));
    EXPECT_EQ(readSavedLamps(file), one);
    EXPECT_FALSE(fs::exists(file + ".new"));
}

TEST(SavedLamps, AFileThisProgramDidNotWriteReadsAsNothing) {
    test::ScratchFolder scratch;
    const std::string file = scratch / "lamps";
    EXPECT_EQ(readSavedLamps(file), std::nullopt);  // none at all
    const std::string header = "vigilamp lamp maps 1\n";
    for (const std::string& text :
         {std::string(""), std::string("[Lamps]\nCaps Lock\t128 0 0 4 2 2 0 0 0\n"),
          header + "Caps Lock 128 0 0 4 2 2 0 0 0\n",        // no tab after the name
          header + "\t128 0 0 4 2 2 0 0 0\n",                 // no name
          header + "Caps Lock\t128 0 0 4 2 2 0 0\n",          // a number short
          header + "Caps Lock\t128 0 0 4 2 2 0 0 0 9\n",      // one too many
          header + "Caps Lock\t128 0 0 4 2 2 0 0 2\n",        // held on is 0 or 1
          header + "Caps Lock\t128 0 zero 4 2 2 0 0 0\n"}) {
        SCOPED_TRACE(text);
        test::putFile(file, text);
        EXPECT_EQ(readSavedLamps(file), std::nullopt);
    }
    test::putFile(file, header);
    EXPECT_EQ(readSavedLamps(file), std::vector<SavedLamp>{});  // written with no lamp: nothing to repair
}

TEST(SavedLamps, ANameThatCannotBeKeptOrAFolderThatRefusesLeavesNoFile) {
    test::ScratchFolder scratch;
    const std::string file = scratch / "lamps";
    EXPECT_FALSE(writeSavedLamps(file, {{"Caps\tLock", 0, 0, 0, 0, 0, 0, 0, 0, false}}));
    EXPECT_FALSE(writeSavedLamps(file, {{"", 0, 0, 0, 0, 0, 0, 0, 0, false}}));
    EXPECT_FALSE(fs::exists(file));
    EXPECT_FALSE(writeSavedLamps(scratch / "no-such-folder/lamps", kDefaults));
    EXPECT_TRUE(fs::is_empty(scratch.path));
}

void device(const test::ScratchFolder& leds, const std::string& name, const std::string& brightness,
            const std::optional<std::string>& most) {
    fs::create_directories(leds / name);
    test::putFile(leds / (name + "/brightness"), brightness);
    if (most) test::putFile(leds / (name + "/max_brightness"), *most);
}

TEST(KeyboardLeds, AreEveryKeyboardsLockLampsInNameOrderWithTheirBrightness) {
    test::ScratchFolder leds;
    device(leds, "input7::capslock", "0\n", "1\n");
    device(leds, "input3::scrolllock", "1\n", "1\n");
    device(leds, "input3::capslock", "255\n", "255\n");
    device(leds, "input3::numlock", "0\n", std::nullopt);  // unreadable: lit is 1
    device(leds, "input12::numlock", "0\n", "0\n");        // nonsense: lit is 1
    device(leds, "input3::compose", "0\n", "1\n");          // not a lock lamp
    device(leds, "input3::kana", "0\n", "1\n");
    device(leds, "platform::micmute", "0\n", "1\n");
    device(leds, "tpacpi::capslock", "0\n", "1\n");         // not a keyboard the input layer names
    device(leds, "input3capslock", "0\n", "1\n");
    const std::vector<KeyboardLed> expected = {
        {"input12::numlock", LockKey::Num, 1},   {"input3::capslock", LockKey::Caps, 255},
        {"input3::numlock", LockKey::Num, 1},    {"input3::scrolllock", LockKey::Scroll, 1},
        {"input7::capslock", LockKey::Caps, 1},
    };
    EXPECT_EQ(keyboardLeds(leds.path.string()), expected);
    EXPECT_EQ(ledBrightness(leds.path.string(), "input3::capslock"), 255u);
    EXPECT_EQ(ledBrightness(leds.path.string(), "input3::scrolllock"), 1u);
    EXPECT_EQ(ledBrightness(leds.path.string(), "input9::capslock"), std::nullopt);
    test::putFile(leds / "input7::capslock/brightness", "bright\n");
    EXPECT_EQ(ledBrightness(leds.path.string(), "input7::capslock"), std::nullopt);
    EXPECT_TRUE(keyboardLeds((leds / "nowhere")).empty());
}

// A route whose adapter says what the platform would, and a journal of the routes made.
struct Made {
    std::vector<std::string> routes;
};

class FakeLamps : public Lamps {
public:
    explicit FakeLamps(LampRoute route) : route_(route) {}
    LampRoute route() override { return route_; }
    void show(LockStates) override {}
    void release() override {}

private:
    LampRoute route_;
};

LampRoutes routes(Made& made, LampRoute xkb, LampRoute led) {
    return {[&made, xkb] {
                made.routes.push_back("xkb");
                return std::make_unique<FakeLamps>(xkb);
            },
            [&made, led] {
                made.routes.push_back("led");
                return std::make_unique<FakeLamps>(led);
            }};
}

TEST(ChooseLamps, AnX11SessionTriesTheKeyboardExtensionFirstThenTheLedService) {
    for (const char* type : {static_cast<const char*>(nullptr), "x11", "tty", ""}) {
        SCOPED_TRACE(type ? type : "(unset)");
        Made made;
        auto lamps = chooseLamps(type, routes(made, LampRoute::xkbIndicators, LampRoute::ledService));
        ASSERT_TRUE(lamps);
        EXPECT_EQ(lamps->route(), LampRoute::xkbIndicators);
        EXPECT_EQ(made.routes, std::vector<std::string>{"xkb"});  // the LED service is never asked

        Made fallback;
        lamps = chooseLamps(type, routes(fallback, LampRoute::none, LampRoute::ledService));
        ASSERT_TRUE(lamps);
        EXPECT_EQ(lamps->route(), LampRoute::ledService);
        EXPECT_EQ(fallback.routes, (std::vector<std::string>{"xkb", "led"}));
    }
}

TEST(ChooseLamps, AWaylandSessionUsesTheLedServiceAlone) {
    Made made;
    auto lamps = chooseLamps("wayland", routes(made, LampRoute::xkbIndicators, LampRoute::ledService));
    ASSERT_TRUE(lamps);
    EXPECT_EQ(lamps->route(), LampRoute::ledService);
    EXPECT_EQ(made.routes, std::vector<std::string>{"led"});

    Made refused;
    EXPECT_EQ(chooseLamps("wayland", routes(refused, LampRoute::xkbIndicators, LampRoute::none)), nullptr);
    EXPECT_EQ(refused.routes, std::vector<std::string>{"led"});
}

TEST(ChooseLamps, NothingWhenNoRouteWorksOrNoneCanBeMade) {
    Made made;
    EXPECT_EQ(chooseLamps("x11", routes(made, LampRoute::none, LampRoute::none)), nullptr);
    EXPECT_EQ(made.routes, (std::vector<std::string>{"xkb", "led"}));
    EXPECT_EQ(chooseLamps("x11", {}), nullptr);
    Made noDisplay;  // no X display: the keyboard extension cannot be offered at all
    LampRoutes ledOnly = routes(noDisplay, LampRoute::xkbIndicators, LampRoute::ledService);
    ledOnly.xkb = nullptr;
    auto lamps = chooseLamps("x11", ledOnly);
    ASSERT_TRUE(lamps);
    EXPECT_EQ(lamps->route(), LampRoute::ledService);
    ledOnly.ledService = [] { return std::unique_ptr<Lamps>(); };
    EXPECT_EQ(chooseLamps("x11", ledOnly), nullptr);
}

}  // namespace
}  // namespace vr::lx
