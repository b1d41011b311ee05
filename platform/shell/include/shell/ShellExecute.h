#pragma once

// ShellExecuteA: opening documents, folders and URLs with the desktop's opener, and running programs.
//
// "open" (or no verb) and "explore" are known. A URL ("scheme:...") or an existing document or
// folder goes to xdg-open; an existing executable (an ELF file or a script with "#!" and the
// execute bit) runs directly with `parameters`; a bare name that is no file is looked up as a
// program on PATH. Everything starts through base's launcher (WinExec), so tests journal it.
// A relative `file` is taken in `directory` when one is given (a program started does not
// change to it). The result, as a number, is above
// 32 on success, else ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND or an SE_ERR_* code.
//
//     ShellExecuteA(nullptr, "open", "\\home\\ann\\Videos\\news_1.avi", nullptr, nullptr, SW_SHOWMINNOACTIVE);

#include <base/Types.h>

#define SE_ERR_FNF 2
#define SE_ERR_PNF 3
#define SE_ERR_ACCESSDENIED 5
#define SE_ERR_OOM 8
#define SE_ERR_NOASSOC 31

HINSTANCE ShellExecuteA(HWND window, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory, INT show);
