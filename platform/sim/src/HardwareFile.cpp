#include <sim/HardwareFile.h>

#include <base/Home.h>
#include <base/Text.h>

#include <nlohmann/json.hpp>

#include <fstream>
#include <set>
#include <sstream>
#include <stdexcept>

namespace sim {

namespace {

using nlohmann::json;

struct Invalid : std::runtime_error {
    using std::runtime_error::runtime_error;
};

void check_keys(const json& object, const std::set<std::string>& known, const std::string& where)
{
    if (!object.is_object())
        throw Invalid(where + " must be an object");
    for (const auto& item : object.items()) {
        if (!known.count(item.key()))
            throw Invalid(where + ": unknown key \"" + item.key() + "\"");
    }
}

template<typename T>
void read(const json& object, const char* key, T& value)
{
    if (!object.contains(key))
        return;
    const json& item = object.at(key);
    bool fits = false;
    if constexpr (std::is_same_v<T, bool>)
        fits = item.is_boolean();
    else if constexpr (std::is_integral_v<T>)
        fits = item.is_number_integer();
    if (!fits)
        throw Invalid(std::string("\"") + key + "\" has the wrong type");
    value = item.get<T>();
}

CrossbarPin read_pin(const json& pin)
{
    check_keys(pin, { "type", "related" }, "crossbar pin");
    CrossbarPin result;
    read(pin, "type", result.type);
    read(pin, "related", result.related);
    return result;
}

Crossbar read_crossbar(const json& item)
{
    if (item.is_string()) {
        std::string kind = item.get<std::string>();
        if (kind == "standard")
            return Crossbar {};
        if (kind == "no_audio_output")
            return Crossbar::without_audio_output();
        throw Invalid("unknown crossbar \"" + kind + "\"");
    }
    check_keys(item, { "inputs", "outputs", "route", "pin_counts_fail" }, "crossbar");
    Crossbar crossbar;
    for (const char* side : { "inputs", "outputs" }) {
        if (!item.contains(side))
            continue;
        if (!item.at(side).is_array())
            throw Invalid(std::string("crossbar \"") + side + "\" must be an array");
        auto& pins = std::string(side) == "inputs" ? crossbar.inputs : crossbar.outputs;
        pins.clear();
        for (const json& pin : item.at(side))
            pins.push_back(read_pin(pin));
    }
    if (item.contains("route")) {
        std::string route = item.at("route").is_string() ? item.at("route").get<std::string>() : "";
        if (route == "accept")
            crossbar.route = RoutePolicy::Accept;
        else if (route == "refuse")
            crossbar.route = RoutePolicy::RefuseAll;
        else if (route == "refuse_audio")
            crossbar.route = RoutePolicy::RefuseAudio;
        else
            throw Invalid("unknown crossbar route policy");
    }
    read(item, "pin_counts_fail", crossbar.pin_counts_fail);
    return crossbar;
}

// A page list: CLSIDs in braces, or the names of the cards' own pages.
void read_pages(const json& object, const char* key, std::vector<CLSID>& pages)
{
    if (!object.contains(key))
        return;
    if (!object.at(key).is_array())
        throw Invalid(std::string("\"") + key + "\" must be an array");
    pages.clear();
    for (const json& text : object.at(key)) {
        CLSID clsid {};
        std::string name = text.is_string() ? text.get<std::string>() : std::string();
        if (name == "tuner")
            clsid = CLSID_SimTunerPage;
        else if (name == "video_input")
            clsid = CLSID_SimVideoInputPage;
        else if (name == "stream_format")
            clsid = CLSID_SimStreamFormatPage;
        else if (!text.is_string() || FAILED(CLSIDFromString(base::to_utf16(name).c_str(), &clsid)))
            throw Invalid(std::string("\"") + key + "\" holds a malformed CLSID");
        pages.push_back(clsid);
    }
}

TunerPage read_tuner_page(const json& item)
{
    if (!item.is_object())
        throw Invalid("\"tuner_page\" must be an object");
    check_keys(item, { "title", "button", "edit" }, "tuner page");
    TunerPage page;
    for (auto [key, field] : { std::pair { "title", &page.title }, std::pair { "button", &page.button } }) {
        if (!item.contains(key))
            continue;
        if (!item.at(key).is_string())
            throw Invalid(std::string("\"") + key + "\" must be text");
        *field = item.at(key).get<std::string>();
    }
    read(item, "edit", page.edit);
    return page;
}

CaptureCard read_card(const json& item)
{
    check_keys(item,
        { "name", "name_readable", "tuner", "channels", "stations", "country_code", "reported_country_code", "tuner_inputs",
            "crossbar", "preview_pin", "audio_pin", "width", "height", "fps", "rgb", "audio_rate", "audio_channels",
            "stream_config", "stream_control", "dropped_frames", "video_compression", "drop_every", "filter_pages",
            "stream_pages", "tuner_pages", "crossbar_pages", "filter_specifies_pages", "tuner_page", "fail_first_binds", "always_fail_bind", "busy_while_open",
            "run_fails", "stop_fails" },
        "capture card");
    CaptureCard card;
    if (item.contains("name")) {
        if (!item.at("name").is_string())
            throw Invalid("\"name\" must be text");
        card.name = base::to_utf16(item.at("name").get<std::string>());
    }
    read(item, "name_readable", card.name_readable);
    if (item.contains("tuner")) {
        std::string tuner = item.at("tuner").is_string() ? item.at("tuner").get<std::string>() : "";
        if (tuner == "standard")
            card.tuner = TunerInterface::Standard;
        else if (tuner == "alternative")
            card.tuner = TunerInterface::Alternative;
        else if (tuner == "both")
            card.tuner = TunerInterface::Both;
        else if (tuner == "none")
            card.tuner = TunerInterface::None;
        else
            throw Invalid("unknown tuner kind");
    }
    if (item.contains("channels")) {
        const json& range = item.at("channels");
        if (!range.is_array() || range.size() != 2 || !range[0].is_number_integer() || !range[1].is_number_integer()
            || range[0].get<LONG>() > range[1].get<LONG>())
            throw Invalid("\"channels\" must be [first, last]");
        card.channel_min = range[0].get<LONG>();
        card.channel_max = range[1].get<LONG>();
    }
    if (item.contains("stations")) {
        if (!item.at("stations").is_array())
            throw Invalid("\"stations\" must be an array");
        for (const json& channel : item.at("stations")) {
            if (!channel.is_number_integer())
                throw Invalid("\"stations\" must hold channel numbers");
            card.stations.push_back(channel.get<LONG>());
        }
    }
    read(item, "country_code", card.country_code);
    if (item.contains("reported_country_code")) {
        LONG code = 0;
        read(item, "reported_country_code", code);
        card.reported_country_code = code;
    }
    read(item, "tuner_inputs", card.tuner_inputs);
    if (item.contains("crossbar")) {
        const json& crossbar = item.at("crossbar");
        if (crossbar.is_string() && crossbar.get<std::string>() == "none")
            card.crossbar.reset();
        else
            card.crossbar = read_crossbar(crossbar);
    }
    read(item, "preview_pin", card.preview_pin);
    read(item, "audio_pin", card.audio_pin);
    read(item, "width", card.width);
    read(item, "height", card.height);
    read(item, "fps", card.frames_per_second);
    read(item, "rgb", card.rgb);
    read(item, "audio_rate", card.audio_rate);
    read(item, "audio_channels", card.audio_channels);
    read(item, "stream_config", card.stream_config);
    read(item, "stream_control", card.stream_control);
    read(item, "dropped_frames", card.dropped_frames);
    read(item, "video_compression", card.video_compression);
    read(item, "drop_every", card.drop_every);
    read_pages(item, "filter_pages", card.filter_pages);
    read_pages(item, "stream_pages", card.stream_pages);
    read_pages(item, "tuner_pages", card.tuner_pages);
    read_pages(item, "crossbar_pages", card.crossbar_pages);
    read(item, "filter_specifies_pages", card.filter_specifies_pages);
    if (item.contains("tuner_page"))
        card.tuner_page = read_tuner_page(item.at("tuner_page"));
    read(item, "fail_first_binds", card.fail_first_binds);
    read(item, "always_fail_bind", card.always_fail_bind);
    read(item, "busy_while_open", card.busy_while_open);
    read(item, "run_fails", card.run_fails);
    read(item, "stop_fails", card.stop_fails);
    if (card.width < 32 || card.width > 4096 || card.height < 24 || card.height > 4096)
        throw Invalid("picture size out of range");
    if (card.frames_per_second < 1 || card.frames_per_second > 50)
        throw Invalid("\"fps\" must be 1 to 50");
    if (card.audio_rate < 8000 || card.audio_rate > 48000 || card.audio_channels < 1 || card.audio_channels > 2)
        throw Invalid("sound format out of range");
    return card;
}

}

std::optional<std::vector<CaptureCard>> parse_hardware(std::string_view text, std::string* error)
{
    try {
        json document = json::parse(text);
        check_keys(document, { "capture_cards" }, "hardware description");
        std::vector<CaptureCard> cards;
        if (document.contains("capture_cards")) {
            if (!document.at("capture_cards").is_array())
                throw Invalid("\"capture_cards\" must be an array");
            for (const json& card : document.at("capture_cards"))
                cards.push_back(read_card(card));
        }
        return cards;
    } catch (const std::exception& e) {
        if (error)
            *error = e.what();
        return std::nullopt;
    }
}

std::optional<std::vector<CaptureCard>> load_hardware(const std::string& path, std::string* error)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        if (error)
            *error = "cannot open " + path;
        return std::nullopt;
    }
    std::stringstream text;
    text << file.rdbuf();
    return parse_hardware(text.str(), error);
}

std::string hardware_file_path() { return base::platform_home() + "/hardware.json"; }

}
