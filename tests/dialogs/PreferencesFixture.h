#pragma once

// The Preferences pages' tests: a main window (HelpFixture), a registry and a desktop
// configuration folder of the test's own, and running a sheet of chosen pages with a script
// playing the user.

#include "HelpFixture.h"

#include <DialogDriver.h>
#include <TempHome.h>

#include <owl/PropertySheet.h>
#include <registry/Registry.h>
#include <registry/Testing.h>
#include <settings/Settings.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

class PreferencesFixture : public HelpFixture {
protected:
    void SetUp() override
    {
        HelpFixture::SetUp();
        home = test_support::make_temp_dir("orbivane-prefs");
        setenv("ORBIVANE_HOME", home.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
        registry::reset_for_test();
        user::testing::set_unexpected_dialog_handler([](const user::testing::ModalDialog& d) {
            ADD_FAILURE() << "unexpected dialog " << d.template_id << " " << d.caption;
        });
        user::testing::set_message_box_responder([](const user::MessageBoxCall& box) {
            ADD_FAILURE() << "unexpected box: " << box.text;
            return IDOK;
        });
    }
    void TearDown() override
    {
        registry::reset_for_test();
        unsetenv("XDG_CONFIG_HOME");
        setenv("ORBIVANE_HOME", test_support::temp_home().c_str(), 1);
        std::filesystem::remove_all(home);
        HelpFixture::TearDown();
    }

    // Runs `sheet` with `act` on it, then presses `button` (0: none, `act` closes it).
    static int run(OWL::TPropertySheet& sheet, const std::function<void(HWND)>& act, int button = IDOK)
    {
        user::testing::set_dialog_script(OWL::PropertySheetTemplateId, [&](const user::testing::ModalDialog& d) {
            act(d.dialog);
            if (button && IsWindow(d.dialog))
                user::testing::press_dialog_button(d.dialog, button);
        });
        return sheet.Execute();
    }

    static HWND page_of(HWND sheet)
    {
        return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    }

    // The program's settings key in the current user's hive.
    static HKEY settings_key()
    {
        HKEY key = nullptr;
        RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Kestrelon\\Orbivane", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
        return key;
    }

    std::string home;
};
