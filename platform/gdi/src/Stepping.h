#pragma once

// Nearest-pixel scaling without a division per pixel: when `to` pixels show `from` pixels, pixel
// i shows source pixel floor((2i + 1) * from / (2 * to)), the one under its centre. A Stepper walks
// that index with integer steps and a remainder, starting at any pixel (one division to start).

#include <cstdint>

namespace gdi::detail {

class Stepper {
public:
    // from, to > 0; first is the destination pixel to start at.
    Stepper(int from, int to, int first)
        : m_denominator(2 * static_cast<std::int64_t>(to))
    {
        std::int64_t start = (2 * static_cast<std::int64_t>(first) + 1) * from;
        m_index = static_cast<int>(start / m_denominator);
        m_remainder = start % m_denominator;
        std::int64_t step = 2 * static_cast<std::int64_t>(from);
        m_whole = static_cast<int>(step / m_denominator);
        m_part = step % m_denominator;
    }

    // The source pixel of the current destination pixel.
    int index() const { return m_index; }
    // Moves on to the next destination pixel.
    void next()
    {
        m_index += m_whole;
        m_remainder += m_part;
        if (m_remainder >= m_denominator) {
            m_remainder -= m_denominator;
            ++m_index;
        }
    }

private:
    std::int64_t m_denominator;
    std::int64_t m_remainder;
    std::int64_t m_part;
    int m_index;
    int m_whole;
};

}
