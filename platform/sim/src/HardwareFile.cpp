#include <sim/HardwareFile.h>

#include "JsonLines.h"

#include <base/Home.h>
#include <base/Text.h>

#include <nlohmann/json.hpp>

#include <fstream>
#include <limits>
#include <set>
#include <sstream>

namespace sim {

namespace {

using nlohmann::json;

// The bounds of a description: no value of a machine may exceed them.
constexpr std::size_t kMaxFileBytes = 1 << 20;
constexpr int kMaxDepth = 16;
constexpr std::size_t kMaxCards = 16;
constexpr std::size_t kMaxCrossbarPins = 32;
constexpr std::size_t kMaxPages = 16;
constexpr std::size_t kMaxText = 255;
// The tuner's frequency raster (7 MHz a channel) stays within a LONG up to here.
constexpr std::int64_t kMaxChannel = 300;

// A mistake in a description, with the path of the value it is about.
struct Invalid {
    std::string path;
    std::string reason;
};

std::string join(const std::string& path, const std::string& key) { return path.empty() ? key : path + "." + key; }
std::string at_index(const std::string& path, std::size_t index) { return path + "[" + std::to_string(index) + "]"; }

// One object of the description, read field by field into a card.
class Fields {
public:
    Fields(const json& object, std::string path, const std::set<std::string>& known)
        : m_object(object)
        , m_path(std::move(path))
    {
        if (!object.is_object())
            throw Invalid { m_path, "must be an object" };
        for (const auto& item : object.items())
            if (!known.count(item.key()))
                throw Invalid { join(m_path, item.key()), "is not a known key" };
    }

    bool has(const char* key) const { return m_object.contains(key); }
    const json& at(const char* key) const { return m_object.at(key); }
    std::string path(const char* key) const { return join(m_path, key); }

    // The whole number at `key`, checked against [min, max] before it is narrowed.
    template<typename T>
    void integer(const char* key, T& value, std::int64_t min, std::int64_t max) const
    {
        if (has(key))
            value = static_cast<T>(checked_integer(at(key), path(key), min, max));
    }
    void flag(const char* key, bool& value) const
    {
        if (!has(key))
            return;
        if (!at(key).is_boolean())
            throw Invalid { path(key), "must be true or false" };
        value = at(key).get<bool>();
    }
    void text(const char* key, std::string& value) const
    {
        if (has(key))
            value = checked_text(at(key), path(key));
    }
    // The array at `key` (null when absent), holding at most `most` items.
    const json* array(const char* key, std::size_t most) const
    {
        if (!has(key))
            return nullptr;
        const json& items = at(key);
        if (!items.is_array())
            throw Invalid { path(key), "must be an array" };
        if (items.size() > most)
            throw Invalid { path(key), "holds " + std::to_string(items.size()) + " items; at most " + std::to_string(most) + " are allowed" };
        return &items;
    }

    static std::int64_t checked_integer(const json& item, const std::string& path, std::int64_t min, std::int64_t max)
    {
        if (!item.is_number_integer())
            throw Invalid { path, "must be a whole number" };
        bool fits = item.is_number_unsigned()
            ? item.get<std::uint64_t>() <= static_cast<std::uint64_t>(max) && static_cast<std::int64_t>(item.get<std::uint64_t>()) >= min
            : item.get<std::int64_t>() >= min && item.get<std::int64_t>() <= max;
        if (!fits)
            throw Invalid { path, item.dump() + " is out of range (" + std::to_string(min) + " to " + std::to_string(max) + ")" };
        return item.get<std::int64_t>();
    }
    static std::string checked_text(const json& item, const std::string& path)
    {
        if (!item.is_string())
            throw Invalid { path, "must be text" };
        const std::string& text = item.get_ref<const std::string&>();
        if (text.size() > kMaxText)
            throw Invalid { path, "is longer than " + std::to_string(kMaxText) + " bytes" };
        return text;
    }
    // The text at `key` as one of `choices`.
    template<typename T>
    void choice(const char* key, T& value, std::initializer_list<std::pair<const char*, T>> choices) const
    {
        if (!has(key))
            return;
        std::string name = at(key).is_string() ? at(key).get<std::string>() : std::string();
        for (auto& [choice_name, choice_value] : choices)
            if (name == choice_name) {
                value = choice_value;
                return;
            }
        throw Invalid { path(key), "unknown value " + at(key).dump() };
    }

private:
    const json& m_object;
    std::string m_path;
};

std::vector<CrossbarPin> read_pins(const json& pins, const std::string& path)
{
    std::vector<CrossbarPin> result;
    for (std::size_t i = 0; i < pins.size(); ++i) {
        Fields pin(pins[i], at_index(path, i), { "type", "related" });
        CrossbarPin p;
        pin.integer("type", p.type, 0, 0xFFFF);
        // The related pin is one on the same side.
        pin.integer("related", p.related, -1, static_cast<std::int64_t>(pins.size()) - 1);
        result.push_back(p);
    }
    return result;
}

Crossbar read_crossbar(const json& item, const std::string& path)
{
    if (item.is_string()) {
        std::string kind = item.get<std::string>();
        if (kind == "standard")
            return Crossbar {};
        if (kind == "no_audio_output")
            return Crossbar::without_audio_output();
        throw Invalid { path, "unknown crossbar \"" + kind + "\"" };
    }
    Fields fields(item, path, { "inputs", "outputs", "route", "pin_counts_fail" });
    Crossbar crossbar;
    if (const json* pins = fields.array("inputs", kMaxCrossbarPins))
        crossbar.inputs = read_pins(*pins, fields.path("inputs"));
    if (const json* pins = fields.array("outputs", kMaxCrossbarPins))
        crossbar.outputs = read_pins(*pins, fields.path("outputs"));
    fields.choice("route", crossbar.route,
        { { "accept", RoutePolicy::Accept }, { "refuse", RoutePolicy::RefuseAll }, { "refuse_audio", RoutePolicy::RefuseAudio } });
    fields.flag("pin_counts_fail", crossbar.pin_counts_fail);
    return crossbar;
}

// A page list: CLSIDs in braces, or the names of the cards' own pages.
void read_pages(const Fields& fields, const char* key, std::vector<CLSID>& pages)
{
    const json* list = fields.array(key, kMaxPages);
    if (!list)
        return;
    pages.clear();
    for (std::size_t i = 0; i < list->size(); ++i) {
        std::string where = at_index(fields.path(key), i);
        std::string name = Fields::checked_text((*list)[i], where);
        CLSID clsid {};
        if (name == "tuner")
            clsid = CLSID_SimTunerPage;
        else if (name == "video_input")
            clsid = CLSID_SimVideoInputPage;
        else if (name == "stream_format")
            clsid = CLSID_SimStreamFormatPage;
        else if (FAILED(CLSIDFromString(base::to_utf16(name).c_str(), &clsid)))
            throw Invalid { where, "is not a CLSID in braces nor a page name" };
        pages.push_back(clsid);
    }
}

TunerPage read_tuner_page(const json& item, const std::string& path)
{
    Fields fields(item, path, { "title", "button", "edit" });
    TunerPage page;
    fields.text("title", page.title);
    fields.text("button", page.button);
    fields.flag("edit", page.edit);
    return page;
}

Bt848Card read_bt848(const json& item, const std::string& path)
{
    Fields fields(item, path, { "module", "tuner_address", "fine_offset" });
    Bt848Card bt848;
    fields.choice("module", bt848.module, { { "btvid_32.dll", "btvid_32.dll" }, { "bt848_32.dll", "bt848_32.dll" } });
    LONG address = bt848.tuner_address;
    fields.integer("tuner_address", address, 0, 0xCE);
    if (address != 0 && (address < 0xC2 || (address & 1)))
        throw Invalid { fields.path("tuner_address"), "must be 0 (none) or an even address from 194 to 206" };
    bt848.tuner_address = static_cast<BYTE>(address);
    fields.integer("fine_offset", bt848.fine_offset, -40, 40);
    return bt848;
}

CaptureCard read_card(const json& item, const std::string& path)
{
    Fields fields(item, path,
        { "name", "name_readable", "tuner", "channels", "stations", "country_code", "reported_country_code", "tuner_inputs",
            "crossbar", "private_crossbar", "mpeg2", "preview_pin", "audio_pin", "width", "height", "fps", "rgb", "audio_rate", "audio_channels",
            "stream_config", "stream_control", "dropped_frames", "video_compression", "drop_every", "filter_pages",
            "stream_pages", "tuner_pages", "crossbar_pages", "filter_specifies_pages", "tuner_page", "fail_first_binds",
            "always_fail_bind", "busy_while_open", "run_fails", "stop_fails", "bt848" });
    CaptureCard card;
    if (fields.has("name"))
        card.name = base::to_utf16(Fields::checked_text(fields.at("name"), fields.path("name")));
    fields.flag("name_readable", card.name_readable);
    fields.choice("tuner", card.tuner,
        { { "standard", TunerInterface::Standard }, { "alternative", TunerInterface::Alternative },
            { "both", TunerInterface::Both }, { "none", TunerInterface::None } });
    if (const json* range = fields.array("channels", 2)) {
        if (range->size() != 2)
            throw Invalid { fields.path("channels"), "must be [first, last]" };
        card.channel_min = static_cast<LONG>(Fields::checked_integer((*range)[0], at_index(fields.path("channels"), 0), 0, kMaxChannel));
        card.channel_max = static_cast<LONG>(Fields::checked_integer((*range)[1], at_index(fields.path("channels"), 1), 0, kMaxChannel));
        if (card.channel_min > card.channel_max)
            throw Invalid { fields.path("channels"), "must be [first, last] with first <= last" };
    }
    if (const json* stations = fields.array("stations", kMaxChannel + 1)) {
        for (std::size_t i = 0; i < stations->size(); ++i)
            card.stations.push_back(static_cast<LONG>(Fields::checked_integer((*stations)[i], at_index(fields.path("stations"), i), 0, kMaxChannel)));
    }
    fields.integer("country_code", card.country_code, 0, 9999);
    if (fields.has("reported_country_code")) {
        LONG code = 0;
        fields.integer("reported_country_code", code, 0, 9999);
        card.reported_country_code = code;
    }
    fields.integer("tuner_inputs", card.tuner_inputs, 0, 16);
    if (fields.has("crossbar")) {
        const json& crossbar = fields.at("crossbar");
        if (crossbar.is_string() && crossbar.get<std::string>() == "none")
            card.crossbar.reset();
        else
            card.crossbar = read_crossbar(crossbar, fields.path("crossbar"));
    }
    fields.flag("private_crossbar", card.private_crossbar);
    fields.flag("mpeg2", card.mpeg2);
    fields.flag("preview_pin", card.preview_pin);
    fields.flag("audio_pin", card.audio_pin);
    fields.integer("width", card.width, 32, 4096);
    fields.integer("height", card.height, 24, 4096);
    fields.integer("fps", card.frames_per_second, 1, 50);
    fields.flag("rgb", card.rgb);
    fields.integer("audio_rate", card.audio_rate, 8000, 48000);
    fields.integer("audio_channels", card.audio_channels, 1, 2);
    fields.flag("stream_config", card.stream_config);
    fields.flag("stream_control", card.stream_control);
    fields.flag("dropped_frames", card.dropped_frames);
    fields.flag("video_compression", card.video_compression);
    fields.integer("drop_every", card.drop_every, 0, 100000);
    read_pages(fields, "filter_pages", card.filter_pages);
    read_pages(fields, "stream_pages", card.stream_pages);
    read_pages(fields, "tuner_pages", card.tuner_pages);
    read_pages(fields, "crossbar_pages", card.crossbar_pages);
    fields.flag("filter_specifies_pages", card.filter_specifies_pages);
    if (fields.has("tuner_page"))
        card.tuner_page = read_tuner_page(fields.at("tuner_page"), fields.path("tuner_page"));
    if (fields.has("bt848"))
        card.bt848 = read_bt848(fields.at("bt848"), fields.path("bt848"));
    fields.integer("fail_first_binds", card.fail_first_binds, 0, 1000000);
    fields.flag("always_fail_bind", card.always_fail_bind);
    fields.flag("busy_while_open", card.busy_while_open);
    fields.flag("run_fails", card.run_fails);
    fields.flag("stop_fails", card.stop_fails);
    return card;
}

// The text's document, refused when it is too large or nested too deeply to be a description.
json parse_document(std::string_view text)
{
    if (text.size() > kMaxFileBytes)
        throw Invalid { "", "is larger than " + std::to_string(kMaxFileBytes) + " bytes" };
    auto depth_check = [](int depth, json::parse_event_t, json&) {
        if (depth > kMaxDepth)
            throw Invalid { "", "is nested more than " + std::to_string(kMaxDepth) + " levels deep" };
        return true;
    };
    return json::parse(text, depth_check);
}

std::vector<CaptureCard> read_description(std::string_view text)
{
    json document = parse_document(text);
    Fields fields(document, "", { "capture_cards" });
    std::vector<CaptureCard> cards;
    if (const json* list = fields.array("capture_cards", kMaxCards))
        for (std::size_t i = 0; i < list->size(); ++i)
            cards.push_back(read_card((*list)[i], at_index("capture_cards", i)));
    return cards;
}

// "line N: path: reason", the line left out when it is not known.
std::string describe(std::optional<std::size_t> line, const std::string& path, const std::string& reason)
{
    std::string out = line ? "line " + std::to_string(*line) + ": " : "";
    return out + (path.empty() ? "the description" : path) + ": " + reason;
}

// The text after "line L, column C: " in the parser's message.
std::string syntax_reason(const std::string& message)
{
    auto column = message.find("column ");
    auto colon = column == std::string::npos ? std::string::npos : message.find(": ", column);
    return colon == std::string::npos ? message : message.substr(colon + 2);
}

}

std::optional<std::vector<CaptureCard>> parse_hardware(std::string_view text, std::string* error)
{
    try {
        return read_description(text);
    } catch (const Invalid& invalid) {
        if (error)
            *error = describe(invalid.path.empty() ? std::nullopt : detail::json_line_of(text, invalid.path), invalid.path, invalid.reason);
    } catch (const json::parse_error& e) {
        if (error)
            *error = "line " + std::to_string(detail::line_at(text, e.byte == 0 ? 0 : e.byte - 1)) + ": " + syntax_reason(e.what());
    } catch (const std::exception& e) {
        if (error)
            *error = e.what();
    }
    return std::nullopt;
}

std::optional<std::vector<CaptureCard>> load_hardware(const std::string& path, std::string* error)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        if (error)
            *error = "cannot open " + path;
        return std::nullopt;
    }
    std::string text;
    char chunk[4096];
    while (file.read(chunk, sizeof chunk) || file.gcount() > 0) {
        text.append(chunk, static_cast<std::size_t>(file.gcount()));
        if (text.size() > kMaxFileBytes)
            break;
    }
    std::string reason;
    auto cards = parse_hardware(text, &reason);
    if (!cards && error)
        *error = path + ": " + reason;
    return cards;
}

std::string hardware_file_path() { return base::platform_home() + "/hardware.json"; }

}
