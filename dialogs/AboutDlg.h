#pragma once

// AboutDlg: the modal About box (dialog 22000): the program's icon, "<product> Version <version>"
// and the copyright line from the running program's version resource (the template's "Version "
// and "Copyright" stay when it has none), and a link to the program's web page.
//
//     AboutDlg(frame).Execute();

#include "ContextHelpWin.h"
#include "HotLink.h"

#include <owl/Dialog.h>
#include <owl/Static.h>

// The program's web page, shown and opened by the About box's link.
extern const char ProgramWebAddress[];

class AboutDlg : public OWL::TDialog, public ContextHelpWin {
public:
    explicit AboutDlg(OWL::TWindow* parent, OWL::TModule* module = nullptr);

protected:
    void SetupWindow() override;

private:
    OWL::TStatic* m_version;
    OWL::TStatic* m_copyright;
    THotLink* m_link;
};
