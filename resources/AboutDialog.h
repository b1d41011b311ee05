#pragma once

// The template of the About box (dialog 22000): the program's icon (1003), the version line
// (22001), the copyright (22002), the link to the program's web page (22006, owner-drawn) and OK.
// RegisterAboutDialog() registers it when it is missing; the box calls it as it is made.

#include <base/Types.h>

constexpr UINT IDD_ABOUT = 22000;
constexpr int IDC_ABOUT_ICON = 1003;
constexpr int IDC_ABOUT_VERSION = 22001;
constexpr int IDC_ABOUT_COPYRIGHT = 22002;
constexpr int IDC_ABOUT_LINK = 22006;

void RegisterAboutDialog();
