#pragma once

// The whole window area: windows, messages, timers, the caret, painting, menus, accelerators,
// message boxes, keyboard state and system metrics.

#include <user/Accelerators.h>
#include <user/Caret.h>
#include <user/Cursor.h>
#include <user/Desktop.h>
#include <user/CommonControls.h>
#include <user/Dialogs.h>
#include <user/Keyboard.h>
#include <user/Menus.h>
#include <user/MessageBox.h>
#include <user/Messages.h>
#include <user/Paint.h>
#include <user/SystemMetrics.h>
#include <user/Timers.h>
#include <user/Window.h>
