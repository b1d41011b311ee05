#pragma once

// Object streams: a class library object writes its fields to an opstream and reads them back
// from an ipstream, through the Streamer its class registers under its name. The streams hold
// bytes in memory: 32-bit integers little-endian, byte runs as a 32-bit length and the bytes.
// A read past the end gives 0 / nothing and marks the stream bad.
//
//     // in the class:  class Streamer : public TStreamer { ... Build, Read, Write ... };
//     static TStreamableClass reg("TMySlider", &TMySlider::Streamer::Build);
//     opstream out;  out << slider;            // the name, then Write
//     ipstream in(out.bytes());  auto* copy = in.ReadObject();

#include <base/Types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace OWL {

class opstream;
class ipstream;

// What a streamable object gives its streamer.
class TStreamableBase {
public:
    virtual ~TStreamableBase() = default;
    // The registered class name.
    virtual const char* StreamableName() const = 0;
    virtual void Write(opstream& out) const = 0;
    virtual void Read(ipstream& in) = 0;
};

class opstream {
public:
    opstream& operator<<(std::int32_t value);
    opstream& operator<<(bool value) { return *this << static_cast<std::int32_t>(value ? 1 : 0); }
    void WriteBytes(const void* data, std::uint32_t size);
    // The object's class name, then its fields.
    opstream& operator<<(const TStreamableBase& object);
    const std::vector<BYTE>& bytes() const { return m_bytes; }

private:
    std::vector<BYTE> m_bytes;
};

class ipstream {
public:
    explicit ipstream(std::vector<BYTE> bytes) : m_bytes(std::move(bytes)) { }
    ipstream& operator>>(std::int32_t& value);
    ipstream& operator>>(bool& value);
    std::vector<BYTE> ReadBytes();
    // Builds an object of the class named next in the stream and reads its fields; null when the
    // class is not registered or the stream is bad.
    TStreamableBase* ReadObject();
    bool good() const { return m_good; }

private:
    std::vector<BYTE> m_bytes;
    std::size_t m_at = 0;
    bool m_good = true;
};

// Registers a class's builder (an empty object to read into) under its name.
class TStreamableClass {
public:
    using Builder = TStreamableBase* (*)();
    TStreamableClass(const char* name, Builder build);
    static Builder Find(const std::string& name);
};

}
