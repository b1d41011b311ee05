#pragma once

// The smallest main frame and client the application needs until the real ones exist: a frame of
// window class "Orbivane" that carries the menu and the accelerators, and a client with the base
// window's close answer.

#include <owl/DecoratedFrame.h>

inline constexpr const char* MainWindowClass = "Orbivane";

class StandInClient : public OWL::TWindow {
public:
    StandInClient() : OWL::TWindow(nullptr) { }
};

class StandInFrame : public OWL::TDecoratedFrame {
public:
    StandInFrame(const char* title, OWL::TWindow* client)
        : OWL::TDecoratedFrame(nullptr, title, client, true)
    {
    }

    const char* GetClassName() override { return MainWindowClass; }
};
