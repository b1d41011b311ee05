#pragma once

// The program's private window messages. All are posted or sent within the process, except the
// tuner request, which the radio program exchanges with the main frame. The frame, the tray window
// and the client window include this one header so the values cannot drift apart.

#include <media/VideoFile.h>
#include <user/Messages.h>

constexpr UINT WM_TRAYTV = WM_USER + 78;            // tray menu: switch TV on or off
constexpr UINT WM_TRAYMUTE = WM_USER + 79;          // tray menu: toggle mute
constexpr UINT WM_HIDETOTRAY = WM_USER + 121;       // frame: hide to the tray after a minimised start
// WM_GRAPHNOTIFY (WM_USER + 137): the player's graph events, relayed to the player (media/VideoFile.h).
constexpr UINT WM_DEFERREDSTART = WM_USER + 138;    // client set-up: start TV once the frame is up
constexpr UINT WM_TUNERREQUEST = WM_USER + 147;     // radio program: wants or returns the tuner
constexpr UINT WM_POSITIONUPDATE = WM_USER + 170;   // player: step the position slider
constexpr UINT WM_CHANNELTYPED = WM_USER + 171;     // control bar: the channel field changed
constexpr UINT WM_TRAYNOTIFY = WM_USER + 234;       // notification-area icon: mouse activity
constexpr UINT WM_UPDATESTATEICON = WM_USER + 370;  // client: ActivityState changed, redraw icons
constexpr UINT WM_VIDEOLAYOUT = WM_USER + 549;      // client: lay the video out again after a restore

// Fixed parameters that mark the genuine private posts.
constexpr WPARAM DeferredStartWParam = 1;
constexpr LPARAM DeferredStartLParam = 2;
constexpr LPARAM TunerRequestLParam = 13;
constexpr LRESULT TunerRequestRefused = 15;
constexpr WPARAM ChannelTypedWParam = 3;
constexpr LPARAM ChannelTypedLParam = 4;
