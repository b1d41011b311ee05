// Dialog-item helpers: numbers and check states of controls by identifier.

#include <user/Dialogs.h>

#include <cstdio>

BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL is_signed)
{
    char text[16];
    if (is_signed)
        std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
    else
        std::snprintf(text, sizeof text, "%u", value);
    return SetDlgItemTextA(dialog, id, text);
}

UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL is_signed)
{
    if (translated)
        *translated = FALSE;
    char text[64];
    if (!GetDlgItemTextA(dialog, id, text, sizeof text) && !GetDlgItem(dialog, id))
        return 0;
    const char* p = text;
    while (*p == ' ')
        ++p;
    bool negative = false;
    if (is_signed && *p == '-') {
        negative = true;
        ++p;
    }
    if (*p < '0' || *p > '9')
        return 0;
    unsigned long long value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + static_cast<unsigned>(*p - '0');
        if (value > 0xFFFFFFFFull)
            return 0;
    }
    while (*p == ' ')
        ++p;
    if (*p)
        return 0;
    if (is_signed) {
        long long limit = negative ? 2147483648ll : 2147483647ll;
        if (static_cast<long long>(value) > limit)
            return 0;
        if (translated)
            *translated = TRUE;
        return static_cast<UINT>(negative ? -static_cast<long long>(value) : static_cast<long long>(value));
    }
    if (translated)
        *translated = TRUE;
    return static_cast<UINT>(value);
}

BOOL CheckDlgButton(HWND dialog, int id, UINT check)
{
    HWND button = GetDlgItem(dialog, id);
    if (!button)
        return FALSE;
    SendMessageA(button, BM_SETCHECK, check, 0);
    return TRUE;
}

UINT IsDlgButtonChecked(HWND dialog, int id)
{
    HWND button = GetDlgItem(dialog, id);
    return button ? static_cast<UINT>(SendMessageA(button, BM_GETCHECK, 0, 0)) : 0;
}
