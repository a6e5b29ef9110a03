// The key table, the file's path and the reads and stores with their defaults and conversions.
#include <gtest/gtest.h>

#include "fakes/fakes.h"
#include "settings/intervals.h"
#include "settings/profile_value.h"
#include "model/layout.h"
#include "model/model.h"
#include "settings/settings_file.h"

namespace vr {
namespace {

TEST(SettingsPath, ReplacesOnlyTheExtensionOfTheFileName) {
    EXPECT_EQ(settingsPathFor("C:\\Program Files\\Vigilamp\\vigilamp.exe"),
              "C:\\Program Files\\Vigilamp\\vigilamp.ini");
    EXPECT_EQ(settingsPathFor("C:\\tools\\lamp.v2.EXE"), "C:\\tools\\lamp.v2.ini");
    // A dot in a folder name is no extension of the file.
    EXPECT_EQ(settingsPathFor("C:\\my.tools\\lamp"), "C:\\my.tools\\lamp.ini");
    EXPECT_EQ(settingsPathFor("C:lamp"), "C:lamp.ini");
}

TEST(SettingKeys, EveryIntervalIsShownByASpinEditAndStoredByASetButtonOfTheSamePage) {
    const auto rowOf = [](Ctl id) -> std::pair<Page, const ControlRow*> {
        for (const PageTable& table : pageTables())
            for (const ControlRow& row : table.rows)
                if (row.id == id) return {table.page, &row};
        return {Page::Status, nullptr};
    };
    int intervals = 0;
    for (const SettingKey& key : kSettings) {
        const auto [page, row] = rowOf(key.control);
        ASSERT_NE(row, nullptr) << key.name << " names a control that does not exist";
        EXPECT_EQ(row->kind == Kind::Spin, key.type == ValueType::Integer) << key.name;
        EXPECT_EQ(settingShownBy(key.control), &key) << key.name << ": one key per control";
        if (key.setButton == Ctl::none) continue;
        const auto [buttonPage, button] = rowOf(key.setButton);
        ASSERT_NE(button, nullptr) << key.name;
        EXPECT_EQ(button->kind, Kind::Button) << key.name;
        EXPECT_EQ(buttonPage, page) << key.name;
        intervals += key.type == ValueType::Integer;
    }
    EXPECT_EQ(intervals, 3);
}

TEST(SettingKeys, DefaultsAreValuesTheirTypeCanRead) {
    Model model;
    for (const SettingKey& key : kSettings) {
        ASSERT_NO_THROW(model.text(key.control)) << key.name << " names a control that does not exist";
        if (key.type == ValueType::Boolean) {
            EXPECT_TRUE(std::string(key.fallback) == "0" || std::string(key.fallback) == "1") << key.name;
        }
        if (key.type == ValueType::Integer) {
            EXPECT_NE(integerOr(key.fallback, -1), -1) << key.name;
        }
    }
}

struct SettingsFileTest : ::testing::Test {
    fake::Profile profile;
    SettingsFile file{profile};
    const SettingKey& delay = setting(Key::DelayValue);
    const SettingKey& caps = setting(Key::Caps);
    const SettingKey& handle = setting(Key::Handlename);
};

TEST_F(SettingsFileTest, IntegersReadDecimalOrHexAndFallBackToTheDefaultOtherwise) {
    EXPECT_EQ(file.integer(delay), 1000);  // missing
    const std::pair<const char*, std::int32_t> cases[] = {
        {"0x3E8", 1000}, {"$10", 16},          {" -5", -5},          {"abc", 1000},        {"", 1000},
        {"12.5", 1000},  {"2147483647", 2147483647}, {"2147483648", 1000}, {"-2147483649", 1000},
    };
    for (auto [text, expected] : cases) {
        profile.set("Timers", "DelayValue", text);
        EXPECT_EQ(file.integer(delay), expected) << text;
    }
}

TEST_F(SettingsFileTest, BooleansAreIntegersAndAnythingElseIsTheDefault) {
    EXPECT_TRUE(file.boolean(caps));
    const std::pair<const char*, bool> cases[] = {{"yes", true}, {"2", true}, {"0", false}, {"0x0", false},
                                                  {"-1", true},  {"", true},  {"false", true}};
    for (auto [text, expected] : cases) {
        profile.set("FlashingPat", "Caps", text);
        EXPECT_EQ(file.boolean(caps), expected) << text;
    }
    EXPECT_FALSE(file.boolean(setting(Key::DisableStat)));  // a default of false stays false
}

TEST_F(SettingsFileTest, AMissingClassNameIsTheDefaultClassWhileAnEmptyOneStaysEmpty) {
    EXPECT_EQ(file.string(handle), "IMWindowClass");
    profile.set("Advanced", "Handlename", "");
    EXPECT_EQ(file.string(handle), "");
    profile.set("Advanced", "Handlename", "Notepad");
    EXPECT_EQ(file.string(handle), "Notepad");
    EXPECT_EQ(file.string(setting(Key::File)), "");
}

TEST_F(SettingsFileTest, ARefusedStoreNamesTheFile) {
    profile.refuse = true;
    try {
        file.store(caps, "1");
        FAIL() << "a refused store must raise";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Unable to write to C:\\Program Files\\Vigilamp\\vigilamp.ini");
    }
}

TEST_F(SettingsFileTest, AValueTheFileCouldNotGiveBackIsRefusedNamingItsKeyAndNothingIsWritten) {
    const SettingKey& program = setting(Key::File);
    const auto refusal = [&](const std::string& value) -> std::string {
        try {
            file.store(program, value);
        } catch (const Error& e) {
            return e.what();
        }
        return "";
    };
    const std::string prefix = "Unable to write to C:\\Program Files\\Vigilamp\\vigilamp.ini: the value of File ";
    EXPECT_EQ(refusal("C:\\a.exe\r\n[Actions]\r\nEnable=1"),
              prefix + "holds a line break, which the settings file cannot keep");
    EXPECT_EQ(refusal("x\ny"), prefix + "holds a line break, which the settings file cannot keep");
    EXPECT_EQ(refusal(std::string("x\0y", 3)), prefix + "holds a NUL character, which the settings file cannot keep");
    EXPECT_EQ(refusal(std::string(2048, 'x')),
              prefix + "is longer than the 2047 characters the settings file keeps");
    profile.lacking = "\xE6";  // the lead byte of 日: a code page without it
    EXPECT_EQ(refusal("日本語"), prefix + "holds a character the system's code page lacks");
    EXPECT_TRUE(profile.writes.empty()) << "a refused value reaches no write";
    EXPECT_EQ(refusal(std::string(2047, 'x')), "");
    EXPECT_EQ(refusal(std::string(2047, 'x').replace(0, 1, "é")), "") << "characters, not bytes";
}

TEST_F(SettingsFileTest, AValueWithBlanksOrQuotesAtItsEdgesIsWrittenInQuotesAndReadBackWhole) {
    const SettingKey& program = setting(Key::File);
    for (const std::string value : {"notify ", " notify", "\"*\"", "'x", "x'", "\"", "\tx", "a \"b\" c"}) {
        SCOPED_TRACE(value);
        file.store(program, value);
        EXPECT_EQ(file.string(program), value);
    }
    EXPECT_EQ(profile.writes[0].value, "\"notify \"");
    EXPECT_EQ(profile.writes[2].value, "\"\"*\"\"");
    EXPECT_EQ(profile.writes.back().value, "a \"b\" c") << "quotes inside need none around them";
    profile.set("Actions", "File", "\"quoted\"");  // a file written by hand: its quotes come off, as ever
    EXPECT_EQ(file.string(program), "quoted");
    profile.set("Actions", "File", std::string(2000, 'x') + std::string(100, 'y'));
    EXPECT_EQ(file.string(program), std::string(2000, 'x') + std::string(47, 'y')) << "read as its first 2047";
}

TEST_F(SettingsFileTest, StoresFromControlsWriteTheirTypesEncoding) {
    Model model;
    model.setChecked(Ctl::cbxFlshpatCaps, true);
    model.userText(Ctl::spnDelay, " 0x7D0");
    model.setText(Ctl::lblClassname, "Some Class");
    file.store(caps, model);
    file.store(delay, model);
    file.store(handle, model);
    model.setChecked(Ctl::cbxFlshpatCaps, false);
    model.userText(Ctl::spnDelay, "junk");
    file.store(caps, model);
    file.store(delay, model);  // text that is no integer stores the minimum
    const std::vector<fake::Profile::Write> expected = {{"FlashingPat", "Caps", "1", false},
                                                        {"Timers", "DelayValue", "2000", false},
                                                        {"Advanced", "Handlename", "Some Class", false},
                                                        {"FlashingPat", "Caps", "0", false},
                                                        {"Timers", "DelayValue", "1000", false}};
    EXPECT_EQ(profile.writes, expected);
}

}  // namespace
}  // namespace vr
