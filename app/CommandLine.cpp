#include "CommandLine.h"

#include <base/Text.h>

#include <cstring>

CommandLineOptions ParseCommandLine(int argc, char* argv[])
{
    CommandLineOptions options;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (!arg || std::strlen(arg) != 2 || (arg[0] != '/' && arg[0] != '-'))
            continue;
        switch (base::upper_ascii(arg[1])) {
        case 'D':
            options.debug = true;
            break;
        case 'M':
            options.minimized = true;
            break;
        case 'U':
            options.uninstall = true;
            return options;
        default:
            break;
        }
    }
    return options;
}
