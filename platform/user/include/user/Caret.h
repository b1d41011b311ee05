#pragma once

// The caret: the blinking mark where typing goes, one per thread.
//
// A window of the calling thread makes the thread's caret with CreateCaret (which destroys any
// caret the thread had before) and owns it until DestroyCaret, or until the window is destroyed.
// The caret starts hidden; ShowCaret and HideCaret count, so each HideCaret needs its ShowCaret.
// It is drawn by inverting its pixels in the owner's client area (a solid block, a grey pattern
// for the bitmap handle 1, or a bitmap's own shape XORed), and it blinks at GetCaretBlinkTime
// from a timer of the system's own on the owner's queue. While the owner (or one of its ancestors)
// paints, between BeginPaint and EndPaint, the caret is taken off and then put back, so painting
// never leaves half a caret. Moving or showing it draws it at once; after 10 seconds without
// either it stops blinking and stays drawn, as Linux desktops do, so an idle field costs no
// wake-ups.
//
//     case WM_SETFOCUS:  CreateCaret(window, nullptr, 1, line_height); SetCaretPos(x, y);
//                        ShowCaret(window); break;
//     case WM_KILLFOCUS: DestroyCaret(); break;

#include <user/Window.h>

// Makes the thread's caret for a window of this thread; width and height 0 take the border width
// and height; a bitmap (other than the grey handle 1) gives its own size.
BOOL CreateCaret(HWND window, HBITMAP bitmap, int width, int height);
BOOL DestroyCaret();
// The window must own the caret (NULL: whichever window of this thread owns it).
BOOL ShowCaret(HWND window);
BOOL HideCaret(HWND window);
// Client coordinates of the caret's owner.
BOOL SetCaretPos(int x, int y);
BOOL GetCaretPos(LPPOINT point);
// Milliseconds per phase of the blink (530 unless set); INFINITE: the caret does not blink.
UINT GetCaretBlinkTime();
BOOL SetCaretBlinkTime(UINT milliseconds);
