#include <shell/Version.h>

#include <base/Errors.h>
#include <base/Modules.h>
#include <base/Path.h>
#include <base/Text.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <sys/stat.h>

namespace shell {
namespace {

constexpr DWORD kResourceTypeNotFound = 1813; // ERROR_RESOURCE_TYPE_NOT_FOUND

std::mutex blocks_lock;
std::map<std::string, std::vector<BYTE>>& blocks()
{
    static std::map<std::string, std::vector<BYTE>> by_file;
    return by_file;
}

// Files are known by their Linux path, folded, as the file system ignores case.
std::string key_of(const std::string& file)
{
    std::string path = file;
    if (path.empty()) {
        char program[MAX_PATH] {};
        GetModuleFileNameA(nullptr, program, sizeof program);
        path = program;
    }
    return base::folded_ascii(base::resolve_path(path));
}

void align(std::vector<BYTE>& out)
{
    while (out.size() % 4)
        out.push_back(0);
}

void append(std::vector<BYTE>& out, const void* data, std::size_t length)
{
    std::size_t at = out.size();
    out.resize(at + length);
    if (length)
        std::memcpy(out.data() + at, data, length);
}

void put_word(std::vector<BYTE>& out, std::size_t at, std::size_t value)
{
    auto word = static_cast<WORD>(value);
    std::memcpy(out.data() + at, &word, sizeof word);
}

// Appends a node; `children` appends its children. Returns nothing: lengths are patched in place.
template<typename Children>
void node(std::vector<BYTE>& out, std::string_view key, const void* value, std::size_t value_length, Children children)
{
    std::size_t start = out.size();
    out.resize(start + 4);
    append(out, key.data(), key.size());
    out.push_back(0);
    align(out);
    append(out, value, value_length);
    align(out);
    children(out);
    put_word(out, start, out.size() - start);
    put_word(out, start + 2, value_length);
}

void leaf(std::vector<BYTE>& out, std::string_view key, const void* value, std::size_t value_length)
{
    node(out, key, value, value_length, [](std::vector<BYTE>&) {});
}

// A view of one node inside a block of `end - start` bytes.
struct Node {
    const BYTE* start = nullptr;
    std::size_t length = 0;
    std::string_view key;
    const BYTE* value = nullptr;
    std::size_t value_length = 0;
    const BYTE* children = nullptr;
};

std::size_t aligned(std::size_t offset) { return (offset + 3) & ~std::size_t(3); }

std::optional<Node> read_node(const BYTE* start, std::size_t available)
{
    if (available < 5)
        return std::nullopt;
    WORD length = 0, value_length = 0;
    std::memcpy(&length, start, 2);
    std::memcpy(&value_length, start + 2, 2);
    if (length < 5 || length > available)
        return std::nullopt;
    auto* key = reinterpret_cast<const char*>(start + 4);
    std::size_t key_length = strnlen(key, length - 4);
    if (4 + key_length >= length)
        return std::nullopt;
    std::size_t value_at = aligned(4 + key_length + 1);
    if (value_at + value_length > length)
        return std::nullopt;
    Node n;
    n.start = start;
    n.length = length;
    n.key = std::string_view(key, key_length);
    n.value = start + value_at;
    n.value_length = value_length;
    n.children = start + std::min<std::size_t>(aligned(value_at + value_length), length);
    return n;
}

std::optional<Node> find_child(const Node& parent, std::string_view key)
{
    const BYTE* end = parent.start + parent.length;
    for (const BYTE* at = parent.children; at < end;) {
        auto child = read_node(at, static_cast<std::size_t>(end - at));
        if (!child)
            return std::nullopt;
        if (base::equals_ignoring_case(child->key, key))
            return child;
        at += aligned(child->length);
    }
    return std::nullopt;
}

}

std::vector<BYTE> build_version_block(const VersionInfo& info)
{
    VS_FIXEDFILEINFO fixed {};
    if (info.fixed) {
        fixed = *info.fixed;
        if (!fixed.dwSignature)
            fixed.dwSignature = VS_FFI_SIGNATURE;
        if (!fixed.dwStrucVersion)
            fixed.dwStrucVersion = VS_FFI_STRUCVERSION;
    }
    std::vector<BYTE> out;
    node(out, "VS_VERSION_INFO", &fixed, info.fixed ? sizeof fixed : 0, [&](std::vector<BYTE>& out) {
        if (!info.tables.empty()) {
            node(out, "StringFileInfo", nullptr, 0, [&](std::vector<BYTE>& out) {
                for (const auto& table : info.tables) {
                    node(out, table.key, nullptr, 0, [&](std::vector<BYTE>& out) {
                        for (const auto& [name, text] : table.strings)
                            leaf(out, name, text.c_str(), text.size() + 1);
                    });
                }
            });
        }
        if (!info.translations.empty()) {
            std::vector<BYTE> pairs;
            for (const auto& t : info.translations) {
                WORD words[2] = { t.language, t.code_page };
                pairs.insert(pairs.end(), reinterpret_cast<BYTE*>(words), reinterpret_cast<BYTE*>(words) + sizeof words);
            }
            node(out, "VarFileInfo", nullptr, 0,
                [&](std::vector<BYTE>& out) { leaf(out, "Translation", pairs.data(), pairs.size()); });
        }
    });
    return out;
}

void register_version_info(const VersionInfo& info, const std::string& file)
{
    auto block = build_version_block(info);
    std::lock_guard guard(blocks_lock);
    blocks()[key_of(file)] = std::move(block);
}

void unregister_version_info(const std::string& file)
{
    std::lock_guard guard(blocks_lock);
    blocks().erase(key_of(file));
}

}

DWORD GetFileVersionInfoSizeA(LPCSTR file, LPDWORD handle)
{
    if (handle)
        *handle = 0;
    if (!file || !*file) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return 0;
    }
    struct stat info {};
    if (stat(base::resolve_path(file).c_str(), &info) != 0) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return 0;
    }
    std::lock_guard guard(shell::blocks_lock);
    auto it = shell::blocks().find(shell::key_of(file));
    if (it == shell::blocks().end()) {
        SetLastError(shell::kResourceTypeNotFound);
        return 0;
    }
    return static_cast<DWORD>(it->second.size());
}

BOOL GetFileVersionInfoA(LPCSTR file, DWORD, DWORD length, LPVOID data)
{
    DWORD size = GetFileVersionInfoSizeA(file, nullptr);
    if (size == 0)
        return FALSE;
    if (!data || length < size) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::lock_guard guard(shell::blocks_lock);
    auto it = shell::blocks().find(shell::key_of(file));
    if (it == shell::blocks().end() || it->second.size() != size)
        return FALSE;
    std::memcpy(data, it->second.data(), size);
    return TRUE;
}

BOOL VerQueryValueA(LPCVOID block, LPCSTR sub_block, LPVOID* value, LPUINT length)
{
    if (value)
        *value = nullptr;
    if (length)
        *length = 0;
    if (!block || !sub_block || !value)
        return FALSE;
    auto* start = static_cast<const BYTE*>(block);
    WORD total = 0;
    std::memcpy(&total, start, 2);
    auto current = shell::read_node(start, total);
    std::string_view path = sub_block;
    while (current && !path.empty()) {
        auto slash = path.find('\\');
        std::string_view key = path.substr(0, slash);
        path = slash == std::string_view::npos ? std::string_view {} : path.substr(slash + 1);
        if (!key.empty())
            current = shell::find_child(*current, key);
    }
    if (!current || current->value_length == 0)
        return FALSE;
    *value = const_cast<BYTE*>(current->value);
    if (length)
        *length = static_cast<UINT>(current->value_length);
    return TRUE;
}
