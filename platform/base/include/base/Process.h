#pragma once

// Starting other programs: WinExec over real processes, with a launcher tests can replace.
//
// The command line is split as Windows splits it (quotes group, backslashes escape only before a
// quote). A program named with a folder is taken from there; a bare name is looked up in the
// program's own folder, then on PATH, by its exact name, so Windows tool names ("sndvol.exe",
// "control.exe") that have no counterpart here fail with ERROR_FILE_NOT_FOUND. The process is
// started and not waited for; it is reaped when it ends.
//
//     auto previous = base::set_launcher([&](const std::string& line, UINT show) {
//         journal.push_back(line);
//         return 33u;
//     });
//     WinExec("control.exe mmsys.cpl", 1);   // journalled, nothing started
//     base::set_launcher(previous);

#include <base/Types.h>

#include <functional>
#include <string>
#include <vector>

namespace base {

// Handles a WinExec call: returns its result (above 31 for success, else a Windows error code).
using Launcher = std::function<UINT(const std::string& command_line, UINT show)>;

// Installs `launcher` (an empty one restores the real launcher); returns the one it replaces.
Launcher set_launcher(Launcher launcher);
// The real launcher: splits the line, finds the program and starts it.
UINT launch_process(const std::string& command_line, UINT show);

// The arguments of a command line, the program first, as Windows splits them.
std::vector<std::string> split_command_line(std::string_view command_line);
// The Linux path of the program a command names, or the Windows error code when there is none.
DWORD find_program(const std::string& name, std::string& linux_path);
// Starts a process with these arguments (argv[0] a Linux path) without waiting; a Windows error or 0.
DWORD start_process(const std::vector<std::string>& argv);

}

UINT WinExec(LPCSTR command_line, UINT show);
DWORD GetCurrentProcessId();
