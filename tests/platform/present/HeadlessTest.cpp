// Without a display nothing is shown; the keysym table.

#include <present/Keys.h>
#include <present/Present.h>
#include <user/User.h>

#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

TEST(PresentHeadless, StartDoesNothing)
{
    const char* display = std::getenv("DISPLAY");
    std::string saved = display ? display : "";
    setenv("ORBIVANE_HEADLESS", "1", 1);
    setenv("DISPLAY", ":0", 1);
    EXPECT_FALSE(present::start());
    EXPECT_FALSE(present::running());
    setenv("ORBIVANE_HEADLESS", "0", 1);
    unsetenv("DISPLAY");
    EXPECT_FALSE(present::start());
    EXPECT_FALSE(present::running());
    present::stop(); // harmless when not running
    setenv("ORBIVANE_HEADLESS", "1", 1);
    if (display)
        setenv("DISPLAY", saved.c_str(), 1);
}

TEST(PresentKeys, KeysymsToVirtualKeys)
{
    struct Case {
        unsigned long keysym;
        UINT vk;
    } cases[] = {
        { XK_a, 'A' }, { XK_z, 'Z' }, { XK_Q, 'Q' }, { XK_0, '0' }, { XK_9, '9' },
        { XK_Left, VK_LEFT }, { XK_Right, VK_RIGHT }, { XK_Up, VK_UP }, { XK_Down, VK_DOWN },
        { XK_Prior, VK_PRIOR }, { XK_Next, VK_NEXT }, { XK_Home, VK_HOME }, { XK_End, VK_END },
        { XK_Return, VK_RETURN }, { XK_KP_Enter, VK_RETURN }, { XK_space, VK_SPACE }, { XK_Escape, VK_ESCAPE },
        { XK_F1, VK_F1 }, { XK_F10, VK_F10 }, { XK_F12, VK_F12 },
        { XK_Control_L, VK_CONTROL }, { XK_Control_R, VK_CONTROL }, { XK_Shift_L, VK_SHIFT },
        { XK_Shift_R, VK_SHIFT }, { XK_Alt_L, VK_MENU }, { XK_Tab, VK_TAB }, { XK_Delete, VK_DELETE },
        { XK_slash, VK_OEM_2 }, { XK_backslash, VK_OEM_5 }, { XK_semicolon, VK_OEM_1 }, { XK_apostrophe, VK_OEM_7 },
        { XK_bracketleft, VK_OEM_4 }, { XK_KP_Divide, VK_DIVIDE }, { XK_minus, VK_OEM_MINUS },
        { XK_F13, 0 }, { XK_Caps_Lock, 0 }, { 0, 0 },
    };
    for (const auto& c : cases)
        EXPECT_EQ(present::vk_from_keysym(c.keysym), c.vk) << "keysym 0x" << std::hex << c.keysym;
}
