// Timer 42, once a second: the status text and the start and end of scheduled events; the
// timer list.

#include "App.h"
#include "Client.h"

#include <dialogs/SchedDialog.h>

void TClient::EvTimer(UINT_PTR)
{
}

void TClient::CmVcrTimer()
{
    OWL::TFrameWindow* main = GetApplication() ? GetApplication()->GetMainWindow() : nullptr;
    TSchedDialog(main ? static_cast<OWL::TWindow*>(main) : this).Execute();
    if (auto* app = dynamic_cast<App*>(GetApplication()))
        app->SaveSettings();
}
