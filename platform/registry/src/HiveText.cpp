#include "HiveText.h"

#include "Names.h"

#include <base/Errors.h>
#include <base/Text.h>

#include <set>

namespace registry {

static constexpr std::string_view header_line = "Orbivane registry hive 1";
static constexpr std::string_view end_line = "end";

// Length of the valid UTF-8 sequence of two or more bytes at text[i], or 0.
static size_t utf8_sequence(std::string_view text, size_t i)
{
    auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    unsigned char lead = byte(i);
    size_t length;
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (i + length > text.size())
        return 0;
    for (size_t k = 1; k < length; ++k) {
        unsigned char c = byte(i + k);
        if (c < (k == 1 ? low : 0x80) || c > (k == 1 ? high : 0xBF))
            return 0;
    }
    return length;
}

static void append_hex_byte(std::string& out, unsigned char c)
{
    static constexpr char digits[] = "0123456789abcdef";
    out += digits[c >> 4];
    out += digits[c & 15];
}

static std::string quote(std::string_view bytes)
{
    std::string out = "\"";
    for (size_t i = 0; i < bytes.size();) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c >= 0x80) {
            if (size_t length = utf8_sequence(bytes, i)) {
                out.append(bytes.substr(i, length));
                i += length;
                continue;
            }
        }
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '"': out += "\\\""; break;
        case 0: out += "\\0"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20 || c >= 0x7F) {
                out += "\\x";
                append_hex_byte(out, c);
            } else {
                out += static_cast<char>(c);
            }
        }
        ++i;
    }
    out += '"';
    return out;
}

static std::string escape_key_name(std::string_view name)
{
    std::string out;
    for (size_t i = 0; i < name.size();) {
        unsigned char c = static_cast<unsigned char>(name[i]);
        if (c >= 0x80) {
            if (size_t length = utf8_sequence(name, i)) {
                out.append(name.substr(i, length));
                i += length;
                continue;
            }
        }
        if (c < 0x20 || c >= 0x7F || c == '%' || c == '[' || c == ']' || c == '\\') {
            out += '%';
            append_hex_byte(out, c);
        } else {
            out += static_cast<char>(c);
        }
        ++i;
    }
    return out;
}

const char* type_name(DWORD type)
{
    switch (type) {
    case 0: return "none";
    case 1: return "sz";
    case 2: return "expand_sz";
    case 3: return "binary";
    case 4: return "dword";
    case 5: return "dword_be";
    case 6: return "link";
    case 7: return "multi_sz";
    case 11: return "qword";
    default: return nullptr;
    }
}

static bool is_text_type(DWORD type) { return type == 1 || type == 2 || type == 6 || type == 7; }

std::string encode_data(DWORD type, const std::vector<BYTE>& data)
{
    std::string_view bytes(reinterpret_cast<const char*>(data.data()), data.size());
    if (is_text_type(type))
        return quote(bytes);
    if ((type == 4 && data.size() == 4) || (type == 11 && data.size() == 8)) {
        std::string out;
        for (size_t i = data.size(); i-- > 0;)
            append_hex_byte(out, data[i]);
        return out;
    }
    std::string out = "hex:";
    for (size_t i = 0; i < data.size(); ++i) {
        if (i)
            out += ' ';
        append_hex_byte(out, data[i]);
    }
    return out;
}

static void write_key_line(std::string& out, const Key& key, const std::string& path)
{
    if (!path.empty() || !key.values.empty()) {
        out += "\n[";
        out += path;
        out += "]\n";
    }
    for (const auto& [folded, value] : key.values) {
        out += quote(value.name);
        out += '=';
        if (const char* name = type_name(value.type))
            out += name;
        else
            out += "type" + std::to_string(value.type);
        out += ':';
        out += encode_data(value.type, value.data);
        out += '\n';
    }
}

// Every key, parents first and siblings in folded name order, without recursion.
static void write_keys(std::string& out, const Key& root)
{
    struct Pending {
        const Key* key;
        std::string path;
        size_t depth;
    };
    std::vector<Pending> stack { { &root, "", 0 } };
    while (!stack.empty()) {
        Pending next = std::move(stack.back());
        stack.pop_back();
        write_key_line(out, *next.key, next.path);
        if (next.depth == max_key_depth)
            continue;
        for (auto it = next.key->subkeys.rbegin(); it != next.key->subkeys.rend(); ++it) {
            const Key& subkey = *it->second;
            std::string name = escape_key_name(subkey.name);
            stack.push_back({ &subkey, next.path.empty() ? name : next.path + "\\" + name, next.depth + 1 });
        }
    }
}

std::string write_hive_text(const Key& root, std::string_view hive_name)
{
    std::string out;
    out += header_line;
    out += "\n; ";
    out += hive_name;
    out += '\n';
    write_keys(out, root);
    out += end_line;
    out += '\n';
    return out;
}

static int hex_digit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

static bool hex_byte(std::string_view text, size_t at, unsigned char& out)
{
    if (at + 2 > text.size())
        return false;
    int high = hex_digit(text[at]), low = hex_digit(text[at + 1]);
    if (high < 0 || low < 0)
        return false;
    out = static_cast<unsigned char>(high * 16 + low);
    return true;
}

// Reads a quoted string starting at line[at] == '"'; `at` moves past the closing quote.
static bool unquote(std::string_view line, size_t& at, std::string& out, std::string& error)
{
    out.clear();
    if (at >= line.size() || line[at] != '"') {
        error = "expected '\"'";
        return false;
    }
    ++at;
    while (at < line.size()) {
        char c = line[at];
        if (c == '"') {
            ++at;
            return true;
        }
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            error = "control character in a string";
            return false;
        }
        if (c != '\\') {
            out += c;
            ++at;
            continue;
        }
        if (at + 1 >= line.size())
            break;
        char e = line[at + 1];
        at += 2;
        switch (e) {
        case '\\': out += '\\'; break;
        case '"': out += '"'; break;
        case '0': out += '\0'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'x': {
            unsigned char byte;
            if (!hex_byte(line, at, byte)) {
                error = "bad \\x escape";
                return false;
            }
            out += static_cast<char>(byte);
            at += 2;
            break;
        }
        default:
            error = "unknown escape";
            return false;
        }
    }
    error = "unterminated string";
    return false;
}

static bool parse_type(std::string_view token, DWORD& type)
{
    for (DWORD t : { 0u, 1u, 2u, 3u, 4u, 5u, 6u, 7u, 11u }) {
        if (token == type_name(t)) {
            type = t;
            return true;
        }
    }
    if (token.size() <= 4 || token.substr(0, 4) != "type" || token.size() > 14)
        return false;
    unsigned long long number = 0;
    for (char c : token.substr(4)) {
        if (c < '0' || c > '9')
            return false;
        number = number * 10 + static_cast<unsigned>(c - '0');
    }
    if (number > 0xFFFFFFFFull || type_name(static_cast<DWORD>(number)))
        return false;
    type = static_cast<DWORD>(number);
    return true;
}

static bool parse_data(std::string_view text, DWORD type, std::vector<BYTE>& data, std::string& error)
{
    data.clear();
    if (!text.empty() && text.front() == '"') {
        size_t at = 0;
        std::string bytes;
        if (!unquote(text, at, bytes, error))
            return false;
        if (at != text.size()) {
            error = "text after the string";
            return false;
        }
        data.assign(bytes.begin(), bytes.end());
        return true;
    }
    if (text.substr(0, 4) == "hex:") {
        text.remove_prefix(4);
        for (size_t at = 0; at < text.size(); at += 3) {
            unsigned char byte;
            if (!hex_byte(text, at, byte) || (at + 2 < text.size() && text[at + 2] != ' ') || at + 3 == text.size()) {
                error = "bad hex bytes";
                return false;
            }
            data.push_back(byte);
        }
        return true;
    }
    size_t width = type == 4 ? 8 : type == 11 ? 16 : 0;
    if (width && text.size() == width) {
        data.resize(width / 2);
        for (size_t i = 0; i < width / 2; ++i) {
            unsigned char byte;
            if (!hex_byte(text, i * 2, byte)) {
                error = "bad number";
                return false;
            }
            data[width / 2 - 1 - i] = byte;
        }
        return true;
    }
    error = "bad value data";
    return false;
}

static bool parse_key_path(std::string_view text, std::vector<std::string>& path, std::string& error)
{
    path.clear();
    if (text.empty())
        return true;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\\', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string name;
        for (size_t i = start; i < end; ++i) {
            char c = text[i];
            if (c == '%') {
                unsigned char byte;
                if (!hex_byte(text, i + 1, byte)) {
                    error = "bad %HH escape in a key name";
                    return false;
                }
                name += static_cast<char>(byte);
                i += 2;
            } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F || c == '[' || c == ']') {
                error = "bad character in a key name";
                return false;
            } else {
                name += c;
            }
        }
        if (name.empty() || name.size() > max_key_name) {
            error = "bad key name";
            return false;
        }
        path.push_back(std::move(name));
        start = end + 1;
    }
    return true;
}

static bool parse_lines(std::string_view text, Key& root, const FILETIME& loaded, size_t& line_number, std::string& error,
    std::string& dropped)
{
    Key* key = nullptr;
    bool skipping = false; // in a key too deep to keep
    size_t too_deep = 0;
    std::set<const Key*> listed;
    bool seen_header = false, seen_end = false;
    size_t line_start = 0;
    line_number = 0;
    while (line_start < text.size()) {
        ++line_number;
        size_t line_end = text.find('\n', line_start);
        if (line_end == std::string_view::npos)
            line_end = text.size();
        std::string_view line = text.substr(line_start, line_end - line_start);
        line_start = line_end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);

        if (!seen_header) {
            if (line != header_line) {
                error = "not a hive file";
                return false;
            }
            seen_header = true;
            continue;
        }
        if (line.empty() || line.front() == ';')
            continue;
        if (seen_end) {
            error = "text after the end line";
            return false;
        }
        if (line == end_line) {
            seen_end = true;
            continue;
        }
        if (line.front() == '[') {
            if (line.back() != ']' || line.size() < 2) {
                error = "bad key line";
                return false;
            }
            std::vector<std::string> path;
            if (!parse_key_path(line.substr(1, line.size() - 2), path, error))
                return false;
            skipping = path.size() > max_key_depth;
            if (skipping) {
                if (too_deep++ == 0)
                    dropped = "line " + std::to_string(line_number) + ": a key " + std::to_string(path.size()) + " levels deep";
                continue;
            }
            key = &root.make(path, loaded);
            if (!listed.insert(key).second) {
                error = "key listed twice";
                return false;
            }
            continue;
        }
        if (line.front() == '"') {
            if (skipping)
                continue;
            if (!key) {
                error = "value before any key";
                return false;
            }
            size_t at = 0;
            Value value;
            if (!unquote(line, at, value.name, error))
                return false;
            if (value.name.size() > max_value_name) {
                error = "value name too long";
                return false;
            }
            if (at >= line.size() || line[at] != '=') {
                error = "expected '='";
                return false;
            }
            size_t colon = line.find(':', at + 1);
            if (colon == std::string_view::npos || !parse_type(line.substr(at + 1, colon - at - 1), value.type)) {
                error = "bad value type";
                return false;
            }
            if (!parse_data(line.substr(colon + 1), value.type, value.data, error))
                return false;
            auto [it, inserted] = key->values.try_emplace(base::folded_ascii(value.name), std::move(value));
            if (!inserted) {
                error = "value listed twice";
                return false;
            }
            continue;
        }
        error = "unrecognised line";
        return false;
    }
    if (too_deep > 1)
        dropped += " and " + std::to_string(too_deep - 1) + " more";
    if (!seen_end) {
        ++line_number;
        error = seen_header ? "the end line is missing (cut short?)" : "empty file";
        return false;
    }
    return true;
}

bool parse_hive_text(std::string_view text, Key& root, const FILETIME& loaded, std::string& error, std::string* dropped)
{
    size_t line_number = 0;
    std::string fault, deep;
    bool read = parse_lines(text, root, loaded, line_number, fault, deep);
    if (dropped)
        *dropped = read ? deep : std::string();
    if (read)
        return true;
    error = "line " + std::to_string(line_number) + ": " + fault;
    return false;
}

}
