#pragma once

// The control bars' button pictures (16 x 15) and the two slider thumbs, drawn by the program:
// RegisterBarBitmaps() makes them once and registers them with the image resources at start-up.
// Ids 1910, 1911 and 1914 have no role on the bars and no picture.

#include <base/Types.h>

constexpr UINT IDB_TVON = 1900;
constexpr UINT IDB_ARCHIVES = 1901;
constexpr UINT IDB_TIMER = 1902;
constexpr UINT IDB_PLAY = 1903;
constexpr UINT IDB_STOP = 1904;
constexpr UINT IDB_RECORD = 1905;
constexpr UINT IDB_CHANNELUP = 1906;
constexpr UINT IDB_CHANNELDOWN = 1907;
constexpr UINT IDB_SKIPFORWARD = 1908;
constexpr UINT IDB_SKIPBACKWARD = 1909;
constexpr UINT IDB_MUTED = 1912;
constexpr UINT IDB_SOUND = 1913;
constexpr UINT IDB_VOLUMETHUMB = 1915;
constexpr UINT IDB_TVOFF = 1916;
// The class library's own slider thumb.
constexpr UINT IDB_SLIDERTHUMB = 32000;

void RegisterBarBitmaps();
