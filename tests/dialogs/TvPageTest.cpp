// The TV page and the advanced tuner dialog: the device list from the virtual cards, what the page
// shows of the settings and what OK stores, and the tuner read-outs through a running engine or a
// graph of the dialog's own.

#include "PreferencesFixture.h"

#include <dialogs/SetTv.h>
#include <dialogs/TvAdvanced.h>
#include <resources/TvDialogs.h>

#include <base/Clock.h>
#include <capture/Tv.h>
#include <capture/TvEngine.h>
#include <com/Apartment.h>
#include <dshow/DeviceEnumerator.h>
#include <dshow/FilterGraph.h>
#include <sim/VirtualHardware.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

using namespace dialog_driver;

class TvPageTest : public PreferencesFixture {
protected:
    void SetUp() override
    {
        PreferencesFixture::SetUp();
        base::Clock::install_virtual(base::Clock::make_wall_ms(2026, 3, 1, 20, 0, 0));
        CoInitialize(nullptr);
        dshow::register_classes();
        dshow::clear_devices();
        dshow::register_classes();
        sim::CaptureCard second;
        second.name = u"Second Card";
        second.country_code = 41;
        install({ sim::CaptureCard {}, second });
        Settings.Tuner[0] = '\0';
        Settings.Shrink = 0;
        Settings.Ratio = 1;
        Settings.TvStart = 0;
        Settings.TvAntenna = 1;
        Settings.Country = -1;
    }
    void TearDown() override
    {
        delete Tv;
        Tv = nullptr;
        sim::uninstall_cards();
        CoUninitialize();
        base::Clock::install_real();
        PreferencesFixture::TearDown();
    }

    void install(const std::vector<sim::CaptureCard>& cards) { sim::install_cards(cards); }

    int run_page(const std::function<void(HWND)>& act, int button = IDOK)
    {
        OWL::TPropertySheet sheet(frame, "Options", 0, false, PSH_NOAPPLYNOW);
        new TSetTv(&sheet);
        return run(sheet, [&](HWND s) { act(page_of(s)); }, button);
    }

    static std::vector<std::string> entries(HWND page)
    {
        std::vector<std::string> list;
        HWND combo = item(page, 1401);
        for (int i = 0; i < static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0)); ++i) {
            char text[300] = {};
            SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
            list.push_back(text);
        }
        return list;
    }

    static bool checked(HWND page, int id) { return IsDlgButtonChecked(page, id) == BST_CHECKED; }

    // The advanced dialog's read-outs, by control id, when "Advanced..." is pressed on the page.
    using ReadOuts = std::map<int, std::string>;
    static ReadOuts advanced(HWND page)
    {
        ReadOuts shown;
        user::testing::set_dialog_script(IDD_TV_ADVANCED, [&](const user::testing::ModalDialog& d) {
            for (int id : { 1460, 1452, 1454, 1469, 1465, 1458, 1463, 1467 })
                shown[id] = text(d.dialog, id);
            user::testing::press_dialog_button(d.dialog, IDOK);
        });
        user::testing::press_dialog_button(page, 1413);
        return shown;
    }
};

TEST_F(TvPageTest, ListsTheDevicesAndShowsTheSettings)
{
    std::strcpy(Settings.Tuner, "second card");
    Settings.Shrink = 1;
    Settings.Ratio = 0;
    Settings.TvAntenna = 0;
    Settings.Country = 49;
    struct Case {
        LONG tvStart;
        int radio;
    };
    for (Case c : { Case { 0, 1406 }, Case { 1, 1405 }, Case { 2, 1407 }, Case { 7, 1407 } }) {
        Settings.TvStart = c.tvStart;
        run_page([&](HWND p) {
            EXPECT_EQ(entries(p), (std::vector<std::string> { "<default TV tuner>", "Sim TV Card", "Second Card" }));
            EXPECT_EQ(text(p, 1401), "Second Card") << "chosen by its beginning, without regard to case";
            EXPECT_TRUE(checked(p, 1403));
            EXPECT_FALSE(checked(p, 1402));
            EXPECT_TRUE(checked(p, 1412));
            EXPECT_FALSE(checked(p, 1411));
            EXPECT_EQ(text(p, 1414), "49");
            for (int radio : { 1405, 1406, 1407 })
                EXPECT_EQ(checked(p, radio), radio == c.radio) << c.tvStart << " " << radio;
        }, IDCANCEL);
    }
}

TEST_F(TvPageTest, OkStoresTheChoicesAndTheyComeBackThroughTheHive)
{
    std::strcpy(Settings.Tuner, "Sim TV Card");
    OWL::TPropertySheet sheet(frame, "Options", 0, false, PSH_NOAPPLYNOW);
    new TSetTv(&sheet);
    run(sheet, [&](HWND s) {
        HWND p = page_of(s);
        EXPECT_EQ(sheet.GetWizButtons(), LPARAM(5));
        pick(p, 1401, "Second");
        for (int id : { 1412, 1405, 1402, 1403 })
            user::testing::press_dialog_button(p, id);
        retype(p, 1414, "33");
    });
    EXPECT_STREQ(Settings.Tuner, "Second Card");
    EXPECT_EQ(Settings.TvAntenna, 0);
    EXPECT_EQ(Settings.TvStart, 1);
    EXPECT_EQ(Settings.Ratio, 0);
    EXPECT_EQ(Settings.Shrink, 1);
    EXPECT_EQ(Settings.Country, 33);

    HKEY key = settings_key();
    SaveTvSettings(key);
    std::strcpy(Settings.Tuner, "x");
    Settings.TvAntenna = Settings.TvStart = Settings.Country = 9;
    LoadTvSettings(key);
    RegCloseKey(key);
    run_page([](HWND p) {
        EXPECT_EQ(text(p, 1401), "Second Card");
        EXPECT_TRUE(checked(p, 1412));
        EXPECT_TRUE(checked(p, 1405));
        EXPECT_FALSE(checked(p, 1402));
        EXPECT_TRUE(checked(p, 1403));
        EXPECT_EQ(text(p, 1414), "33");
        // Back to the defaults: the default device, antenna, TV off, and an empty country box.
        pick(p, 1401, "<default");
        for (int id : { 1411, 1406 })
            user::testing::press_dialog_button(p, id);
        retype(p, 1414, "");
    });
    EXPECT_STREQ(Settings.Tuner, "");
    EXPECT_EQ(Settings.TvAntenna, 1);
    EXPECT_EQ(Settings.TvStart, 0);
    EXPECT_EQ(Settings.Country, -1) << "a box without a number stores -1";
}

TEST_F(TvPageTest, ADeviceNotPresentOrNoneShowsTheDefaultEntryAndOkStoresNoName)
{
    for (const char* stored : { "Card taken out", "" }) {
        std::strcpy(Settings.Tuner, stored);
        run_page([](HWND p) { EXPECT_EQ(text(p, 1401), "<default TV tuner>"); });
        EXPECT_STREQ(Settings.Tuner, "") << stored;
    }
    // Without any device the list holds the default entry only.
    sim::uninstall_cards();
    run_page([](HWND p) { EXPECT_EQ(entries(p), std::vector<std::string> { "<default TV tuner>" }); }, IDCANCEL);
}

TEST_F(TvPageTest, AdvancedReadsTheChosenDevicesTunerInAGraphOfItsOwn)
{
    std::strcpy(Settings.Tuner, "Second Card");
    ReadOuts shown;
    run_page([&](HWND p) { shown = advanced(p); }, IDCANCEL);
    EXPECT_EQ(shown, (ReadOuts {
        { 1460, "Second Card" }, { 1452, "41" }, { 1454, "48250000" }, { 1469, "53750000" },
        { 1465, "1 of 2" }, { 1458, "PAL_B" }, { 1463, "2" }, { 1467, "antenna" } }));
    EXPECT_EQ(sim::card_filters_alive(1), 0) << "the device is not kept open";

    // The default device: the first with a tuner.
    shown = {};
    Settings.Tuner[0] = '\0';
    run_page([&](HWND p) { shown = advanced(p); }, IDCANCEL);
    EXPECT_EQ(shown[1460], "Sim TV Card");
    EXPECT_EQ(shown[1452], "49");
}

TEST_F(TvPageTest, AdvancedWaitsForABusyNamedDeviceAndNamesADeviceWithoutTuner)
{
    sim::CaptureCard busy;
    busy.name = u"Busy Card";
    busy.fail_first_binds = 3;
    sim::CaptureCard plain;
    plain.name = u"Camera";
    plain.tuner = sim::TunerInterface::None;
    install({ busy, plain });
    ULONGLONG before = GetTickCount64();
    std::strcpy(Settings.Tuner, "Busy Card");
    ReadOuts shown;
    run_page([&](HWND p) { shown = advanced(p); }, IDCANCEL);
    EXPECT_EQ(shown[1463], "2") << "read after the retries";
    EXPECT_EQ(GetTickCount64() - before, 3000u) << "one second before each of three retries";

    std::strcpy(Settings.Tuner, "Camera");
    run_page([&](HWND p) { shown = advanced(p); }, IDCANCEL);
    EXPECT_EQ(shown[1460], TSetTvAdvanced::NoTuner);
    for (int id : { 1452, 1454, 1469, 1465, 1458, 1463, 1467 })
        EXPECT_EQ(shown[id], "?") << id;
}

TEST_F(TvPageTest, AdvancedWithTvOnShowsTheRunningTunerWithoutOpeningTheDeviceAgain)
{
    sim::CaptureCard only;
    only.busy_while_open = true;
    install({ only });
    Tv = new STv("", frame->GetHandle(), 0, 0, nullptr, nullptr);
    ASSERT_TRUE(Tv->HasCaptureDevice());
    Tv->SetChannel(33);
    Tv->SetAntenna(false);
    int binds = sim::card_binds(0);
    for (const char* stored : { "", "sim tv card" }) {
        std::strcpy(Settings.Tuner, stored);
        ReadOuts shown;
        run_page([&](HWND p) { shown = advanced(p); }, IDCANCEL);
        EXPECT_EQ(shown[1460], "Sim TV Card") << stored;
        EXPECT_EQ(shown[1463], "33");
        EXPECT_EQ(shown[1467], "cable");
    }
    EXPECT_EQ(sim::card_binds(0), binds);
}

TEST_F(TvPageTest, TuningFormatsAreNamedAndF1AndRightClickShowTheTextPopups)
{
    EXPECT_STREQ(TvFormatName(0), "None");
    EXPECT_STREQ(TvFormatName(0x2), "NTSC_M_J");
    EXPECT_STREQ(TvFormatName(0x80000), "SECAM_L1");
    EXPECT_STREQ(TvFormatName(0x40), "unknown") << "PAL_G has no name here";
    EXPECT_STREQ(TvFormatName(-1), "unknown");

    user::testing::set_dialog_script(IDD_TV_ADVANCED, [](const user::testing::ModalDialog& d) {
        key(d.dialog, VK_F1, IDOK);      // not in the table
        right_click(d.dialog, 100, 110); // the channel read-out
        right_click(d.dialog, 20, 109);  // its label
        user::testing::press_dialog_button(d.dialog, IDOK);
    });
    run_page([](HWND p) {
        key(p, VK_F1, 1414);
        right_click(p, 60, 44); // "&Antenna" inside its group box
        user::testing::press_dialog_button(p, 1413);
    }, IDCANCEL);
    EXPECT_EQ(popups(), (std::vector<UINT> { 1414, 1411, 1463, 1463 }));
}

}
