#pragma once

// The smallest client window the application needs until the real one exists: a window with the
// base window's close answer.

#include <owl/Window.h>

class StandInClient : public OWL::TWindow {
public:
    StandInClient() : OWL::TWindow(nullptr) { }
};
