// The virtual cards' property pages: tuner, video input (crossbar) and stream format.

#include "CardAccess.h"

#include <sim/PropertyPages.h>

#include <base/Text.h>
#include <com/ClassRegistry.h>
#include <com/ComPtr.h>
#include <dshow/BasePropertyPage.h>
#include <dshow/CaptureInterfaces.h>
#include <dshow/MediaFormats.h>
#include <dshow/MediaType.h>

#include <cstdlib>
#include <mutex>

namespace sim::detail {

namespace {

constexpr const char* kTunerTemplate = "SIMTUNERPAGE";
constexpr const char* kVideoInputTemplate = "SIMVIDEOINPUTPAGE";
constexpr const char* kStreamFormatTemplate = "SIMSTREAMFORMATPAGE";

// A page of one labelled drop-down list.
user::DialogTemplate list_page(const char* label, int list, int list_width)
{
    user::DialogTemplate page;
    page.style = WS_CHILD | DS_CONTROL;
    page.cx = 200;
    page.cy = 50;
    page.controls = {
        { "STATIC", label, -1, SS_LEFT, 0, 10, 12, 50, 8 },
        { "COMBOBOX", "", list, CBS_DROPDOWNLIST | WS_TABSTOP, 0, 65, 10, list_width, 80 },
    };
    return page;
}

void register_templates()
{
    static std::once_flag once;
    std::call_once(once, [] {
        user::DialogTemplate tuner;
        tuner.style = WS_CHILD | DS_CONTROL;
        tuner.cx = 200;
        tuner.cy = 70;
        tuner.controls = {
            { "STATIC", "Input:", -1, SS_LEFT, 0, 10, 12, 50, 8 },
            { "COMBOBOX", "", kTunerPageInputType, CBS_DROPDOWNLIST | WS_TABSTOP, 0, 65, 10, 70, 60 },
            { "STATIC", "Channel:", -1, SS_LEFT, 0, 10, 32, 50, 8 },
            { "EDIT", "", kTunerPageChannel, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 0, 65, 30, 40, 14 },
            { "BUTTON", "Set", kTunerPageSet, BS_PUSHBUTTON | WS_TABSTOP, 0, 115, 30, 40, 14 },
        };
        user::register_dialog(kTunerTemplate, tuner);

        user::register_dialog(kVideoInputTemplate, list_page("Video input:", kVideoInputPageInputs, 100));
        user::register_dialog(kStreamFormatTemplate, list_page("Format:", kStreamFormatPageFormats, 120));
    });
}

int combo_selection(HWND dialog, int id)
{
    return static_cast<int>(SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0));
}

bool is_selection_change(int code)
{
    return code == CBN_SELCHANGE || code == CBN_SELENDOK;
}

// A page whose choice is one drop-down list: it keeps the user's pick for on_apply.
class ListPage : public dshow::BasePropertyPage {
protected:
    ListPage(std::string title, std::string template_name, int list)
        : BasePropertyPage(std::move(title), std::move(template_name))
        , m_list(list)
    {
    }

    INT_PTR on_command(int id, int code, HWND) override
    {
        if (id == m_list && is_selection_change(code)) {
            m_selected = combo_selection(dialog(), m_list);
            set_dirty();
            return TRUE;
        }
        return FALSE;
    }
    // The user's pick as an index below `count`, or -1 where there is none.
    int selected(std::size_t count) const
    {
        return m_selected >= 0 && m_selected < static_cast<int>(count) ? m_selected : -1;
    }

    int m_selected { -1 }; // the user's choice, -1 before any

private:
    int m_list;
};

// "TVTuner Property Page": input type, channel and a button that tunes at once. Acts through the
// tuner interface where the object has one, else on the card directly.
class TunerPage final : public dshow::BasePropertyPage {
public:
    TunerPage()
        : BasePropertyPage("TVTuner Property Page", kTunerTemplate)
    {
    }

protected:
    HRESULT on_connect(IUnknown* object) override
    {
        CComPtr<ISimCard> card;
        object->QueryInterface(IID_ISimCard, reinterpret_cast<void**>(&card));
        if (FAILED(object->QueryInterface(IID_IAMTVTuner, reinterpret_cast<void**>(&m_tuner))))
            object->QueryInterface(IID_IAMTVTunerAlt, reinterpret_cast<void**>(&m_tuner));
        if (!m_tuner && !card)
            return E_NOINTERFACE;
        m_card = card;
        if (m_card) {
            const sim::TunerPage& style = m_card->card_signal().card().tuner_page;
            set_title(style.title);
            m_button = style.button;
            m_edit = style.edit;
        }
        return S_OK;
    }
    void on_disconnect() override
    {
        m_tuner = nullptr;
        m_card = nullptr;
    }
    void on_activate() override
    {
        // The template's controls are fixed; the button's text and the edit follow the card.
        HWND d = dialog();
        if (!m_edit)
            DestroyWindow(GetDlgItem(d, kTunerPageChannel));
        SetDlgItemTextA(d, kTunerPageSet, m_button.c_str());
        SendDlgItemMessageA(d, kTunerPageInputType, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Antenna"));
        SendDlgItemMessageA(d, kTunerPageInputType, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Cable"));
        TunerInputType type = TunerInputAntenna;
        if (m_tuner)
            m_tuner->get_InputType(0, &type);
        if (!m_changed_type)
            m_cable = type == TunerInputCable;
        SendDlgItemMessageA(d, kTunerPageInputType, CB_SETCURSEL, m_cable ? 1 : 0, 0);
        if (!m_changed_channel)
            m_channel = std::to_string(channel());
        SetDlgItemTextA(d, kTunerPageChannel, m_channel.c_str());
    }
    INT_PTR on_command(int id, int code, HWND) override
    {
        // The values are kept, so that the page applies them after its window is gone.
        if (id == kTunerPageChannel && code == EN_CHANGE) {
            m_channel = text(kTunerPageChannel);
            m_changed_channel = true;
            set_dirty();
            return TRUE;
        }
        if (id == kTunerPageInputType && is_selection_change(code)) {
            m_cable = combo_selection(dialog(), kTunerPageInputType) == 1;
            m_changed_type = true;
            set_dirty();
            return TRUE;
        }
        if (id == kTunerPageSet && code == BN_CLICKED) {
            tune(text(kTunerPageChannel));
            return TRUE;
        }
        return FALSE;
    }
    HRESULT on_apply() override
    {
        HRESULT hr = m_changed_channel ? tune(m_channel) : S_OK;
        if (m_tuner && m_changed_type) {
            TunerInputType type = m_cable ? TunerInputCable : TunerInputAntenna;
            LONG inputs = 0;
            m_tuner->get_NumInputConnections(&inputs);
            for (LONG i = 0; i < inputs; ++i)
                m_tuner->put_InputType(i, type);
        }
        m_changed_channel = m_changed_type = false;
        return hr;
    }

private:
    LONG channel() const
    {
        LONG value = 0, video = 0, audio = 0;
        if (m_tuner)
            m_tuner->get_Channel(&value, &video, &audio);
        else
            value = m_card->card_signal().channel();
        return value;
    }
    std::string text(int id) const
    {
        char buffer[32] = {};
        GetDlgItemTextA(dialog(), id, buffer, sizeof buffer);
        return buffer;
    }
    // Tunes to a channel typed as text.
    HRESULT tune(const std::string& typed)
    {
        char* end = nullptr;
        long value = std::strtol(typed.c_str(), &end, 10);
        if (typed.empty() || *end || value < -100000 || value > 100000)
            return E_INVALIDARG;
        if (m_tuner)
            return m_tuner->put_Channel(static_cast<LONG>(value), AMTUNER_SUBCHAN_DEFAULT, AMTUNER_SUBCHAN_DEFAULT);
        CardSignal& signal = m_card->card_signal();
        if (value < signal.card().channel_min || value > signal.card().channel_max)
            return E_INVALIDARG;
        signal.set_channel(static_cast<LONG>(value));
        return S_OK;
    }

    CComPtr<IAMTVTuner> m_tuner;
    CComPtr<ISimCard> m_card;
    std::string m_channel;
    bool m_changed_channel { false };
    bool m_cable { false };
    bool m_changed_type { false };
    std::string m_button = "Set";
    bool m_edit = true;
};

// "Video Input" (on a capture filter) or "Crossbar": the video inputs of the crossbar.
class VideoInputPage final : public ListPage {
public:
    VideoInputPage()
        : ListPage("Video Input", kVideoInputTemplate, kVideoInputPageInputs)
    {
    }

protected:
    HRESULT on_connect(IUnknown* object) override
    {
        if (SUCCEEDED(object->QueryInterface(IID_IAMCrossbar, reinterpret_cast<void**>(&m_crossbar)))) {
            set_title("Crossbar");
        } else {
            CComPtr<ISimCard> card;
            if (FAILED(object->QueryInterface(IID_ISimCard, reinterpret_cast<void**>(&card))))
                return E_NOINTERFACE;
            m_crossbar.Attach(card->card_crossbar());
            if (!m_crossbar)
                return E_NOINTERFACE;
            set_title("Video Input");
        }
        return S_OK;
    }
    void on_disconnect() override
    {
        m_crossbar = nullptr;
        m_inputs.clear();
        m_selected = -1;
    }
    void on_activate() override
    {
        HWND d = dialog();
        m_inputs.clear();
        m_video_out = m_audio_out = -1;
        LONG outputs = 0, inputs = 0;
        if (FAILED(m_crossbar->get_PinCounts(&outputs, &inputs)))
            return;
        for (LONG i = 0; i < outputs; ++i) {
            LONG related = 0, type = 0;
            m_crossbar->get_CrossbarPinInfo(FALSE, i, &related, &type);
            if (type == PhysConn_Video_VideoDecoder && m_video_out < 0)
                m_video_out = i;
            if (type == PhysConn_Audio_AudioDecoder && m_audio_out < 0)
                m_audio_out = i;
        }
        LONG routed = -1;
        if (m_video_out >= 0)
            m_crossbar->get_IsRoutedTo(m_video_out, &routed);
        for (LONG i = 0; i < inputs; ++i) {
            LONG related = 0, type = 0;
            m_crossbar->get_CrossbarPinInfo(TRUE, i, &related, &type);
            if (type >= PhysConn_Audio_Tuner)
                continue;
            std::string name = input_name(type, i);
            auto index = SendDlgItemMessageA(d, kVideoInputPageInputs, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
            if (m_selected < 0 ? i == routed : static_cast<int>(index) == m_selected)
                SendDlgItemMessageA(d, kVideoInputPageInputs, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
            m_inputs.push_back({ i, related });
        }
    }
    HRESULT on_apply() override
    {
        int index = selected(m_inputs.size());
        if (index < 0 || m_video_out < 0)
            return E_FAIL;
        const Input& input = m_inputs[static_cast<std::size_t>(index)];
        HRESULT hr = m_crossbar->Route(m_video_out, input.index);
        if (SUCCEEDED(hr) && m_audio_out >= 0 && input.related >= 0)
            m_crossbar->Route(m_audio_out, input.related);
        return hr;
    }

private:
    struct Input {
        LONG index;
        LONG related;
    };
    static std::string input_name(LONG type, LONG index)
    {
        switch (type) {
        case PhysConn_Video_Tuner: return "TV";
        case PhysConn_Video_Composite: return "Composite";
        case PhysConn_Video_SVideo: return "S-Video";
        }
        return "Input " + std::to_string(index);
    }

    CComPtr<IAMCrossbar> m_crossbar;
    std::vector<Input> m_inputs;
    LONG m_video_out { -1 };
    LONG m_audio_out { -1 };
};

// "Stream Format": the formats the capture pin offers.
class StreamFormatPage final : public ListPage {
public:
    StreamFormatPage()
        : ListPage("Stream Format", kStreamFormatTemplate, kStreamFormatPageFormats)
    {
    }

protected:
    HRESULT on_connect(IUnknown* object) override
    {
        return object->QueryInterface(IID_IAMStreamConfig, reinterpret_cast<void**>(&m_config));
    }
    void on_disconnect() override
    {
        m_config = nullptr;
        m_formats.clear();
        m_selected = -1;
    }
    void on_activate() override
    {
        HWND d = dialog();
        m_formats.clear();
        int count = 0, bytes = 0;
        if (FAILED(m_config->GetNumberOfCapabilities(&count, &bytes)))
            return;
        AM_MEDIA_TYPE* current = nullptr;
        m_config->GetFormat(&current);
        std::vector<BYTE> caps(static_cast<std::size_t>(std::max(bytes, 1)));
        for (int i = 0; i < count; ++i) {
            AM_MEDIA_TYPE* type = nullptr;
            if (FAILED(m_config->GetStreamCaps(i, &type, caps.data())) || !type)
                continue;
            dshow::MediaType format(*type);
            DeleteMediaType(type);
            SendDlgItemMessageA(d, kStreamFormatPageFormats, CB_ADDSTRING, 0,
                reinterpret_cast<LPARAM>(describe(format.get()).c_str()));
            bool chosen = m_selected < 0 ? current && dshow::equal(format.get(), *current)
                                         : static_cast<int>(m_formats.size()) == m_selected;
            if (chosen)
                SendDlgItemMessageA(d, kStreamFormatPageFormats, CB_SETCURSEL, m_formats.size(), 0);
            m_formats.push_back(std::move(format));
        }
        DeleteMediaType(current);
    }
    HRESULT on_apply() override
    {
        int index = selected(m_formats.size());
        if (index < 0)
            return E_FAIL;
        return m_config->SetFormat(&m_formats[static_cast<std::size_t>(index)].get());
    }

private:
    // "720 x 576 YUY2"
    static std::string describe(const AM_MEDIA_TYPE& type)
    {
        std::string name = "other";
        if (IsEqualGUID(type.subtype, MEDIASUBTYPE_YUY2))
            name = "YUY2";
        else if (IsEqualGUID(type.subtype, MEDIASUBTYPE_RGB24))
            name = "RGB24";
        if (IsEqualGUID(type.formattype, FORMAT_VideoInfo) && type.pbFormat
            && type.cbFormat >= sizeof(VIDEOINFOHEADER)) {
            const auto& info = *reinterpret_cast<const VIDEOINFOHEADER*>(type.pbFormat);
            return std::to_string(info.bmiHeader.biWidth) + " x " + std::to_string(std::abs(info.bmiHeader.biHeight))
                + " " + name;
        }
        return name;
    }

    CComPtr<IAMStreamConfig> m_config;
    std::vector<dshow::MediaType> m_formats;
};

template<typename T>
com::ClassFactoryFunction page_factory()
{
    return [](IUnknown* outer, REFIID iid, void** out) { return com::create_instance<T>(outer, iid, out); };
}

}

}

namespace sim {

void register_property_pages()
{
    detail::register_templates();
    com::register_class(CLSID_SimTunerPage, detail::page_factory<detail::TunerPage>());
    com::register_class(CLSID_SimVideoInputPage, detail::page_factory<detail::VideoInputPage>());
    com::register_class(CLSID_SimStreamFormatPage, detail::page_factory<detail::StreamFormatPage>());
}

}
