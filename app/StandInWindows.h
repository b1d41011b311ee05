#pragma once

// The smallest main frame the application needs until the real one exists: a frame of window
// class "Orbivane" that carries the menu and the accelerators around the client.

#include <owl/DecoratedFrame.h>

inline constexpr const char* MainWindowClass = "Orbivane";

class StandInFrame : public OWL::TDecoratedFrame {
public:
    StandInFrame(const char* title, OWL::TWindow* client)
        : OWL::TDecoratedFrame(nullptr, title, client, true)
    {
    }

    const char* GetClassName() override { return MainWindowClass; }
};
