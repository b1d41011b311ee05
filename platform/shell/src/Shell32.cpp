// The modules "shell32.dll", "version.dll" and "hhctrl.ocx", for callers that look the shell's
// functions up at run time. Registered before main; the link keeps this file through the
// symbol below (see CMakeLists.txt).

#include <shell/Help.h>
#include <shell/KnownFolders.h>
#include <shell/ShellExecute.h>
#include <shell/TrayIcon.h>
#include <shell/Version.h>

#include <base/Modules.h>

extern "C" {
int orbivane_shell_modules = 0;
}

namespace {

struct Registration {
    Registration()
    {
        using base::export_of;
        base::Modules::register_module("shell32.dll",
            {
                { "Shell_NotifyIconA", export_of(&Shell_NotifyIconA) },
                { "ShellExecuteA", export_of(&ShellExecuteA) },
                { "SHGetFolderPathA", export_of(&SHGetFolderPathA) },
                { "SHGetFolderPathAndSubDirA", export_of(&SHGetFolderPathAndSubDirA) },
                { "SHGetSpecialFolderPathA", export_of(&SHGetSpecialFolderPathA) },
            });
        base::Modules::register_module("version.dll",
            {
                { "GetFileVersionInfoSizeA", export_of(&GetFileVersionInfoSizeA) },
                { "GetFileVersionInfoA", export_of(&GetFileVersionInfoA) },
                { "VerQueryValueA", export_of(&VerQueryValueA) },
            });
        base::Modules::register_module("hhctrl.ocx", { { "HtmlHelpA", export_of(&HtmlHelpA) } });
    }
} registration;

}
