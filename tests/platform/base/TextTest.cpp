#include <base/Errors.h>
#include <base/Text.h>

#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

int sign(int v) { return v < 0 ? -1 : v > 0 ? 1 : 0; }

TEST(Compare, FoldsAsciiOnly)
{
    struct Case {
        const char* a;
        const char* b;
        int expected;
    } cases[] = {
        { "<Default>", "<default>", 0 },
        { "Studio PCTV", "STUDIO pctv", 0 },
        { "a", "b", -1 },
        { "B", "a", 1 },
        { "", "x", -1 },
        { "abc", "ab", 1 },
        { "\xC3\x89t\xC3\xA9", "\xC3\xA9t\xC3\xA9", -1 }, // É and é differ: no folding outside ASCII
        { nullptr, "a", -1 },
        { nullptr, nullptr, 0 },
    };
    for (auto& c : cases) {
        SCOPED_TRACE(std::string(c.a ? c.a : "(null)") + " / " + (c.b ? c.b : "(null)"));
        EXPECT_EQ(lstrcmpiA(c.a, c.b), c.expected);
    }
    EXPECT_NE(lstrcmpA("abc", "ABC"), 0);
    EXPECT_EQ(lstrcmpA("abc", "abc"), 0);
    EXPECT_EQ(sign(_strnicmp("Studio PCTV 2", "studio pctv", 11)), 0);
    EXPECT_LT(_stricmp("a", "B"), 0);
}

TEST(Compare, TheFoldingHelpersChangeAsciiLettersOnly)
{
    EXPECT_EQ(base::folded_ascii("Line-IN @[`{ 09 \xC3\x89T\xC3\xA9"), "line-in @[`{ 09 \xC3\x89t\xC3\xA9");
    EXPECT_EQ(base::upper_ascii('q'), 'Q');
    EXPECT_EQ(base::upper_ascii('{'), '{');
    EXPECT_EQ(base::upper_ascii(u'\u00E9'), u'\u00E9');
    EXPECT_TRUE(base::equals_ignoring_case(u"CONTENTS", u"Contents"));
    EXPECT_FALSE(base::equals_ignoring_case(u"\u00C9t\u00E9", u"\u00E9t\u00E9"));
    EXPECT_FALSE(base::equals_ignoring_case(u"@", u"`")); // neighbours of the letters stay apart
}

TEST(BoundedCopy, CutsWholeCharactersAndTerminates)
{
    // "ab" then é (2 bytes), € (3 bytes), 😀 (4 bytes)
    std::string text = "ab\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";
    struct Case {
        std::size_t capacity;
        std::string expected;
    } cases[] = {
        { 1, "" },
        { 3, "ab" },
        { 4, "ab" },
        { 5, "ab\xC3\xA9" },
        { 7, "ab\xC3\xA9" },
        { 8, "ab\xC3\xA9\xE2\x82\xAC" },
        { 11, "ab\xC3\xA9\xE2\x82\xAC" },
        { 12, text },
        { 260, text },
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.capacity);
        std::vector<char> buffer(c.capacity + 4, '#');
        std::size_t n = base::copy_bounded(buffer.data(), c.capacity, text);
        EXPECT_EQ(n, c.expected.size());
        EXPECT_EQ(std::string(buffer.data()), c.expected);
        EXPECT_EQ(buffer[c.capacity], '#'); // nothing past the capacity
    }
    char untouched = '#';
    EXPECT_EQ(base::copy_bounded(&untouched, 0, text), 0u);
    EXPECT_EQ(untouched, '#');

    std::string long_path(300, 'x');
    char path[260];
    EXPECT_EQ(base::copy_bounded(path, sizeof(path), long_path), 259u);
    EXPECT_EQ(std::strlen(path), 259u);

    // A malformed byte counts as one character.
    char bad[3];
    base::copy_bounded(bad, sizeof(bad), "a\xFF\xFF");
    EXPECT_EQ(std::string(bad), "a\xFF");
}

TEST(BoundedCopy, Utf16KeepsSurrogatePairs)
{
    WCHAR buffer[3];
    base::copy_bounded(buffer, 3, std::u16string_view(u"a\U0001F600"));
    EXPECT_EQ(std::u16string(buffer), u"a");
    WCHAR wide[4];
    base::copy_bounded(wide, 4, std::u16string_view(u"a\U0001F600"));
    EXPECT_EQ(std::u16string(wide), u"a\U0001F600");
}

TEST(StringCalls, CopyConcatenateLength)
{
    char buffer[16];
    EXPECT_EQ(lstrcpyA(buffer, "Channel"), buffer);
    EXPECT_EQ(lstrcatA(buffer, " 12"), buffer);
    EXPECT_STREQ(buffer, "Channel 12");
    EXPECT_EQ(lstrlenA(buffer), 10);
    EXPECT_EQ(lstrlenA(nullptr), 0);

    char small[4];
    lstrcpynA(small, "abcdef", sizeof(small));
    EXPECT_STREQ(small, "abc");
    lstrcpynA(small, "a\xE2\x82\xAC", sizeof(small)); // the euro sign would not fit whole
    EXPECT_STREQ(small, "a");

    EXPECT_EQ(lstrlenW(u"Capture"), 7);
    EXPECT_EQ(lstrlenW(nullptr), 0);
    WCHAR wide[8];
    lstrcpyW(wide, u"Preview");
    EXPECT_EQ(lstrcmpW(wide, u"Preview"), 0);
}

std::string format(const char* pattern, ...)
{
    char buffer[1100];
    va_list args;
    va_start(args, pattern);
    int n = wvsprintfA(buffer, pattern, args);
    va_end(args);
    EXPECT_EQ(n, static_cast<int>(std::strlen(buffer)));
    return buffer;
}

TEST(Wsprintf, WindowsConversions)
{
    EXPECT_EQ(format("\n    Return code = %lX", E_FAIL), "\n    Return code = 80004005");
    EXPECT_EQ(format("%ld", static_cast<LONG>(-1)), "-1");
    EXPECT_EQ(format("%lu", 0xFFFFFFFFu), "4294967295");
    EXPECT_EQ(format("%lx", 0xDEADBEEFu), "deadbeef");
    EXPECT_EQ(format("%08x pid %08x", 0x12f3a0u, 0x4d8u), "0012f3a0 pid 000004d8");
    EXPECT_EQ(format("%d", 42), "42");
    EXPECT_EQ(format("%i|%u", -7, 7u), "-7|7");
    EXPECT_EQ(format("%5d|%-5d|", 42, 42), "   42|42   |");
    EXPECT_EQ(format("%05d", -42), "-0042");
    EXPECT_EQ(format("%.3d", 7), "007");
    EXPECT_EQ(format("%#x %#X", 255u, 255u), "0xff 0XFF");
    EXPECT_EQ(format("%X", 0xabcu), "ABC");
    EXPECT_EQ(format("%c%c", 'o', 'k'), "ok");
    EXPECT_EQ(format("%s and %5s|%-4s|", "a", "bc", "d"), "a and    bc|d   |");
    EXPECT_EQ(format("%.2s", "abc"), "ab");
    EXPECT_EQ(format("%s", static_cast<const char*>(nullptr)), "(null)");
    EXPECT_EQ(format("index %d%%", 40), "index 40%");
    EXPECT_EQ(format("%hd", 65535), "-1");
    EXPECT_EQ(format("%I64d", static_cast<LONGLONG>(-5000000000ll)), "-5000000000");
    EXPECT_EQ(format("%S", u"w\u00e9"), "w\xC3\xA9");
    EXPECT_EQ(format("Station%d", 3), "Station3");
}

TEST(Wsprintf, OutputStopsAt1024Bytes)
{
    std::string big(2000, 'x');
    std::vector<char> buffer(1100, '#');
    int n = wsprintfA(buffer.data(), "%s", big.c_str());
    EXPECT_EQ(n, 1023);
    EXPECT_EQ(buffer[1023], '\0');
    EXPECT_EQ(buffer[1024], '#');

    // The cut keeps whole characters.
    std::string euros;
    for (int i = 0; i < 400; ++i)
        euros += "\xE2\x82\xAC";
    n = wsprintfA(buffer.data(), "%s", euros.c_str());
    EXPECT_EQ(n, 1023); // 341 whole characters
    EXPECT_EQ(buffer[1023], '\0');
}

TEST(Wsprintf, WideFormat)
{
    WCHAR buffer[64];
    int n = wsprintfW(buffer, u"FilterGraph %08x pid %08x", 0x0012f3a0u, 0x000004d8u);
    EXPECT_EQ(std::u16string(buffer), u"FilterGraph 0012f3a0 pid 000004d8");
    EXPECT_EQ(n, 33);
    wsprintfW(buffer, u"%s/%S", u"caf\u00e9", "bar");
    EXPECT_EQ(std::u16string(buffer), u"caf\u00e9/bar");
}

TEST(CodePage, MultiByteToWide)
{
    WCHAR buffer[260];
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, "tmp.avi", -1, buffer, 260), 8); // with the terminator
    EXPECT_EQ(std::u16string(buffer), u"tmp.avi");
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "caf\xC3\xA9", -1, nullptr, 0), 5);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "\xF0\x9F\x98\x80", 4, buffer, 260), 2);
    EXPECT_EQ(buffer[0], 0xD83D);
    EXPECT_EQ(buffer[1], 0xDE00);

    // Too small: 0, ERROR_INSUFFICIENT_BUFFER, filled without a terminator.
    WCHAR small[4] = { 'x', 'x', 'x', 'x' };
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abcdef", -1, small, 4), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(std::u16string(small, 4), u"abcd");

    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "a\xFF", 2, buffer, 260), 2);
    EXPECT_EQ(buffer[1], 0xFFFD);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, "a\xFF", 2, buffer, 260), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
    EXPECT_EQ(MultiByteToWideChar(1252 + 9999, 0, "a", 1, buffer, 260), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(CodePage, WideToMultiByte)
{
    char buffer[80];
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"caf\u00e9", -1, buffer, 80, nullptr, nullptr), 6);
    EXPECT_STREQ(buffer, "caf\xC3\xA9");

    // An 80-byte buffer for a longer device name: 0 and the buffer full, unterminated.
    std::u16string name(100, u'n');
    std::memset(buffer, '#', sizeof(buffer));
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, name.c_str(), -1, buffer, 80, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(std::string(buffer, 80), std::string(80, 'n'));

    // A character that does not fit whole is left out.
    char three[3] = { '#', '#', '#' };
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"a\u20ac", 2, three, 3, nullptr, nullptr), 0);
    EXPECT_EQ(three[0], 'a');
    EXPECT_EQ(three[1], '#');

    BOOL used = FALSE;
    const WCHAR lone[] = { u'a', 0xD800, 0 };
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, lone, -1, buffer, 80, nullptr, &used), 5);
    EXPECT_STREQ(buffer, "a\xEF\xBF\xBD");
    EXPECT_TRUE(used);
}

TEST(CodePage, Helpers)
{
    std::string text = "Recorded by Orbivane \xE2\x82\xAC \xF0\x9F\x98\x80";
    EXPECT_EQ(base::to_utf8(base::to_utf16(text)), text);
    EXPECT_EQ(base::to_utf16("\xC3\xA9"), u"\u00e9");
    EXPECT_EQ(base::to_utf8(u"\U0001F600"), "\xF0\x9F\x98\x80");
    EXPECT_TRUE(base::equals_ignoring_case("Line In", "line in"));
    EXPECT_TRUE(base::starts_with_ignoring_case("3dfx Voodoo3TV 3500", "3DFX voodoo3tv"));
    EXPECT_FALSE(base::starts_with_ignoring_case("3dfx", "3dfx Voodoo"));
}

}
