#pragma once

// The template of the archive browser (dialog 200): the tree of recordings (201) and the buttons
// Info (206), Delete (205), Launch player (221), Open file (IDOK) and Cancel (IDCANCEL).
// RegisterArchiveDialog() registers it when it is missing; the dialog calls it as it is made.

#include <base/Types.h>

constexpr UINT IDD_ARCHIVE = 200;
constexpr int IDC_ARCHIVE_TREE = 201;
constexpr int IDC_ARCHIVE_DELETE = 205;
constexpr int IDC_ARCHIVE_INFO = 206;
constexpr int IDC_ARCHIVE_LAUNCH = 221;

void RegisterArchiveDialog();
