#pragma once

// DDE client conversations over servers registered in this process.
//
// No program on this machine serves DDE, so a conversation succeeds only with a server that an
// area or a test registers for a (service, topic) pair; DdeConnect to anything else fails with
// DMLERR_NO_CONV_ESTABLISHED. A server answers an XTYP_REQUEST for an item with data, or with
// nothing, which the client sees as a time-out. Names match ignoring case. Only the client side
// the program uses is here: string handles, connect, request, data handles, disconnect.
//
//     shell::register_dde_server("IEXPLORE", "WWW_OpenURL", [](const std::string& item) {
//         return std::optional<std::string>("1");
//     });

#include <base/Types.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

DECLARE_HANDLE(HSZ);
DECLARE_HANDLE(HCONV);
DECLARE_HANDLE(HDDEDATA);

struct CONVCONTEXT;
using PCONVCONTEXT = CONVCONTEXT*;
using PFNCALLBACK = HDDEDATA(CALLBACK*)(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR);

#define APPCMD_CLIENTONLY 0x00000010
#define XTYP_REQUEST 0x20B0
#define CF_TEXT 1
#define CP_WINANSI 1004

#define DMLERR_NO_ERROR 0
#define DMLERR_DATAACKTIMEOUT 0x4002
#define DMLERR_DLL_NOT_INITIALIZED 0x4003
#define DMLERR_INVALIDPARAMETER 0x4006
#define DMLERR_NO_CONV_ESTABLISHED 0x400A
#define DMLERR_NOTPROCESSED 0x4009

UINT DdeInitializeA(LPDWORD instance, PFNCALLBACK callback, DWORD commands, DWORD reserved);
BOOL DdeUninitialize(DWORD instance);
UINT DdeGetLastError(DWORD instance);
HSZ DdeCreateStringHandleA(DWORD instance, LPCSTR text, int code_page);
BOOL DdeFreeStringHandle(DWORD instance, HSZ string);
HCONV DdeConnect(DWORD instance, HSZ service, HSZ topic, PCONVCONTEXT context);
BOOL DdeDisconnect(HCONV conversation);
// Only XTYP_REQUEST: the server's answer as a data handle, or NULL (DMLERR_DATAACKTIMEOUT).
HDDEDATA DdeClientTransaction(LPBYTE data, DWORD length, HCONV conversation, HSZ item, UINT format, UINT type,
    DWORD timeout_ms, LPDWORD result);
// Copies up to `length` bytes from `offset`; with no buffer, the data's size.
DWORD DdeGetData(HDDEDATA data, LPBYTE buffer, DWORD length, DWORD offset);
BOOL DdeFreeDataHandle(HDDEDATA data);

namespace shell {

// Answers a request for an item: data (sent with a terminating NUL), or nothing for a time-out.
using DdeServer = std::function<std::optional<std::string>(const std::string& item)>;
void register_dde_server(const std::string& service, const std::string& topic, DdeServer server);
void unregister_dde_server(const std::string& service, const std::string& topic);

}

namespace shell::testing {

struct DdeCall {
    std::string service;
    std::string topic;
    std::string item;    // empty for a connect
    bool succeeded = false;
};
// Every connect and request since the last clear.
std::vector<DdeCall> dde_journal();
void clear_dde_journal();

}
