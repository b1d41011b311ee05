#include <owl/Application.h>

#include <user/Messages.h>

#include <atomic>

namespace OWL {

namespace {

std::atomic<TApplication*> s_application { nullptr };

}

TApplication* GetApplicationObject()
{
    return s_application.load();
}

TApplication::TApplication(const char* name)
    : TModule(name)
{
    s_application.store(this);
}

TApplication::~TApplication()
{
    TFrameWindow* main = m_main_window;
    m_main_window = nullptr;
    delete main;
    TApplication* self = this;
    s_application.compare_exchange_strong(self, nullptr);
}

void TApplication::InitMainWindow()
{
    SetMainWindow(new TFrameWindow(nullptr, GetName()));
}

TFrameWindow* TApplication::SetMainWindow(TFrameWindow* window)
{
    TFrameWindow* previous = m_main_window;
    m_main_window = window;
    return previous;
}

bool TApplication::CanClose()
{
    return !m_main_window || m_main_window->CanClose();
}

int TApplication::Run()
{
    if (!m_main_window)
        InitMainWindow();
    if (!m_main_window || !m_main_window->Create())
        return -1;
    m_main_window->Show(nCmdShow);
    return MessageLoop();
}

int TApplication::MessageLoop()
{
    MSG msg {};
    long idle_count = 0;
    for (;;) {
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE))
            IdleAction(idle_count++);
        else
            idle_count = 0;
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0)
            return static_cast<int>(msg.wParam);
        if (got < 0)
            return -1;
        if (ProcessAppMsg(msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

bool TApplication::IdleAction(long idle_count)
{
    return m_main_window && m_main_window->GetHandle() && m_main_window->IdleAction(idle_count);
}

bool TApplication::ProcessAppMsg(MSG& msg)
{
    return m_main_window && m_main_window->PreProcessMsg(msg);
}

}
