#pragma once

// What a virtual capture card shows or plays: a tuned channel, an external input, or the noise
// of a channel nobody broadcasts on.
//
// Channels are numbered as the tuner numbers them (2 and up); inputs are 1 and 2 for the external
// inputs "L1" and "L2". Both the test picture and the test tone are functions of the source, so a
// frame or a stretch of sound tells which source it came from.

#include <string>

namespace sim {

enum class SourceKind {
    Channel,
    Input,
    Noise,
};

struct PictureSource {
    SourceKind kind = SourceKind::Noise;
    int number = 0; // channel number, or input 1 or 2; 0 for noise

    static PictureSource channel(int number) { return { SourceKind::Channel, number }; }
    static PictureSource input(int number) { return { SourceKind::Input, number }; }
    static PictureSource noise() { return { SourceKind::Noise, 0 }; }

    bool operator==(const PictureSource&) const = default;
};

// The label the picture carries: "5", "L1"; empty for noise.
std::string label(const PictureSource& source);

}
