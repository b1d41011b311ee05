#include "Fixture.h"

#include <base/Errors.h>

TEST_F(WindowTest, MessageBoxHeadlessDefaultAndResponder)
{
    HWND owner = make(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    testing::internal::CaptureStderr();
    EXPECT_EQ(MessageBoxA(owner, "can't register key", "savesettings", MB_OK), IDOK);
    EXPECT_EQ(MessageBoxA(nullptr, "Save?", "Orbivane", MB_YESNOCANCEL | MB_DEFBUTTON2), IDNO);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("savesettings: can't register key"), std::string::npos);

    BOOL owner_enabled = TRUE;
    user::testing::set_message_box_responder([&](const user::MessageBoxCall& box) {
        owner_enabled = IsWindowEnabled(owner);
        EXPECT_EQ(box.owner, owner);
        EXPECT_EQ(box.type, static_cast<UINT>(MB_RETRYCANCEL | MB_ICONHAND));
        return IDCANCEL;
    });
    EXPECT_EQ(MessageBoxA(owner, "Cannot write", "Orbivane record", MB_RETRYCANCEL | MB_ICONHAND), IDCANCEL);
    EXPECT_FALSE(owner_enabled);      // modal: the owner is disabled while the box is up
    EXPECT_TRUE(IsWindowEnabled(owner));
    auto journal = user::testing::message_box_journal();
    ASSERT_EQ(journal.size(), 3u);
    EXPECT_EQ(journal[1].answer, IDNO);
    EXPECT_EQ(journal[2].box.caption, "Orbivane record");
    // The language variant shows the same box.
    EXPECT_EQ(MessageBoxExA(owner, "can't route linein to audioOut", "Lunetto radio mute", MB_RETRYCANCEL | MB_ICONHAND, 0), IDCANCEL);
    journal = user::testing::message_box_journal();
    ASSERT_EQ(journal.size(), 4u);
    EXPECT_EQ(journal[3].box.text, "can't route linein to audioOut");
    EXPECT_EQ(journal[3].box.caption, "Lunetto radio mute");
    EXPECT_EQ(user::message_box_buttons(MB_CANCELTRYCONTINUE), (std::vector<int> { IDCANCEL, IDTRYAGAIN, IDCONTINUE }));
    MessageBeep(MB_ICONHAND);
    EXPECT_EQ(user::testing::beep_journal(), std::vector<UINT> { MB_ICONHAND });
}

TEST_F(WindowTest, MenuItemsStatesAndStrings)
{
    HMENU bar = CreateMenu();
    HMENU file = CreatePopupMenu();
    AppendMenuA(file, MF_STRING, 101, "&Open...\tCtrl+O");
    AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(file, MF_STRING | MF_GRAYED, 102, "E&xit");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
    EXPECT_EQ(GetMenuItemCount(bar), 1);
    EXPECT_EQ(GetSubMenu(bar, 0), file);
    EXPECT_EQ(GetMenuItemID(bar, 0), static_cast<UINT>(-1));
    EXPECT_EQ(GetMenuItemID(file, 2), 102u);
    EXPECT_EQ(GetMenuItemID(file, 1), 0u);

    // By command, submenus are searched.
    EXPECT_EQ(CheckMenuItem(bar, 101, MF_BYCOMMAND | MF_CHECKED), static_cast<DWORD>(MF_UNCHECKED));
    EXPECT_EQ(CheckMenuItem(bar, 101, MF_BYCOMMAND | MF_UNCHECKED), static_cast<DWORD>(MF_CHECKED));
    EXPECT_EQ(CheckMenuItem(bar, 999, MF_BYCOMMAND), static_cast<DWORD>(-1));
    EXPECT_EQ(EnableMenuItem(file, 2, MF_BYPOSITION | MF_ENABLED), static_cast<BOOL>(MF_GRAYED));
    EXPECT_EQ(EnableMenuItem(file, 102, MF_BYCOMMAND | MF_GRAYED), static_cast<BOOL>(MF_ENABLED));
    EXPECT_EQ(GetMenuState(file, 102, MF_BYCOMMAND) & MF_GRAYED, static_cast<UINT>(MF_GRAYED));
    EXPECT_EQ(GetMenuState(bar, 0, MF_BYPOSITION), (3u << 8) | MF_POPUP);
    char text[32];
    EXPECT_EQ(GetMenuStringA(bar, 101, text, sizeof(text), MF_BYCOMMAND), 15);
    EXPECT_STREQ(text, "&Open...\tCtrl+O");
    EXPECT_TRUE(ModifyMenuA(file, 101, MF_BYCOMMAND | MF_STRING, 103, "&Close"));
    EXPECT_EQ(GetMenuItemID(file, 0), 103u);
    EXPECT_TRUE(InsertMenuA(file, 0, MF_BYPOSITION, 100, "&New"));
    EXPECT_EQ(GetMenuItemID(file, 0), 100u);
    EXPECT_TRUE(DeleteMenu(file, 100, MF_BYCOMMAND));
    EXPECT_FALSE(DeleteMenu(file, 100, MF_BYCOMMAND));

    std::size_t live = user::live_menus();
    HMENU popup = CreatePopupMenu();
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), "&View");
    EXPECT_TRUE(RemoveMenu(bar, 1, MF_BYPOSITION));
    EXPECT_TRUE(IsMenu(popup));   // removed, not destroyed
    DestroyMenu(popup);
    EXPECT_EQ(user::live_menus(), live);
    EXPECT_TRUE(DestroyMenu(bar));
    EXPECT_FALSE(IsMenu(file));
    EXPECT_FALSE(DestroyMenu(bar));
}

TEST_F(WindowTest, ResourceMenusOnWindows)
{
    user::register_menu(100, {
        user::menu_popup("&File", { user::menu_item("&Open...", 101), user::menu_separator(), user::menu_item("E&xit", 102) }),
        user::menu_popup("&View", { user::menu_item("&Always on top", 201, MF_CHECKED) }),
    });
    HMENU a = LoadMenuA(nullptr, MAKEINTRESOURCEA(100));
    HMENU b = LoadMenuA(nullptr, "#100");
    ASSERT_TRUE(a);
    EXPECT_NE(a, b);   // a fresh menu each time
    DestroyMenu(b);
    EXPECT_EQ(LoadMenuA(nullptr, MAKEINTRESOURCEA(7)), nullptr);
    EXPECT_EQ(GetMenuState(a, 201, MF_BYCOMMAND) & MF_CHECKED, static_cast<UINT>(MF_CHECKED));
    EXPECT_EQ(GetMenuState(a, 0, MF_BYPOSITION) >> 8, 3u);

    HWND frame = make(WS_OVERLAPPEDWINDOW);
    RECT before, after;
    GetClientRect(frame, &before);
    message_log().clear();
    EXPECT_TRUE(SetMenu(frame, a));
    EXPECT_EQ(GetMenu(frame), a);
    GetClientRect(frame, &after);
    EXPECT_EQ(after.bottom, before.bottom - GetSystemMetrics(SM_CYMENU));
    EXPECT_EQ(got(frame, WM_SIZE).size(), 1u);
    std::size_t live = user::live_menus();
    DestroyWindow(frame);
    EXPECT_FALSE(IsMenu(a));   // the window's menu goes with it
    EXPECT_LT(user::live_menus(), live);
    user::clear_menus();
}

TEST_F(WindowTest, PopupMenusScriptedOrDismissed)
{
    HWND frame = make(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    HMENU menu = CreatePopupMenu();
    HMENU sub = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, 1201, "&Mute");
    AppendMenuA(menu, MF_STRING | MF_GRAYED, 1202, "&Record");
    AppendMenuA(sub, MF_STRING, 1210, "Channel &2");
    AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "&Channels");
    AppendMenuA(menu, MF_STRING, 1203, "E&xit");

    // No script: dismissed, nothing sent.
    EXPECT_FALSE(TrackPopupMenu(menu, 0, 10, 10, 0, frame, nullptr));
    EXPECT_EQ(got(frame, WM_INITMENUPOPUP).size(), 1u);
    pump();
    EXPECT_TRUE(got(frame, WM_COMMAND).empty());

    user::testing::set_popup_menu_script([](const user::PopupMenuCall& call) {
        return user::testing::find_menu_command(call.menu, "exit");
    });
    EXPECT_TRUE(TrackPopupMenu(menu, 0, 10, 10, 0, frame, nullptr));
    pump();
    auto commands = got(frame, WM_COMMAND);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(LOWORD(commands[0].wparam), 1203);

    user::testing::set_popup_menu_script([](const user::PopupMenuCall&) { return 1202u; });
    EXPECT_EQ(TrackPopupMenuEx(menu, TPM_RETURNCMD, 0, 0, frame, nullptr), 0);   // greyed
    user::testing::set_popup_menu_script([](const user::PopupMenuCall&) { return 1210u; });
    message_log().clear();
    EXPECT_EQ(TrackPopupMenuEx(menu, TPM_RETURNCMD, 0, 0, frame, nullptr), 1210);
    auto inits = got(frame, WM_INITMENUPOPUP);
    ASSERT_EQ(inits.size(), 2u);
    EXPECT_EQ(inits[1].wparam, reinterpret_cast<WPARAM>(sub));
    pump();
    EXPECT_TRUE(got(frame, WM_COMMAND).empty());   // returned, not posted
    auto journal = user::testing::popup_menu_journal();
    ASSERT_EQ(journal.size(), 4u);
    EXPECT_EQ(journal[0].chosen, 0u);
    DestroyMenu(menu);
}

TEST_F(WindowTest, AcceleratorsMatchModifiersExactly)
{
    user::register_accelerators(100, {
        { FVIRTKEY | FCONTROL, VK_RIGHT, 501 },
        { FVIRTKEY | FSHIFT, VK_RIGHT, 502 },
        { FVIRTKEY | FALT, 'X', 503 },
        { FVIRTKEY, VK_F5, 504 },
        { 0, 'm', 505 },
    });
    HACCEL table = LoadAcceleratorsA(nullptr, MAKEINTRESOURCEA(100));
    ASSERT_TRUE(table);
    EXPECT_EQ(CopyAcceleratorTableA(table, nullptr, 0), 5);
    HWND frame = make(WS_OVERLAPPEDWINDOW | WS_VISIBLE);

    auto press = [&](UINT vk, bool down) {
        MSG msg { frame, static_cast<UINT>(down ? WM_KEYDOWN : WM_KEYUP), vk, 1, 0, { 0, 0 } };
        PostMessageA(frame, msg.message, msg.wParam, msg.lParam);
    };
    // Returns the command an accelerator made of the key, or 0.
    auto translate = [&]() -> int {
        message_log().clear();
        MSG msg;
        int command = 0;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (TranslateAcceleratorA(frame, table, &msg)) {
                auto c = got(frame, WM_COMMAND);
                if (!c.empty()) {
                    EXPECT_EQ(HIWORD(c.back().wparam), 1);
                    command = LOWORD(c.back().wparam);
                }
                continue;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        return command;
    };
    press(VK_CONTROL, true);
    press(VK_RIGHT, true);
    EXPECT_EQ(translate(), 501);
    press(VK_SHIFT, true);
    press(VK_RIGHT, true);
    EXPECT_EQ(translate(), 0);   // Ctrl+Shift+Right has no entry
    press(VK_CONTROL, false);
    press(VK_RIGHT, true);
    EXPECT_EQ(translate(), 502);
    press(VK_SHIFT, false);
    EXPECT_EQ(translate(), 0);
    EXPECT_GE(GetKeyState(VK_CONTROL), 0);
    EXPECT_GE(GetKeyState(VK_SHIFT), 0);
    PostMessageA(frame, WM_SYSKEYDOWN, 'X', 1 | (1 << 29));
    EXPECT_EQ(translate(), 503);
    press(VK_F5, true);
    EXPECT_EQ(translate(), 504);
    press('M', true);   // TranslateMessage makes 'm', a character entry
    EXPECT_EQ(translate(), 505);

    // A greyed menu item of the command swallows the key without WM_COMMAND.
    HMENU bar = CreateMenu();
    HMENU view = CreatePopupMenu();
    AppendMenuA(view, MF_STRING | MF_GRAYED, 504, "&Refresh\tF5");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(view), "&View");
    SetMenu(frame, bar);
    press(VK_F5, true);
    EXPECT_EQ(translate(), 0);
    EXPECT_EQ(got(frame, WM_INITMENUPOPUP).size(), 1u);
    DestroyAcceleratorTable(table);
    user::clear_accelerators();
}

TEST_F(WindowTest, KeyInputGoesToTheFocusAndSetsTheAsyncState)
{
    HWND frame = make(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    HWND edit = make(WS_CHILD | WS_VISIBLE, frame, 1805);
    SetFocus(edit);
    EXPECT_TRUE(user::key_input(VK_CONTROL, true));
    EXPECT_LT(GetAsyncKeyState(VK_CONTROL), 0);
    EXPECT_GE(GetKeyState(VK_CONTROL), 0);   // not yet retrieved
    pump();
    EXPECT_LT(GetKeyState(VK_CONTROL), 0);
    EXPECT_EQ(got(edit, WM_KEYDOWN).size(), 1u);
    user::key_input(VK_CONTROL, false);
    user::key_input('A', true);
    pump();
    auto chars = got(edit, WM_CHAR);
    ASSERT_EQ(chars.size(), 1u);
    EXPECT_EQ(chars[0].wparam, static_cast<WPARAM>('a'));
    user::key_input('A', false);
    // The punctuation keys of a path: '\' and, with Shift, '|'; '/' and ':'.
    for (UINT vk : { VK_OEM_5, VK_OEM_2 }) {
        user::key_input(vk, true);
        user::key_input(vk, false);
    }
    user::key_input(VK_SHIFT, true);
    for (UINT vk : { VK_OEM_5, VK_OEM_1 }) {
        user::key_input(vk, true);
        user::key_input(vk, false);
    }
    user::key_input(VK_SHIFT, false);
    pump();
    chars = got(edit, WM_CHAR);
    std::string typed;
    for (const auto& c : chars)
        typed += static_cast<char>(c.wparam);
    EXPECT_EQ(typed, "a\\/|:");
}

TEST_F(WindowTest, PunctuationKeysTypeTheirCharactersWithAndWithoutShift)
{
    HWND frame = make(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    HWND edit = make(WS_CHILD | WS_VISIBLE, frame, 1805);
    SetFocus(edit);
    struct Case {
        UINT vk;
        char plain, shifted;
    } cases[] = {
        { VK_OEM_2, '/', '?' }, { VK_OEM_5, '\\', '|' }, { VK_OEM_1, ';', ':' }, { VK_OEM_7, '\'', '"' },
        { VK_OEM_4, '[', '{' }, { VK_OEM_6, ']', '}' }, { VK_OEM_3, '`', '~' }, { VK_OEM_MINUS, '-', '_' },
    };
    std::string typed, expected;
    for (const Case& c : cases) {
        for (bool shift : { false, true }) {
            if (shift)
                user::key_input(VK_SHIFT, true);
            user::key_input(c.vk, true);
            user::key_input(c.vk, false);
            if (shift)
                user::key_input(VK_SHIFT, false);
            pump();
            expected += shift ? c.shifted : c.plain;
        }
    }
    for (const auto& m : got(edit, WM_CHAR))
        typed += static_cast<char>(m.wparam);
    EXPECT_EQ(typed, expected);
}
