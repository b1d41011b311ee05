#pragma once

// The filters in front of a card's capture filter: the TV tuner (IAMTVTuner, under the
// identifiers the card answers) and the crossbar (IAMCrossbar). Both act on the card's shared
// CardSignal, so tuning and routing change what the capture pins deliver.

#include "AnalogPins.h"
#include "CardAccess.h"
#include "CardSignal.h"

#include <dshow/BaseFilter.h>
#include <dshow/PropertyPages.h>

#include <memory>
#include <mutex>

namespace sim::detail {

class TunerFilter final : public dshow::BaseFilter, public IAMTVTuner, public ISpecifyPropertyPages, public ISimCard {
public:
    explicit TunerFilter(std::shared_ptr<CardSignal> signal);

    DSHOW_FORWARD_UNKNOWN(dshow::BaseFilter)

    // IAMTuner
    STDMETHODIMP put_Channel(LONG channel, LONG video_subchannel, LONG audio_subchannel) override;
    STDMETHODIMP get_Channel(LONG* channel, LONG* video_subchannel, LONG* audio_subchannel) override;
    STDMETHODIMP ChannelMinMax(LONG* min, LONG* max) override;
    STDMETHODIMP put_CountryCode(LONG code) override;
    STDMETHODIMP get_CountryCode(LONG* code) override;
    STDMETHODIMP put_TuningSpace(LONG space) override;
    STDMETHODIMP get_TuningSpace(LONG* space) override;
    STDMETHODIMP Logon(HANDLE user) override;
    STDMETHODIMP Logout() override;
    STDMETHODIMP SignalPresent(LONG* strength) override;
    STDMETHODIMP put_Mode(AMTunerModeType mode) override;
    STDMETHODIMP get_Mode(AMTunerModeType* mode) override;
    STDMETHODIMP GetAvailableModes(LONG* modes) override;
    STDMETHODIMP RegisterNotificationCallBack(IAMTunerNotification* notify, LONG events) override;
    STDMETHODIMP UnRegisterNotificationCallBack(IAMTunerNotification* notify) override;
    // IAMTVTuner
    STDMETHODIMP get_AvailableTVFormats(LONG* standards) override;
    STDMETHODIMP get_TVFormat(LONG* standard) override;
    STDMETHODIMP AutoTune(LONG channel, LONG* found_signal) override;
    STDMETHODIMP StoreAutoTune() override;
    STDMETHODIMP get_NumInputConnections(LONG* count) override;
    STDMETHODIMP put_InputType(LONG index, TunerInputType type) override;
    STDMETHODIMP get_InputType(LONG index, TunerInputType* type) override;
    STDMETHODIMP put_ConnectInput(LONG index) override;
    STDMETHODIMP get_ConnectInput(LONG* index) override;
    STDMETHODIMP get_VideoFrequency(LONG* hz) override;
    STDMETHODIMP get_AudioFrequency(LONG* hz) override;
    // ISpecifyPropertyPages
    STDMETHODIMP GetPages(CAUUID* pages) override;
    // ISimCard
    CardSignal& card_signal() override { return *m_signal; }
    IAMCrossbar* card_crossbar() override { return nullptr; }

    AnalogOutput* video_out() const { return m_video; }
    AnalogOutput* audio_out() const { return m_audio; }

private:
    void* find_interface(REFIID iid) override;

    const std::shared_ptr<CardSignal> m_signal;
    const CaptureCard& m_card;
    AnalogOutput* m_video;
    AnalogOutput* m_audio;
    std::mutex m_lock;
    LONG m_country;
    LONG m_tuning_space { 0 };
    AMTunerModeType m_mode { AMTUNER_MODE_TV };
    std::vector<TunerInputType> m_input_types;
    LONG m_connected_input { 0 };
};

class CrossbarFilter final : public dshow::BaseFilter, public IAMCrossbar, public ISpecifyPropertyPages, public ISimCard {
public:
    explicit CrossbarFilter(std::shared_ptr<CardSignal> signal);

    DSHOW_FORWARD_UNKNOWN(dshow::BaseFilter)

    // IAMCrossbar
    STDMETHODIMP get_PinCounts(LONG* outputs, LONG* inputs) override;
    STDMETHODIMP CanRoute(LONG out, LONG in) override;
    STDMETHODIMP Route(LONG out, LONG in) override;
    STDMETHODIMP get_IsRoutedTo(LONG out, LONG* in) override;
    STDMETHODIMP get_CrossbarPinInfo(BOOL is_input, LONG index, LONG* related, LONG* physical_type) override;
    // ISpecifyPropertyPages
    STDMETHODIMP GetPages(CAUUID* pages) override;
    // ISimCard
    CardSignal& card_signal() override { return *m_signal; }
    IAMCrossbar* card_crossbar() override
    {
        AddRef();
        return this;
    }

    // The pins of the first tuner inputs and the first decoder outputs, or nullptr.
    AnalogInput* tuner_video_in() const { return m_tuner_video; }
    AnalogInput* tuner_audio_in() const { return m_tuner_audio; }
    AnalogOutput* video_out() const { return m_video_out; }
    AnalogOutput* audio_out() const { return m_audio_out; }

private:
    void* find_interface(REFIID iid) override;
    const Crossbar& layout() const { return *m_signal->card().crossbar; }

    const std::shared_ptr<CardSignal> m_signal;
    AnalogInput* m_tuner_video { nullptr };
    AnalogInput* m_tuner_audio { nullptr };
    AnalogOutput* m_video_out { nullptr };
    AnalogOutput* m_audio_out { nullptr };
};

}
