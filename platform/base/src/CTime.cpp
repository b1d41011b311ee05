#include <base/CTime.h>
#include <base/Clock.h>

#include <cerrno>
#include <string>

namespace crt {

namespace {

thread_local tm t_date;

constexpr const char* short_days[] = { "Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat" };
constexpr const char* long_days[] = { "Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday" };
constexpr const char* short_months[] = { "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec" };
constexpr const char* long_months[] = { "January", "February", "March", "April", "May", "June", "July", "August",
    "September", "October", "November", "December" };

bool valid(const tm& d)
{
    return d.tm_sec >= 0 && d.tm_sec <= 60 && d.tm_min >= 0 && d.tm_min <= 59 && d.tm_hour >= 0 && d.tm_hour <= 23
        && d.tm_mday >= 1 && d.tm_mday <= 31 && d.tm_mon >= 0 && d.tm_mon <= 11 && d.tm_year >= -1900 && d.tm_year <= 8099
        && d.tm_wday >= 0 && d.tm_wday <= 6 && d.tm_yday >= 0 && d.tm_yday <= 365;
}

void number(std::string& out, int value, int digits, bool trim)
{
    std::string text = std::to_string(value);
    if (!trim && static_cast<int>(text.size()) < digits)
        text.insert(0, static_cast<std::size_t>(digits) - text.size(), '0');
    out += text;
}

const char* zone_name(const tm& d)
{
    if (d.tm_zone)
        return d.tm_zone;
    ::tzset();
    return tzname[d.tm_isdst > 0 ? 1 : 0];
}

// Expands one pattern; false on an unknown code or a dangling '%'.
bool expand(std::string& out, const char* format, const tm& d)
{
    for (const char* p = format; *p; ++p) {
        if (*p != '%') {
            out += *p;
            continue;
        }
        ++p;
        bool trim = false;
        if (*p == '#') {
            trim = true;
            ++p;
        }
        int hour12 = d.tm_hour % 12 == 0 ? 12 : d.tm_hour % 12;
        switch (*p) {
        case 'a': out += short_days[d.tm_wday]; break;
        case 'A': out += long_days[d.tm_wday]; break;
        case 'b':
        case 'h': out += short_months[d.tm_mon]; break;
        case 'B': out += long_months[d.tm_mon]; break;
        case 'c':
            if (!expand(out, trim ? "%A, %B %#d, %Y %H:%M:%S" : "%m/%d/%y %H:%M:%S", d))
                return false;
            break;
        case 'C': number(out, (d.tm_year + 1900) / 100, 2, trim); break;
        case 'd': number(out, d.tm_mday, 2, trim); break;
        case 'D': expand(out, "%m/%d/%y", d); break;
        case 'e':
            if (!trim && d.tm_mday < 10)
                out += ' ';
            number(out, d.tm_mday, 1, true);
            break;
        case 'F': expand(out, "%Y-%m-%d", d); break;
        case 'H': number(out, d.tm_hour, 2, trim); break;
        case 'I': number(out, hour12, 2, trim); break;
        case 'j': number(out, d.tm_yday + 1, 3, trim); break;
        case 'm': number(out, d.tm_mon + 1, 2, trim); break;
        case 'M': number(out, d.tm_min, 2, trim); break;
        case 'n': out += '\n'; break;
        case 'p': out += d.tm_hour < 12 ? "AM" : "PM"; break;
        case 'r': expand(out, "%I:%M:%S %p", d); break;
        case 'R': expand(out, "%H:%M", d); break;
        case 'S': number(out, d.tm_sec, 2, trim); break;
        case 't': out += '\t'; break;
        case 'T': expand(out, "%H:%M:%S", d); break;
        case 'u': number(out, d.tm_wday == 0 ? 7 : d.tm_wday, 1, true); break;
        case 'U': number(out, (d.tm_yday + 7 - d.tm_wday) / 7, 2, trim); break;
        case 'w': number(out, d.tm_wday, 1, true); break;
        case 'W': number(out, (d.tm_yday + 7 - (d.tm_wday + 6) % 7) / 7, 2, trim); break;
        case 'x':
            if (!expand(out, trim ? "%A, %B %#d, %Y" : "%m/%d/%y", d))
                return false;
            break;
        case 'X': expand(out, "%H:%M:%S", d); break;
        case 'y': number(out, (d.tm_year + 1900) % 100, 2, trim); break;
        case 'Y': number(out, d.tm_year + 1900, 1, true); break;
        case 'z':
        case 'Z': out += zone_name(d); break;
        case '%': out += '%'; break;
        default: return false;
        }
    }
    return true;
}

}

time_t time(time_t* out)
{
    time_t now = static_cast<time_t>(base::Clock::wall_seconds());
    if (out)
        *out = now;
    return now;
}

tm* localtime(const time_t* time)
{
    if (!time || *time < 0)
        return nullptr;
    return localtime_r(time, &t_date);
}

tm* gmtime(const time_t* time)
{
    if (!time || *time < 0)
        return nullptr;
    return gmtime_r(time, &t_date);
}

time_t mktime(tm* date) { return date ? ::mktime(date) : static_cast<time_t>(-1); }

std::size_t strftime(char* buffer, std::size_t size, const char* format, const tm* date)
{
    if (!buffer || size == 0) {
        errno = EINVAL;
        return 0;
    }
    buffer[0] = '\0';
    if (!format || !date || !valid(*date)) {
        errno = EINVAL;
        return 0;
    }
    std::string out;
    if (!expand(out, format, *date)) {
        errno = EINVAL;
        return 0;
    }
    if (out.size() + 1 > size) {
        errno = ERANGE;
        return 0;
    }
    out.copy(buffer, out.size());
    buffer[out.size()] = '\0';
    return out.size();
}

void _tzset() { ::tzset(); }

}
