#include "CardSignal.h"

#include <algorithm>

namespace sim::detail {

namespace {

bool is_audio(LONG type) { return type >= 0x1000; }

LONG first_input_of(const Crossbar& crossbar, bool audio, LONG preferred)
{
    LONG fallback = -1;
    for (LONG i = 0; i < static_cast<LONG>(crossbar.inputs.size()); ++i) {
        LONG type = crossbar.inputs[i].type;
        if (type == preferred)
            return i;
        if (fallback < 0 && is_audio(type) == audio)
            fallback = i;
    }
    return fallback;
}

// The first output of the given kind, -1 when none.
LONG first_output_of(const Crossbar& crossbar, bool audio)
{
    for (LONG i = 0; i < static_cast<LONG>(crossbar.outputs.size()); ++i) {
        if (is_audio(crossbar.outputs[i].type) == audio)
            return i;
    }
    return -1;
}

}

CardSignal::CardSignal(const CaptureCard& card)
    : m_card(card)
    , m_channel(card.channel_min)
{
    if (m_card.crossbar) {
        const Crossbar& crossbar = *m_card.crossbar;
        for (const CrossbarPin& output : crossbar.outputs) {
            bool audio = is_audio(output.type);
            m_routes.push_back(first_input_of(crossbar, audio, audio ? PhysConn_Audio_Tuner : PhysConn_Video_Tuner));
        }
        if (m_card.private_crossbar)
            start_on_external_input();
    }
}

void CardSignal::start_on_external_input()
{
    const Crossbar& crossbar = *m_card.crossbar;
    LONG video_out = first_output_of(crossbar, false);
    LONG audio_out = first_output_of(crossbar, true);
    for (LONG i = 0; i < static_cast<LONG>(crossbar.inputs.size()); ++i) {
        LONG type = crossbar.inputs[i].type;
        if (is_audio(type) || type == PhysConn_Video_Tuner)
            continue;
        if (video_out >= 0)
            m_routes[video_out] = i;
        LONG related = crossbar.inputs[i].related;
        if (audio_out >= 0 && related >= 0 && related < static_cast<LONG>(crossbar.inputs.size()) && is_audio(crossbar.inputs[related].type))
            m_routes[audio_out] = related;
        return;
    }
}

LONG CardSignal::channel() const
{
    std::lock_guard guard(m_lock);
    return m_channel;
}

void CardSignal::set_channel(LONG channel)
{
    std::lock_guard guard(m_lock);
    m_channel = channel;
}

LONG CardSignal::route(LONG output) const
{
    std::lock_guard guard(m_lock);
    return output >= 0 && output < static_cast<LONG>(m_routes.size()) ? m_routes[output] : -1;
}

void CardSignal::set_route(LONG output, LONG input)
{
    std::lock_guard guard(m_lock);
    if (output >= 0 && output < static_cast<LONG>(m_routes.size()))
        m_routes[output] = input;
}

PictureSource CardSignal::tuner_source() const
{
    if (m_card.tuner == TunerInterface::None) {
        if (m_card.bt848) {
            // The tuner chip is programmed over I2C, not through a tuner filter.
            std::optional<LONG> tuned = bt848_tuned_channel();
            return tuned && m_card.has_station(*tuned) ? PictureSource::channel(*tuned) : PictureSource::noise();
        }
        // A driver that tunes only through its own page still has a tuner.
        bool page_tuned = std::any_of(m_card.filter_pages.begin(), m_card.filter_pages.end(),
            [](const CLSID& page) { return IsEqualGUID(page, CLSID_SimTunerPage) != FALSE; });
        if (!page_tuned)
            return PictureSource::noise();
    }
    if (!m_card.has_station(m_channel))
        return PictureSource::noise();
    return PictureSource::channel(m_channel);
}

PictureSource CardSignal::video_input_source(LONG input) const
{
    const Crossbar& crossbar = *m_card.crossbar;
    if (input < 0 || input >= static_cast<LONG>(crossbar.inputs.size()) || is_audio(crossbar.inputs[input].type))
        return PictureSource::noise();
    if (crossbar.inputs[input].type == PhysConn_Video_Tuner)
        return tuner_source();
    // External video inputs are L1, L2, ... in input order.
    int number = 0;
    for (LONG i = 0; i <= input; ++i) {
        LONG type = crossbar.inputs[i].type;
        if (!is_audio(type) && type != PhysConn_Video_Tuner)
            ++number;
    }
    return PictureSource::input(number);
}

PictureSource CardSignal::picture_locked() const
{
    if (!m_card.crossbar)
        return m_card.tuner == TunerInterface::None ? PictureSource::input(1) : tuner_source();
    LONG output = first_output_of(*m_card.crossbar, false);
    if (output < 0)
        return PictureSource::noise();
    return video_input_source(m_routes[output]);
}

PictureSource CardSignal::picture() const
{
    std::lock_guard guard(m_lock);
    return picture_locked();
}

PictureSource CardSignal::sound() const
{
    std::lock_guard guard(m_lock);
    if (!m_card.crossbar)
        return picture_locked();
    const Crossbar& crossbar = *m_card.crossbar;
    LONG output = first_output_of(crossbar, true);
    if (output < 0)
        return picture_locked();
    LONG input = m_routes[output];
    if (input < 0 || input >= static_cast<LONG>(crossbar.inputs.size()))
        return PictureSource::noise();
    switch (crossbar.inputs[input].type) {
    case PhysConn_Audio_Tuner:
        return tuner_source();
    case PhysConn_Audio_Line: {
        // The line input carries the sound of the external video source in use (L1 otherwise).
        PictureSource picture = picture_locked();
        return picture.kind == SourceKind::Input ? picture : PictureSource::input(1);
    }
    default:
        return PictureSource::noise();
    }
}

}
