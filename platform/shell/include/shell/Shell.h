#pragma once

// The whole shell area: notification-area icons, starting documents and programs, known folders,
// help files, version resources and DDE conversations.

#include <shell/Dde.h>
#include <shell/Help.h>
#include <shell/KnownFolders.h>
#include <shell/ShellExecute.h>
#include <shell/TrayIcon.h>
#include <shell/Version.h>
