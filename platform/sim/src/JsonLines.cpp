#include "JsonLines.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <iterator>
#include <vector>

namespace sim::detail {

namespace {

using nlohmann::json;

// Walks a text as the parser reads it, keeping how far the parser has come.
struct Cursor {
    using iterator_category = std::forward_iterator_tag;
    using value_type = char;
    using difference_type = std::ptrdiff_t;
    using pointer = const char*;
    using reference = const char&;

    const char* at = nullptr;
    const char** furthest = nullptr;

    reference operator*() const { return *at; }
    Cursor& operator++()
    {
        ++at;
        *furthest = std::max(*furthest, at);
        return *this;
    }
    Cursor operator++(int)
    {
        Cursor before = *this;
        ++*this;
        return before;
    }
    bool operator==(const Cursor& other) const { return at == other.at; }
};

// Follows the path of each value read and stops at the one sought.
class Finder final : public nlohmann::json_sax<json> {
public:
    Finder(std::string target, const char** furthest)
        : m_target(std::move(target))
        , m_furthest(furthest)
    {
    }
    const char* found = nullptr;

    bool null() override { return value(); }
    bool boolean(bool) override { return value(); }
    bool number_integer(number_integer_t) override { return value(); }
    bool number_unsigned(number_unsigned_t) override { return value(); }
    bool number_float(number_float_t, const string_t&) override { return value(); }
    bool string(string_t&) override { return value(); }
    bool binary(binary_t&) override { return value(); }
    bool start_object(std::size_t) override { return open(false); }
    bool start_array(std::size_t) override { return open(true); }
    bool key(string_t& name) override
    {
        m_levels.back().key = name;
        return true;
    }
    bool end_object() override { return close(); }
    bool end_array() override { return close(); }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override { return false; }

private:
    struct Level {
        bool array = false;
        std::size_t index = 0;
        std::string key;
    };

    std::string path() const
    {
        std::string out;
        for (const Level& level : m_levels) {
            if (level.array)
                out.append("[").append(std::to_string(level.index)).append("]");
            else
                out += (out.empty() ? "" : ".") + level.key;
        }
        return out;
    }
    // A value starts here; false (stop) when it is the one sought.
    bool value()
    {
        if (path() == m_target) {
            // The parser may have read one character past a number.
            found = *m_furthest - 1;
            return false;
        }
        if (!m_levels.empty() && m_levels.back().array)
            ++m_levels.back().index;
        return true;
    }
    bool open(bool array)
    {
        if (path() == m_target) {
            found = *m_furthest - 1;
            return false;
        }
        m_levels.push_back({ array, 0, {} });
        return true;
    }
    bool close()
    {
        m_levels.pop_back();
        if (!m_levels.empty() && m_levels.back().array)
            ++m_levels.back().index;
        return true;
    }

    std::string m_target;
    const char** m_furthest;
    std::vector<Level> m_levels;
};

}

std::size_t line_at(std::string_view text, std::size_t offset)
{
    offset = std::min(offset, text.size());
    return 1 + static_cast<std::size_t>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(offset), '\n'));
}

std::optional<std::size_t> json_line_of(std::string_view text, const std::string& path)
{
    const char* furthest = text.data();
    Finder finder(path, &furthest);
    Cursor first { text.data(), &furthest };
    Cursor last { text.data() + text.size(), &furthest };
    json::sax_parse(first, last, &finder);
    if (!finder.found)
        return std::nullopt;
    return line_at(text, static_cast<std::size_t>(finder.found - text.data()));
}

}
