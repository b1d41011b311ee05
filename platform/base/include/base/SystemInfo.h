#pragma once

// What the program asks of the system it runs on: the OS major version, user and computer
// names, and environment variables.
//
// The version is 6 (the program's newer Windows paths) unless a test sets another, such as 5:
//
//     base::set_os_major_version(5);
//     ... GetOsMajorVersion() == 5 ...
//     base::set_os_major_version(6);

#include <base/Types.h>

#define MAX_COMPUTERNAME_LENGTH 15
#define UNLEN 256

namespace base {

void set_os_major_version(int major);

}

int GetOsMajorVersion();
// *size: the buffer's size on entry; the bytes copied with the terminator on success, or the
// size needed (ERROR_INSUFFICIENT_BUFFER) when it is too small.
BOOL GetUserNameA(LPSTR buffer, LPDWORD size);
// *size: the buffer's size on entry; the length without the terminator on success, or the size
// needed (ERROR_BUFFER_OVERFLOW) when it is too small.
BOOL GetComputerNameA(LPSTR buffer, LPDWORD size);
// The length without the terminator, or the size needed when the buffer is too small; 0 and
// ERROR_ENVVAR_NOT_FOUND when the variable is not set.
DWORD GetEnvironmentVariableA(LPCSTR name, LPSTR buffer, DWORD size);
