#include <owl/ObjectStream.h>

#include <map>
#include <mutex>

namespace OWL {

namespace {

std::mutex s_lock;

std::map<std::string, TStreamableClass::Builder>& registry()
{
    static std::map<std::string, TStreamableClass::Builder> classes;
    return classes;
}

}

opstream& opstream::operator<<(std::int32_t value)
{
    auto v = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        m_bytes.push_back(static_cast<BYTE>(v >> (8 * i)));
    return *this;
}

void opstream::WriteBytes(const void* data, std::uint32_t size)
{
    *this << static_cast<std::int32_t>(size);
    const auto* p = static_cast<const BYTE*>(data);
    m_bytes.insert(m_bytes.end(), p, p + size);
}

opstream& opstream::operator<<(const TStreamableBase& object)
{
    std::string name = object.StreamableName();
    WriteBytes(name.data(), static_cast<std::uint32_t>(name.size()));
    object.Write(*this);
    return *this;
}

ipstream& ipstream::operator>>(std::int32_t& value)
{
    value = 0;
    if (!m_good || m_bytes.size() - m_at < 4) {
        m_good = false;
        return *this;
    }
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= static_cast<std::uint32_t>(m_bytes[m_at++]) << (8 * i);
    value = static_cast<std::int32_t>(v);
    return *this;
}

ipstream& ipstream::operator>>(bool& value)
{
    std::int32_t v = 0;
    *this >> v;
    value = v != 0;
    return *this;
}

std::vector<BYTE> ipstream::ReadBytes()
{
    std::int32_t size = 0;
    *this >> size;
    if (!m_good || size < 0 || m_bytes.size() - m_at < static_cast<std::size_t>(size)) {
        m_good = false;
        return {};
    }
    std::vector<BYTE> out(m_bytes.begin() + static_cast<std::ptrdiff_t>(m_at),
        m_bytes.begin() + static_cast<std::ptrdiff_t>(m_at) + size);
    m_at += static_cast<std::size_t>(size);
    return out;
}

TStreamableBase* ipstream::ReadObject()
{
    std::vector<BYTE> name = ReadBytes();
    if (!m_good)
        return nullptr;
    TStreamableClass::Builder build = TStreamableClass::Find(std::string(name.begin(), name.end()));
    if (!build)
        return nullptr;
    TStreamableBase* object = build();
    object->Read(*this);
    if (!m_good) {
        delete object;
        return nullptr;
    }
    return object;
}

TStreamableClass::TStreamableClass(const char* name, Builder build)
{
    std::lock_guard guard(s_lock);
    registry()[name] = build;
}

TStreamableClass::Builder TStreamableClass::Find(const std::string& name)
{
    std::lock_guard guard(s_lock);
    auto it = registry().find(name);
    return it == registry().end() ? nullptr : it->second;
}

}
