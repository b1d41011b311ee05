#include "HelpFixture.h"

#include <DialogDriver.h>

#include <dialogs/CoolButton.h>
#include <dialogs/HotLink.h>

#include <owl/Dialog.h>

#include <base/Process.h>
#include <gdi/Gdi.h>
#include <registry/Registry.h>
#include <shell/Dde.h>

#include <string>
#include <vector>

namespace {

constexpr UINT ButtonsDialog = 3100;
constexpr COLORREF Red = 0x0000FF;
constexpr COLORREF Green = 0x00FF00;

// A dialog of three grouped buttons (10..12), one outside the group (14) and a link (20).
class TButtonsDialog : public OWL::TDialog {
public:
    TButtonsDialog()
        : TDialog(nullptr, ButtonsDialog)
    {
        for (int id : { 10, 11, 12, 14 })
            buttons.push_back(new CoolButton(this, id, 10, 12));
        link = new THotLink(this, 20, "example.org/tv");
        OnMessage(WM_COOLBUTTON_PRESS, [this](WPARAM w, LPARAM l) { return CoolButton::RelayPress(*this, w, l); });
    }
    std::vector<CoolButton*> buttons;
    THotLink* link;
};

// A 30 x 16 bitmap of one colour, registered under `id`.
void register_solid_bitmap(UINT id, COLORREF colour, std::vector<BYTE>& png)
{
    gdi::Pixel pixel = 0xFF000000u | ((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
    png = gdi::encode_png(gdi::Surface(30, 16, pixel));
    gdi::register_image(id, png.data(), png.size());
}

class OwnerDrawnButtonTest : public HelpFixture {
protected:
    void SetUp() override
    {
        HelpFixture::SetUp();
        user::DialogTemplate t;
        t.cx = 200;
        t.cy = 60;
        t.controls = {
            { "BUTTON", "", 10, WS_TABSTOP, 0, 5, 5, 30, 14 },
            { "BUTTON", "", 11, WS_TABSTOP, 0, 40, 5, 30, 14 },
            { "BUTTON", "", 12, WS_TABSTOP, 0, 75, 5, 30, 14 },
            { "BUTTON", "", 14, WS_TABSTOP, 0, 110, 5, 30, 14 },
            { "BUTTON", "", 20, WS_TABSTOP, 0, 5, 30, 150, 12 },
        };
        user::register_dialog(ButtonsDialog, t);
        previous = base::set_launcher([this](const std::string& line, UINT) {
            launched.push_back(line);
            return 42u;
        });
        shell::testing::clear_dde_journal();
    }
    void TearDown() override
    {
        base::set_launcher(previous);
        shell::unregister_dde_server("IEXPLORE", "WWW_OpenURL");
        shell::unregister_dde_server("IEXPLORE", "WWW_Activate");
        HelpFixture::TearDown();
    }

    static void click(HWND button)
    {
        SendMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
        SendMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    }

    base::Launcher previous;
    std::vector<std::string> launched;
};

TEST_F(OwnerDrawnButtonTest, PressingAGroupedButtonLeavesItDownAndTheOthersOfTheRangeUp)
{
    TButtonsDialog dialog;
    ASSERT_TRUE(dialog.Create());
    dialog.Show(SW_SHOW);
    auto& b = dialog.buttons;
    for (CoolButton* button : b)
        EXPECT_EQ(button->GetState(), -1);
    EXPECT_EQ(GetWindowLongA(*b[0], GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);

    click(*b[1]);
    EXPECT_EQ(b[0]->GetState(), 0);
    EXPECT_EQ(b[1]->GetState(), 1);
    EXPECT_EQ(b[2]->GetState(), 0);
    EXPECT_EQ(b[3]->GetState(), -1); // id 14 lies outside 10..12

    b[2]->SetState(1, true);
    EXPECT_EQ(b[1]->GetState(), 0);
    EXPECT_EQ(b[2]->GetState(), 1);
    b[0]->SetState(1, false); // without notify only this button changes
    EXPECT_EQ(b[2]->GetState(), 1);
}

TEST_F(OwnerDrawnButtonTest, BitmapFollowsTheStateAndADisabledButtonWithoutItsBitmapShowsTheDownOne)
{
    std::vector<BYTE> up, down;
    register_solid_bitmap(3101, Red, up);
    register_solid_bitmap(3102, Green, down);
    TButtonsDialog dialog;
    ASSERT_TRUE(dialog.Create());
    dialog.Show(SW_SHOW);
    CoolButton& button = *dialog.buttons[3];
    button.SetBitmap(3101, 0);
    button.SetBitmap(3102, 1);
    auto pixel = [&] {
        UpdateWindow(button);
        HDC dc = GetDC(button);
        RECT r;
        GetClientRect(button, &r);
        COLORREF c = GetPixel(dc, r.right / 2, r.bottom / 2); // the bitmap, centred without text
        ReleaseDC(button, dc);
        return c;
    };
    button.SetState(0, false);
    EXPECT_EQ(pixel(), Red);
    button.SetState(1, false);
    EXPECT_EQ(pixel(), Green);
    button.SetState(0, false);
    EnableWindow(button, FALSE);
    EXPECT_EQ(pixel(), Green);
}

TEST_F(OwnerDrawnButtonTest, LinkOpensTheAddressThroughADdeBrowserFirst)
{
    std::vector<std::string> requests;
    shell::register_dde_server("IEXPLORE", "WWW_OpenURL", [&](const std::string& item) {
        requests.push_back(item);
        return std::optional<std::string>("1");
    });
    shell::register_dde_server("IEXPLORE", "WWW_Activate", [&](const std::string& item) {
        requests.push_back(item);
        return std::optional<std::string>("1");
    });
    TButtonsDialog dialog;
    ASSERT_TRUE(dialog.Create());
    dialog.Show(SW_SHOW);
    EXPECT_EQ(dialog.link->GetTextLen(), 14);
    click(*dialog.link);
    EXPECT_EQ(requests, (std::vector<std::string> { "\"http://example.org/tv\",,-1,,,,", "-1,0" }));
    EXPECT_TRUE(launched.empty());
}

TEST_F(OwnerDrawnButtonTest, WithoutDdeTheRegisteredBrowserCommandGetsTheAddressInPlaceOfItsToken)
{
    // The desktop's own association.
    EXPECT_TRUE(THotLink::OpenURL("http://example.org"));
    ASSERT_EQ(launched.size(), 1u);
    EXPECT_EQ(launched[0], "xdg-open \"http://example.org\"");

    struct Case {
        const char* command;
        const char* expected;
    };
    const Case cases[] = {
        { "\"C:\\Program Files\\Web\\web.exe\" -new \"%1\" -raise", "\"C:\\Program Files\\Web\\web.exe\" -new \"http://a.b\" -raise" },
        { "web.exe %1", "web.exe http://a.b" },
        { "\"C:\\Web\\web.exe\"", "\"C:\\Web\\web.exe\" http://a.b" },
    };
    for (const Case& c : cases) {
        RegSetValueA(HKEY_CLASSES_ROOT, "htmlfile\\shell\\open\\command", REG_SZ, c.command, 0);
        std::string command;
        ASSERT_TRUE(THotLink::GetBrowserCommand(command, "http://a.b"));
        EXPECT_EQ(command, c.expected);
    }
    auto args = base::split_command_line("\"C:\\Program Files\\Web\\web.exe\" -new \"http://a.b\"");
    EXPECT_EQ(args.back(), "http://a.b");

    // Nothing registered and no DDE browser: nothing runs and the link reports failure.
    RegDeleteKeyA(HKEY_CLASSES_ROOT, ".htm");
    launched.clear();
    EXPECT_FALSE(THotLink::OpenURL("a.b"));
    EXPECT_TRUE(launched.empty());
}

}
