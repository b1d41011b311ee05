// A plain settings object for the tests, used only while the program does not define its own.

#include <app/Settings.h>

SSettings::SSettings() { }

SSettings Settings;
