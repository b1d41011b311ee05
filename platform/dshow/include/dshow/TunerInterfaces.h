#pragma once

// The analog TV front end of a capture device: IAMTuner / IAMTVTuner (channel, country, mode,
// inputs) and IAMCrossbar (which physical input feeds which output, with PhysicalConnectorType),
// and the analog media types that connect them to the capture filter.
//
// IID_IAMTVTunerAlt is an older identifier of IAMTVTuner with the same method table; a tuner
// that answers it hands out the same IAMTVTuner. Channels are 32-bit (LONG); put_Channel takes
// AMTUNER_SUBCHAN_DEFAULT for both sub-channels when the caller has no preference.
//
// Crossbar pins are numbered per direction from 0; get_PinCounts reports the outputs first.
// get_CrossbarPinInfo gives a pin's physical type and its related pin (the audio pin that goes
// with a video pin and the other way round, -1 when none). Route(out, in) fails (E_FAIL, or
// E_INVALIDARG for an index out of range) when the pair cannot be routed; CanRoute then says S_FALSE.

#include <com/Unknown.h>

DEFINE_GUID(IID_IAMTunerNotification, 0x211A8760, 0x03AC, 0x11D1, 0x8D, 0x13, 0x00, 0xAA, 0x00, 0xBD, 0x83, 0x39);
DEFINE_GUID(IID_IAMTuner, 0x211A8761, 0x03AC, 0x11D1, 0x8D, 0x13, 0x00, 0xAA, 0x00, 0xBD, 0x83, 0x39);
DEFINE_GUID(IID_IAMTVTuner, 0x211A8766, 0x03AC, 0x11D1, 0x8D, 0x13, 0x00, 0xAA, 0x00, 0xBD, 0x83, 0x39);
DEFINE_GUID(IID_IAMTVTunerAlt, 0xC6E133A0, 0x30AC, 0x11D0, 0xA1, 0x8C, 0x00, 0xA0, 0xC9, 0x11, 0x89, 0x56);
DEFINE_GUID(IID_IAMCrossbar, 0xC6E13380, 0x30AC, 0x11D0, 0xA1, 0x8C, 0x00, 0xA0, 0xC9, 0x11, 0x89, 0x56);

// The major types of the analog connections between tuner, crossbar and capture filter.
DEFINE_GUID(MEDIATYPE_AnalogVideo, 0x0482DDE1, 0x7817, 0x11CF, 0x8A, 0x03, 0x00, 0xAA, 0x00, 0x6E, 0xCB, 0x65);
DEFINE_GUID(MEDIATYPE_AnalogAudio, 0x0482DEE1, 0x7817, 0x11CF, 0x8A, 0x03, 0x00, 0xAA, 0x00, 0x6E, 0xCB, 0x65);

enum AMTunerModeType : LONG {
    AMTUNER_MODE_DEFAULT = 0,
    AMTUNER_MODE_TV = 0x1,
    AMTUNER_MODE_FM_RADIO = 0x2,
    AMTUNER_MODE_AM_RADIO = 0x4,
    AMTUNER_MODE_DSS = 0x8,
};

enum TunerInputType : LONG {
    TunerInputCable = 0,
    TunerInputAntenna = 1,
};

constexpr LONG AMTUNER_SUBCHAN_NO_TUNE = -2;
constexpr LONG AMTUNER_SUBCHAN_DEFAULT = -1;

// AutoTune / SignalPresent results.
constexpr LONG AMTUNER_HASNOSIGNALSTRENGTH = -1;
constexpr LONG AMTUNER_NOSIGNAL = 0;
constexpr LONG AMTUNER_SIGNALPRESENT = 1;

// AnalogVideoStandard values (get_TVFormat, get_AvailableTVFormats).
constexpr LONG AnalogVideo_None = 0;
constexpr LONG AnalogVideo_NTSC_M = 0x1;
constexpr LONG AnalogVideo_PAL_B = 0x10;
constexpr LONG AnalogVideo_PAL_D = 0x20;
constexpr LONG AnalogVideo_PAL_G = 0x40;
constexpr LONG AnalogVideo_PAL_H = 0x80;
constexpr LONG AnalogVideo_PAL_I = 0x100;
constexpr LONG AnalogVideo_SECAM_L = 0x40000;

enum PhysicalConnectorType : LONG {
    PhysConn_Video_Tuner = 1,
    PhysConn_Video_Composite = 2,
    PhysConn_Video_SVideo = 3,
    PhysConn_Video_RGB = 4,
    PhysConn_Video_YRYBY = 5,
    PhysConn_Video_SerialDigital = 6,
    PhysConn_Video_ParallelDigital = 7,
    PhysConn_Video_SCSI = 8,
    PhysConn_Video_AUX = 9,
    PhysConn_Video_1394 = 10,
    PhysConn_Video_USB = 11,
    PhysConn_Video_VideoDecoder = 12,
    PhysConn_Video_VideoEncoder = 13,
    PhysConn_Video_SCART = 14,
    PhysConn_Video_Black = 15,
    PhysConn_Audio_Tuner = 0x1000,
    PhysConn_Audio_Line = 0x1001,
    PhysConn_Audio_Mic = 0x1002,
    PhysConn_Audio_AESDigital = 0x1003,
    PhysConn_Audio_SPDIFDigital = 0x1004,
    PhysConn_Audio_SCSI = 0x1005,
    PhysConn_Audio_AUX = 0x1006,
    PhysConn_Audio_1394 = 0x1007,
    PhysConn_Audio_USB = 0x1008,
    PhysConn_Audio_AudioDecoder = 0x1009,
};

struct IAMTunerNotification : IUnknown {
    STDMETHOD(OnEvent)(LONG event) PURE;
};
COM_INTERFACE(IAMTunerNotification, IID_IAMTunerNotification, IUnknown);

struct IAMTuner : IUnknown {
    STDMETHOD(put_Channel)(LONG channel, LONG video_subchannel, LONG audio_subchannel) PURE;
    STDMETHOD(get_Channel)(LONG* channel, LONG* video_subchannel, LONG* audio_subchannel) PURE;
    STDMETHOD(ChannelMinMax)(LONG* min, LONG* max) PURE;
    STDMETHOD(put_CountryCode)(LONG code) PURE;
    STDMETHOD(get_CountryCode)(LONG* code) PURE;
    STDMETHOD(put_TuningSpace)(LONG space) PURE;
    STDMETHOD(get_TuningSpace)(LONG* space) PURE;
    STDMETHOD(Logon)(HANDLE user) PURE;
    STDMETHOD(Logout)() PURE;
    STDMETHOD(SignalPresent)(LONG* strength) PURE;
    STDMETHOD(put_Mode)(AMTunerModeType mode) PURE;
    STDMETHOD(get_Mode)(AMTunerModeType* mode) PURE;
    // The AMTUNER_MODE_* bits the tuner supports.
    STDMETHOD(GetAvailableModes)(LONG* modes) PURE;
    STDMETHOD(RegisterNotificationCallBack)(IAMTunerNotification* notify, LONG events) PURE;
    STDMETHOD(UnRegisterNotificationCallBack)(IAMTunerNotification* notify) PURE;
};
COM_INTERFACE(IAMTuner, IID_IAMTuner, IUnknown);

struct IAMTVTuner : IAMTuner {
    STDMETHOD(get_AvailableTVFormats)(LONG* standards) PURE;
    STDMETHOD(get_TVFormat)(LONG* standard) PURE;
    STDMETHOD(AutoTune)(LONG channel, LONG* found_signal) PURE;
    STDMETHOD(StoreAutoTune)() PURE;
    STDMETHOD(get_NumInputConnections)(LONG* count) PURE;
    STDMETHOD(put_InputType)(LONG index, TunerInputType type) PURE;
    STDMETHOD(get_InputType)(LONG index, TunerInputType* type) PURE;
    // Selects the tuner's input (antenna or cable connector) 0 .. get_NumInputConnections - 1.
    STDMETHOD(put_ConnectInput)(LONG index) PURE;
    STDMETHOD(get_ConnectInput)(LONG* index) PURE;
    // Frequencies in Hz of the tuned channel.
    STDMETHOD(get_VideoFrequency)(LONG* hz) PURE;
    STDMETHOD(get_AudioFrequency)(LONG* hz) PURE;
};
COM_INTERFACE(IAMTVTuner, IID_IAMTVTuner, IAMTuner);

struct IAMCrossbar : IUnknown {
    STDMETHOD(get_PinCounts)(LONG* outputs, LONG* inputs) PURE;
    // S_OK when output `out` can take input `in`, S_FALSE when not.
    STDMETHOD(CanRoute)(LONG out, LONG in) PURE;
    STDMETHOD(Route)(LONG out, LONG in) PURE;
    // The input routed to `out`, -1 when none.
    STDMETHOD(get_IsRoutedTo)(LONG out, LONG* in) PURE;
    STDMETHOD(get_CrossbarPinInfo)(BOOL is_input, LONG index, LONG* related, LONG* physical_type) PURE;
};
COM_INTERFACE(IAMCrossbar, IID_IAMCrossbar, IUnknown);
