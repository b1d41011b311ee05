#pragma once

// TSetTvAdvanced: the modal dialog "TV Tuner Advanced Properties" (dialog 1450), the read-outs of
// a capture device's TV tuner: device, country code, video and audio frequency, channel, input,
// tuning format and input type.
//
// With TV on and the engine's device chosen (or the default one), the dialog reads the engine's
// own tuner and opens nothing. Otherwise it opens the device in a graph of its own just long
// enough to find its tuner (retrying a busy device for up to seven seconds) and keeps only the
// tuner. A device without a tuner shows a note in place of the read-outs.
//
//     TSetTvAdvanced(page, "Sim TV Card").Execute();

#include "ContextHelpWin.h"

#include <owl/Dialog.h>
#include <owl/Static.h>

#include <com/ComPtr.h>
#include <dshow/TunerInterfaces.h>

// The name of an AnalogVideoStandard value ("PAL_B"), "unknown" for one not known.
const char* TvFormatName(LONG standard);

class TSetTvAdvanced : public OWL::TDialog, public ContextHelpWin {
public:
    // `deviceName` empty: the default device.
    TSetTvAdvanced(OWL::TWindow* parent, const char* deviceName, OWL::TModule* module = nullptr);

    // Shown in the device's read-out when no tuner was found.
    static constexpr const char* NoTuner =
        "Device may not have IAMTVTuner WDM interface.Orbivane will still try to tune, but it might not succeed.";

protected:
    void SetupWindow() override;

private:
    // The engine's tuner when it has the device open, else one found in a graph of its own.
    void ObtainTuner();
    void OpenTuner();
    void FillReadOuts();

    OWL::TStatic* m_device;
    OWL::TStatic* m_country;
    OWL::TStatic* m_videoFrequency;
    OWL::TStatic* m_audioFrequency;
    OWL::TStatic* m_input;
    OWL::TStatic* m_format;
    OWL::TStatic* m_channel;
    OWL::TStatic* m_inputType;
    CComPtr<IAMTVTuner> m_tuner;
    char m_deviceName[260] {};
};
