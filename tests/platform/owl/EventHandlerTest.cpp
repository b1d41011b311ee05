#include <owl/EventHandler.h>

#include <user/Messages.h>

#include <gtest/gtest.h>

#include <string>

using namespace OWL;

namespace {

struct RecordingEnabler : TCommandEnabler {
    using TCommandEnabler::TCommandEnabler;
    void SetCheck(int state) override { check = state; m_handled = true; }
    void SetText(const char* t) override { text = t; m_handled = true; }
    int check = -1;
    std::string text;
};

struct Base : virtual TEventHandler {
    Base() { OnCommand(1, [this] { log += "base1 "; }); OnCommand(2, [this] { log += "base2 "; }); }
    std::string log;
};

struct Mixin : virtual TEventHandler {
    Mixin() { OnMessage(WM_USER + 78, [](WPARAM w, LPARAM l) { return static_cast<LRESULT>(w + l); }); }
};

struct Derived : Base, Mixin {
    Derived()
    {
        OnCommand(2, [this] { log += "derived2 "; });
        OnCommandEnable(2, [](TCommandEnabler& ce) {
            ce.Enable(false);
            ce.SetCheck(TCommandEnabler::Checked);
            ce.SetText("TV off");
        });
    }
};

}

TEST(EventHandler, DerivedEntriesOverrideAndVirtualBasesShareOneTable)
{
    Derived d;
    EXPECT_TRUE(d.DispatchCommand(1));
    EXPECT_TRUE(d.DispatchCommand(2));
    EXPECT_FALSE(d.DispatchCommand(3));
    EXPECT_EQ(d.log, "base1 derived2 ");

    LRESULT result = 0;
    EXPECT_TRUE(d.DispatchMsg(WM_USER + 78, 3, 4, result));
    EXPECT_EQ(result, 7);
    EXPECT_FALSE(d.DispatchMsg(WM_USER + 79, 0, 0, result));

    RecordingEnabler ce(2);
    EXPECT_TRUE(d.DispatchEnabler(ce));
    EXPECT_FALSE(ce.GetEnabled());
    EXPECT_EQ(ce.check, TCommandEnabler::Checked);
    EXPECT_EQ(ce.text, "TV off");
    RecordingEnabler none(1);
    EXPECT_FALSE(d.DispatchEnabler(none));
    EXPECT_FALSE(none.WasHandled());
}

TEST(EventHandler, RegisteredMessagesAreFoundByName)
{
    TEventHandler h;
    UINT id = h.OnRegisteredMessage("MRUFILEMESSAGE", [](WPARAM w, LPARAM) { return static_cast<LRESULT>(w); });
    EXPECT_GE(id, 0xC000u);
    EXPECT_EQ(id, RegisterWindowMessageA("mrufilemessage"));
    LRESULT result = 0;
    EXPECT_TRUE(h.DispatchMsg(id, 41, 0, result));
    EXPECT_EQ(result, 41);
    EXPECT_EQ(h.OnRegisteredMessage("", [](WPARAM, LPARAM) { return LRESULT(0); }), 0u);
}
