#pragma once

// The Sound device page's settings: wave output and input device names, the mixer line of the
// tuner's sound, whether the program may change the mixer, and the stream option.
//
// The settings sequence passes a null second argument to the loader, which then reads the key.

#include <base/Types.h>
#include <registry/Registry.h>

// Reads the five values from the key when ini_path is null or empty. Settings kept in an
// initialisation file (only MixerInput) are not supported: a non-empty ini_path changes nothing.
void LoadSoundSettings(HKEY key, const char* ini_path);
// Writes all five values; nothing without a key.
void SaveSoundSettings(HKEY key);
