// Message boxes: the responder of a test, the display's presenter, or the headless default.

#include "Ops.h"

#include <user/Testing.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace user::detail {

namespace {

MessageBoxPresenter s_presenter;
user::testing::MessageBoxResponder s_responder;
std::vector<user::testing::ShownMessageBox> s_journal;
std::vector<UINT> s_beeps;

bool headless()
{
    const char* flag = std::getenv("ORBIVANE_HEADLESS");
    if (flag && *flag && std::strcmp(flag, "0") != 0)
        return true;
    const char* display = std::getenv("DISPLAY");
    return !display || !*display;
}

}

}

using namespace user::detail;

namespace user {

std::vector<int> message_box_buttons(UINT type)
{
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: return { IDOK, IDCANCEL };
    case MB_ABORTRETRYIGNORE: return { IDABORT, IDRETRY, IDIGNORE };
    case MB_YESNOCANCEL: return { IDYES, IDNO, IDCANCEL };
    case MB_YESNO: return { IDYES, IDNO };
    case MB_RETRYCANCEL: return { IDRETRY, IDCANCEL };
    case MB_CANCELTRYCONTINUE: return { IDCANCEL, IDTRYAGAIN, IDCONTINUE };
    }
    return { IDOK };
}

int message_box_default(UINT type)
{
    auto buttons = message_box_buttons(type);
    std::size_t index = (type & MB_DEFMASK) >> 8;
    return index < buttons.size() ? buttons[index] : buttons.front();
}

void set_message_box_presenter(MessageBoxPresenter presenter)
{
    Guard guard(lock());
    s_presenter = std::move(presenter);
}

namespace testing {

void reset_menus();
void reset_dialogs();

void set_message_box_responder(MessageBoxResponder responder)
{
    Guard guard(lock());
    s_responder = std::move(responder);
}

std::vector<ShownMessageBox> message_box_journal()
{
    Guard guard(lock());
    return s_journal;
}

std::vector<UINT> beep_journal()
{
    Guard guard(lock());
    return s_beeps;
}

void reset()
{
    {
        Guard guard(lock());
        s_responder = nullptr;
        s_journal.clear();
        s_beeps.clear();
    }
    reset_menus();
    reset_dialogs();
}

}

}

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    if (owner && !IsWindow(owner))
        owner = nullptr;
    user::MessageBoxCall box { owner, text ? text : "", caption ? caption : "Error", type };
    user::testing::MessageBoxResponder responder;
    user::MessageBoxPresenter presenter;
    {
        Guard guard(lock());
        responder = s_responder;
        presenter = s_presenter;
    }
    // The owner is disabled while the box is up, as any modal window disables its owner.
    bool disabled = owner && IsWindowEnabled(owner) && !EnableWindow(owner, FALSE);
    int answer;
    if (responder)
        answer = responder(box);
    else if (presenter && !headless())
        answer = presenter(box);
    else {
        answer = user::message_box_default(type);
        std::fprintf(stderr, "[message box] %s: %s\n", box.caption.c_str(), box.text.c_str());
    }
    if (disabled)
        EnableWindow(owner, TRUE);
    {
        Guard guard(lock());
        s_journal.push_back({ box, answer });
    }
    return answer;
}

int MessageBoxExA(HWND owner, LPCSTR text, LPCSTR caption, UINT type, WORD)
{
    return MessageBoxA(owner, text, caption, type);
}

BOOL MessageBeep(UINT type)
{
    Guard guard(lock());
    s_beeps.push_back(type);
    return TRUE;
}
