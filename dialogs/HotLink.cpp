#include "HotLink.h"
#include "CoolButton.h"

#include <base/Process.h>
#include <gdi/Gdi.h>
#include <registry/Registry.h>
#include <shell/Dde.h>

#include <cstdio>

namespace {

constexpr COLORREF LinkColour = 0xC00000; // RGB(0, 0, 192)

std::string full_address(const char* text)
{
    std::string address = text ? text : "";
    if (address.compare(0, 5, "http:") != 0)
        address = "http://" + address;
    return address;
}

// Asks each DDE browser in turn to open the address; true when one took it.
bool open_through_dde(const std::string& address)
{
    DWORD instance = 0;
    if (DdeInitializeA(&instance, nullptr, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR)
        return false;
    std::string item = "\"" + address + "\",,-1,,,,";
    bool opened = false;
    for (const char* service : { "NETSCAPE", "IEXPLORE", "MOSAIC" }) {
        HSZ name = DdeCreateStringHandleA(instance, service, CP_WINANSI);
        HSZ open_topic = DdeCreateStringHandleA(instance, "WWW_OpenURL", CP_WINANSI);
        HSZ open_item = DdeCreateStringHandleA(instance, item.c_str(), CP_WINANSI);
        if (HCONV conversation = DdeConnect(instance, name, open_topic, nullptr)) {
            HDDEDATA data = DdeClientTransaction(nullptr, 0, conversation, open_item, CF_TEXT, XTYP_REQUEST, 1000, nullptr);
            DdeDisconnect(conversation);
            if (data) {
                DdeFreeDataHandle(data);
                HSZ activate = DdeCreateStringHandleA(instance, "WWW_Activate", CP_WINANSI);
                HSZ window = DdeCreateStringHandleA(instance, "-1,0", CP_WINANSI);
                if (HCONV front = DdeConnect(instance, name, activate, nullptr)) {
                    if (HDDEDATA answer = DdeClientTransaction(nullptr, 0, front, window, CF_TEXT, XTYP_REQUEST, 1000, nullptr))
                        DdeFreeDataHandle(answer);
                    DdeDisconnect(front);
                }
                DdeFreeStringHandle(instance, activate);
                DdeFreeStringHandle(instance, window);
                opened = true;
            }
        }
        DdeFreeStringHandle(instance, name);
        DdeFreeStringHandle(instance, open_topic);
        DdeFreeStringHandle(instance, open_item);
        if (opened)
            break;
    }
    DdeUninitialize(instance);
    return opened;
}

std::string default_value(const char* key)
{
    char text[520] = {};
    LONG size = sizeof text;
    if (RegQueryValueA(HKEY_CLASSES_ROOT, key, text, &size) != ERROR_SUCCESS)
        return {};
    text[sizeof text - 1] = '\0';
    return text;
}

std::string window_text(HWND window)
{
    char text[260] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

}

THotLink::THotLink(OWL::TWindow* parent, int id, const char* address, OWL::TModule* module)
    : TButton(parent, id, module)
    , m_address(address ? address : "")
{
}

bool THotLink::GetBrowserCommand(std::string& out, const char* address)
{
    std::string file_class = default_value(".htm");
    if (file_class.empty())
        return false;
    std::string command = default_value((file_class + "\\shell\\open\\command").c_str());
    if (command.empty())
        return false;
    // The address takes the place of the "%1" token, inside whatever quotes it has; the program's
    // quotes and the other arguments stay as registered.
    std::size_t token = command.find("%1", 1);
    if (token != std::string::npos) {
        command.replace(token, 2, address);
    } else {
        std::string quoted = std::string(address).find(' ') == std::string::npos ? address : std::string("\"").append(address).append("\"");
        command += " " + quoted;
    }
    out = command;
    return true;
}

bool THotLink::OpenURL(const char* text)
{
    std::string address = full_address(text);
    if (open_through_dde(address))
        return true;
    std::string command;
    if (!GetBrowserCommand(command, address.c_str()))
        return false;
    return WinExec(command.c_str(), SW_SHOW) >= 32;
}

bool THotLink::EvNotify(UINT code)
{
    if (code != BN_CLICKED)
        return false;
    OpenURL(window_text(GetHandle()).c_str());
    return true;
}

void THotLink::SetupWindow()
{
    SendMessageA(GetHandle(), BM_SETSTYLE, BS_OWNERDRAW, FALSE);
    if (!m_address.empty())
        SetText(m_address.c_str());
}

void THotLink::Store(const DRAWITEMSTRUCT& item)
{
    m_dc = item.hDC;
    m_rect = item.rcItem;
    m_itemState = item.itemState;
}

void THotLink::ODADrawEntire(DRAWITEMSTRUCT& item)
{
    Store(item);
    std::string text = window_text(GetHandle());
    SIZE extent {};
    GetTextExtentPoint32A(m_dc, text.c_str(), static_cast<int>(text.size()), &extent);
    int cx = (m_rect.left + m_rect.right) / 2;
    int baseline = (m_rect.top + m_rect.bottom) / 2 + extent.cy / 2;
    SetBkMode(m_dc, TRANSPARENT);
    SetTextColor(m_dc, LinkColour);
    UINT align = SetTextAlign(m_dc, TA_CENTER | TA_BOTTOM);
    TextOutA(m_dc, cx, baseline, text.c_str(), static_cast<int>(text.size()));
    SetTextAlign(m_dc, align);
    HPEN pen = CreatePen(PS_SOLID, 1, LinkColour);
    HGDIOBJ old = SelectObject(m_dc, pen);
    MoveToEx(m_dc, cx - extent.cx / 2, baseline, nullptr);
    LineTo(m_dc, cx - extent.cx / 2 + extent.cx, baseline);
    SelectObject(m_dc, old);
    DeleteObject(pen);
    if (item.itemState & ODS_FOCUS)
        DrawButtonFocus(m_dc, m_rect, text.c_str());
}

void THotLink::ODAFocus(DRAWITEMSTRUCT& item)
{
    Store(item);
    DrawButtonFocus(m_dc, m_rect, window_text(GetHandle()).c_str());
}

void THotLink::ODASelect(DRAWITEMSTRUCT& item)
{
    Store(item);
}
