#pragma once

// TCommandEnabler: what an enabler handler gets for one command of a menu (or later a gadget):
// it greys or enables the item, checks it and changes its text. TMenuItemEnabler applies the
// changes to a menu item at once.

#include <base/Types.h>
#include <user/Menus.h>

#include <string>

namespace OWL {

class TCommandEnabler {
public:
    enum { Unchecked = 0, Checked = 1, Indeterminate = 2 };

    explicit TCommandEnabler(UINT id) : m_id(id) { }
    virtual ~TCommandEnabler() = default;

    UINT GetId() const { return m_id; }

    virtual void Enable(bool enable = true);
    virtual void SetCheck(int state) = 0;
    virtual void SetText(const char* text) = 0;

    bool GetEnabled() const { return m_enabled; }
    // Whether a handler has looked at it (any call above).
    bool WasHandled() const { return m_handled; }

protected:
    bool m_handled = false;

private:
    UINT m_id;
    bool m_enabled = true;
};

// Enables, checks and renames the item at a position of a popup menu.
class TMenuItemEnabler : public TCommandEnabler {
public:
    TMenuItemEnabler(HMENU menu, UINT id, int position);

    void Enable(bool enable = true) override;
    void SetCheck(int state) override;
    void SetText(const char* text) override;

private:
    HMENU m_menu;
    int m_position;
};

}
