#pragma once

// Files and folders through the Windows file API, on the real Linux file system.
//
// Every path is Windows-form (see base/Path.h) and names are found ignoring case. Files opened
// with CreateFileA keep Windows sharing: an open that the share modes of the others do not
// allow fails with ERROR_SHARING_VIOLATION, and so does deleting or moving a file this process
// holds open without FILE_SHARE_DELETE. A file without write permission counts as read-only:
// DeleteFileA refuses it with ERROR_ACCESS_DENIED. The creation time is the file's birth time
// where the file system keeps one, else its modification time; set_creation_time() overrides
// it for tests. File times are FILETIMEs (base/FileTime.h).
//
//     HANDLE f = CreateFileA("out\\a.avi", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
//     WriteFile(f, data, size, &written, nullptr);
//     DeleteFileA("out\\a.avi");           // FALSE, ERROR_SHARING_VIOLATION: still open
//     CloseHandle(f);

#include <base/FileTime.h>
#include <base/Handles.h>
#include <base/Sync.h>

#include <cstdio>
#include <string>

#define GENERIC_READ 0x80000000u
#define GENERIC_WRITE 0x40000000u
#define GENERIC_ALL 0x10000000u
#define FILE_READ_DATA 0x0001u
#define FILE_WRITE_DATA 0x0002u
#define FILE_APPEND_DATA 0x0004u
#define DELETE 0x00010000u

#define FILE_SHARE_READ 0x00000001u
#define FILE_SHARE_WRITE 0x00000002u
#define FILE_SHARE_DELETE 0x00000004u

#define CREATE_NEW 1
#define CREATE_ALWAYS 2
#define OPEN_EXISTING 3
#define OPEN_ALWAYS 4
#define TRUNCATE_EXISTING 5

#define FILE_ATTRIBUTE_READONLY 0x00000001u
#define FILE_ATTRIBUTE_HIDDEN 0x00000002u
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010u
#define FILE_ATTRIBUTE_ARCHIVE 0x00000020u
#define FILE_ATTRIBUTE_NORMAL 0x00000080u
#define INVALID_FILE_ATTRIBUTES 0xFFFFFFFFu
#define INVALID_FILE_SIZE 0xFFFFFFFFu
#define INVALID_SET_FILE_POINTER 0xFFFFFFFFu

#define FILE_BEGIN 0
#define FILE_CURRENT 1
#define FILE_END 2

struct OVERLAPPED;
using LPOVERLAPPED = OVERLAPPED*;

struct WIN32_FIND_DATAA {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    CHAR cFileName[MAX_PATH];
    CHAR cAlternateFileName[14];
};
using LPWIN32_FIND_DATAA = WIN32_FIND_DATAA*;

struct WIN32_FILE_ATTRIBUTE_DATA {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
};
using LPWIN32_FILE_ATTRIBUTE_DATA = WIN32_FILE_ATTRIBUTE_DATA*;

enum GET_FILEEX_INFO_LEVELS {
    GetFileExInfoStandard,
    GetFileExMaxInfoLevel
};

namespace base {

// Replaces the creation time the layer reports for an existing file (until it is deleted).
bool set_creation_time(const char* windows_path, const FILETIME& time);
// Whether this process holds the file open through CreateFileA.
bool is_open_in_process(const char* windows_path);
// The Windows error code for a Linux errno value.
DWORD error_from_errno(int error);

}

DWORD GetCurrentDirectoryA(DWORD size, LPSTR buffer);
BOOL SetCurrentDirectoryA(LPCSTR path);
DWORD GetTempPathA(DWORD size, LPSTR buffer);
// Gives the path as written (this file system has no short names); fails when it does not exist.
DWORD GetShortPathNameA(LPCSTR long_path, LPSTR short_path, DWORD size);

BOOL CreateDirectoryA(LPCSTR path, LPSECURITY_ATTRIBUTES attributes);
BOOL RemoveDirectoryA(LPCSTR path);
// Creates every missing folder of a path; only the part up to the last `\` counts.
BOOL MakeSureDirectoryPathExists(LPCSTR path);

HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD share_mode, LPSECURITY_ATTRIBUTES attributes, DWORD disposition,
    DWORD flags, HANDLE template_file);
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD to_read, LPDWORD read, LPOVERLAPPED overlapped);
BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD to_write, LPDWORD written, LPOVERLAPPED overlapped);
DWORD SetFilePointer(HANDLE file, LONG distance, PLONG distance_high, DWORD method);
BOOL SetFilePointerEx(HANDLE file, LARGE_INTEGER distance, LARGE_INTEGER* new_position, DWORD method);
BOOL SetEndOfFile(HANDLE file);
DWORD GetFileSize(HANDLE file, LPDWORD size_high);
BOOL GetFileSizeEx(HANDLE file, LARGE_INTEGER* size);
BOOL FlushFileBuffers(HANDLE file);

BOOL DeleteFileA(LPCSTR path);
BOOL MoveFileA(LPCSTR existing, LPCSTR new_name);
BOOL CopyFileA(LPCSTR existing, LPCSTR new_name, BOOL fail_if_exists);

HANDLE FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA data);
BOOL FindNextFileA(HANDLE find, LPWIN32_FIND_DATAA data);
BOOL FindClose(HANDLE find);

DWORD GetFileAttributesA(LPCSTR path);
BOOL GetFileAttributesExA(LPCSTR path, GET_FILEEX_INFO_LEVELS level, LPVOID info);
// Only FILE_ATTRIBUTE_READONLY has an effect: it takes away or gives back write permission.
BOOL SetFileAttributesA(LPCSTR path, DWORD attributes);


// The C runtime's file calls, taking Windows-form paths like the rest of the program.
namespace crt {

FILE* fopen(const char* windows_path, const char* mode);
// 0 when the path exists (mode 0) or allows the access (2 write, 4 read, 6 both), else -1.
int _access(const char* windows_path, int mode);

}
