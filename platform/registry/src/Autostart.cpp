#include "Autostart.h"

#include <registry/Registry.h>

#include <base/Path.h>
#include <base/Text.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <system_error>

namespace registry {

namespace {

const std::vector<std::string> run_key_path { "Software", "Microsoft", "Windows", "CurrentVersion", "Run" };

constexpr std::string_view marker = "X-Orbivane-Run=";

std::filesystem::path autostart_folder()
{
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config == '/')
        return std::filesystem::path(config) / "autostart";
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home && *home ? home : "/") / ".config" / "autostart";
}

// The file name of a value's entry: its folded name with path separators and controls replaced.
std::string entry_file_name(std::string_view value_name)
{
    std::string name = base::folded_ascii(value_name);
    for (char& c : name) {
        if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20)
            c = '_';
    }
    if (name.empty() || name == "." || name == "..")
        name = "_" + name;
    return name + ".desktop";
}

// A string value of the desktop entry format: backslashes, and line ends, escaped.
std::string entry_string(std::string_view text)
{
    std::string result;
    for (char c : text) {
        if (c == '\\')
            result += "\\\\";
        else if (c == '\n')
            result += "\\n";
        else if (c == '\r')
            result += "\\r";
        else
            result += c;
    }
    return result;
}

std::string text_of(const Value& value)
{
    if (value.type != REG_SZ && value.type != REG_EXPAND_SZ)
        return {};
    std::string text(value.data.begin(), value.data.end());
    return text.substr(0, text.find('\0'));
}

// The value name an entry was made for, or nullopt for an entry this layer did not make.
std::optional<std::string> entry_owner(const std::filesystem::path& file)
{
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        if (line.starts_with(marker))
            return line.substr(marker.size());
    }
    return std::nullopt;
}

std::string entry_text(const std::string& name, const std::string& command)
{
    std::ostringstream out;
    out << "[Desktop Entry]\n"
        << "Type=Application\n"
        << "Name=" << entry_string(name) << "\n"
        << "Exec=" << entry_string(desktop_exec(command)) << "\n"
        << "Terminal=false\n"
        << marker << entry_string(name) << "\n";
    return out.str();
}

void write_if_changed(const std::filesystem::path& file, const std::string& text)
{
    std::ifstream in(file, std::ios::binary);
    std::string old((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.is_open() && old == text)
        return;
    std::filesystem::path temporary = file;
    temporary += ".new";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << text;
        if (!out.flush())
            return;
    }
    std::error_code error;
    std::filesystem::rename(temporary, file, error);
}

}

void ensure_run_key(Key& root, bool machine, const FILETIME& now)
{
    std::vector<std::string> path = run_key_path;
    if (machine)
        path[0] = "SOFTWARE";
    root.make(path, now);
}

std::string desktop_exec(std::string_view command_line)
{
    while (!command_line.empty() && command_line.front() == ' ')
        command_line.remove_prefix(1);
    std::string_view program;
    std::string_view arguments;
    if (command_line.starts_with('"')) {
        size_t end = command_line.find('"', 1);
        program = command_line.substr(1, end == std::string_view::npos ? std::string_view::npos : end - 1);
        arguments = end == std::string_view::npos ? std::string_view {} : command_line.substr(end + 1);
    } else {
        size_t end = command_line.find(' ');
        program = command_line.substr(0, end);
        arguments = end == std::string_view::npos ? std::string_view {} : command_line.substr(end);
    }

    std::string path = base::to_linux_path(program);
    constexpr std::string_view reserved = " \t\n\"'\\><~|&;$*?#()`";
    std::string exec;
    if (path.find_first_of(reserved) == std::string::npos) {
        exec = path;
    } else {
        exec = "\"";
        for (char c : path) {
            if (c == '"' || c == '`' || c == '$' || c == '\\')
                exec += '\\';
            exec += c;
        }
        exec += '"';
    }
    exec += arguments;
    // Field codes start with %; a literal one is doubled.
    std::string result;
    for (char c : exec) {
        result += c;
        if (c == '%')
            result += '%';
    }
    return result;
}

void sync_autostart(const Key& machine, const Key& user)
{
    std::map<std::string, std::pair<std::string, std::string>> wanted; // file name -> (value name, command)
    for (const Key* root : { &user, &machine }) {
        const Key* run = root;
        for (const auto& name : run_key_path)
            run = run ? run->subkey(name) : nullptr;
        if (!run)
            continue;
        for (const auto& [_, value] : run->values) {
            std::string command = text_of(value);
            if (!command.empty())
                wanted[entry_file_name(value.name)] = { value.name, command };
        }
    }

    std::filesystem::path folder = autostart_folder();
    std::error_code error;
    if (std::filesystem::is_directory(folder, error)) {
        for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
            if (entry.path().extension() != ".desktop" || wanted.contains(entry.path().filename().string()))
                continue;
            if (entry_owner(entry.path()))
                std::filesystem::remove(entry.path(), error);
        }
    }
    if (wanted.empty())
        return;
    std::filesystem::create_directories(folder, error);
    for (const auto& [file_name, named] : wanted) {
        std::filesystem::path file = folder / file_name;
        // Never take over an entry the user or another program made under the same name.
        if (std::filesystem::exists(file, error) && !entry_owner(file))
            continue;
        write_if_changed(file, entry_text(named.first, named.second));
    }
}

}
