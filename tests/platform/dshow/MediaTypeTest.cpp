#include <com/TaskMemory.h>
#include <dshow/MediaType.h>
#include <dshow/VfwErrors.h>

#include <gtest/gtest.h>

namespace {

TEST(MediaType, CopiesOwnTheirFormatBlockAndFreeItInTaskMemory)
{
    auto blocks = com::outstanding_task_memory_blocks();
    {
        auto vih = dshow::make_yuy2_format(320, 240, UNITS / 25);
        dshow::MediaType a = dshow::MediaType::video(MEDIASUBTYPE_YUY2, vih);
        ASSERT_NE(a.video_info(), nullptr);
        EXPECT_EQ(a.get().lSampleSize, 320u * 240u * 2u);
        EXPECT_TRUE(a.get().bFixedSizeSamples);

        dshow::MediaType b = a;
        EXPECT_NE(b.get().pbFormat, a.get().pbFormat);
        EXPECT_TRUE(dshow::equal(a.get(), b.get()));

        AM_MEDIA_TYPE* handed_out = CreateMediaType(&a.get());
        ASSERT_NE(handed_out, nullptr);
        EXPECT_EQ(handed_out->cbFormat, sizeof(VIDEOINFOHEADER));
        DeleteMediaType(handed_out);
        DeleteMediaType(nullptr);
    }
    EXPECT_EQ(com::outstanding_task_memory_blocks(), blocks);
}

TEST(MediaType, AudioFormatCarriesTagAndExtraBytes)
{
    WAVEFORMATEX mpeg = dshow::make_pcm_format(48000, 2, 16);
    mpeg.wFormatTag = WAVE_FORMAT_MPEG;
    const BYTE extra[22] = { 1, 2, 3 };
    auto type = dshow::MediaType::audio(mpeg, extra);
    EXPECT_EQ(type.get().subtype.Data1, DWORD { WAVE_FORMAT_MPEG });
    ASSERT_NE(type.wave_format(), nullptr);
    EXPECT_EQ(type.wave_format()->cbSize, 22);
    EXPECT_EQ(type.get().cbFormat, sizeof(WAVEFORMATEX) + 22);
    EXPECT_EQ(type.format()[sizeof(WAVEFORMATEX) + 1], 2);
    EXPECT_EQ(dshow::MediaType::audio(dshow::make_pcm_format(44100, 2, 16)).get().subtype, MEDIASUBTYPE_PCM);
}

TEST(MediaType, PartialPatternsMatchOnTheirGivenGuidsOnly)
{
    auto yuy2 = dshow::MediaType::video(MEDIASUBTYPE_YUY2, dshow::make_yuy2_format(64, 48, UNITS / 25));
    AM_MEDIA_TYPE pattern {};
    EXPECT_TRUE(dshow::matches(pattern, yuy2.get()));
    pattern.majortype = MEDIATYPE_Video;
    EXPECT_TRUE(dshow::matches(pattern, yuy2.get()));
    pattern.subtype = MEDIASUBTYPE_RGB24;
    EXPECT_FALSE(dshow::matches(pattern, yuy2.get()));
    pattern = {};
    pattern.majortype = MEDIATYPE_Audio;
    EXPECT_FALSE(dshow::matches(pattern, yuy2.get()));
    // A type that differs only in its format bytes is not the same type.
    auto other = dshow::MediaType::video(MEDIASUBTYPE_YUY2, dshow::make_yuy2_format(64, 50, UNITS / 25));
    EXPECT_FALSE(dshow::equal(yuy2.get(), other.get()));
}

TEST(MediaType, ResultCodesHaveTheirPublicValues)
{
    EXPECT_EQ(static_cast<DWORD>(VFW_E_NOT_CONNECTED), 0x80040209u);
    EXPECT_EQ(static_cast<DWORD>(VFW_E_CANNOT_CONNECT), 0x80040217u);
    EXPECT_EQ(static_cast<DWORD>(VFW_E_NOT_STOPPED), 0x80040224u);
    EXPECT_EQ(VFW_S_NOPREVIEWPIN, 0x4027E);
    EXPECT_EQ(VFW_S_DUPLICATE_NAME, 0x4022D);
    EXPECT_TRUE(SUCCEEDED(VFW_S_NOPREVIEWPIN));
}

}
