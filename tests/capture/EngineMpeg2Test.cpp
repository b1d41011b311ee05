// A card that encodes MPEG-2 in hardware: the engine previews it through the demultiplexer chain
// ("MPEG2 Demux", "vidTee", "audTee") and records it to an AVI file through the same chain.

#include "EngineFixture.h"
#include "Ffprobe.h"
#include "PlainWindow.h"
#include "TempHome.h"

#include <ShownPicture.h>
#include <base/Path.h>
#include <dshow/AviReader.h>
#include <dshow/SystemFilters.h>
#include <sim/TestPicture.h>

#include <chrono>
#include <thread>

namespace {

using namespace engine_test;

class Mpeg2Tv : public STv {
public:
    using STv::m_audioRenderer;
    using STv::m_graph;

    explicit Mpeg2Tv(HWND client)
        : STv("", client, 0, 0, "Default WaveOut Device", nullptr)
    {
    }
    // The graph's filter names, in the order they were added.
    std::vector<std::u16string> filter_names() const
    {
        std::vector<std::u16string> names;
        CComPtr<IEnumFilters> filters;
        m_graph->EnumFilters(&filters);
        for (CComPtr<IBaseFilter> f; filters->Next(1, &f, nullptr) == S_OK; f.Release()) {
            FILTER_INFO info {};
            f->QueryFilterInfo(&info);
            if (info.pGraph)
                info.pGraph->Release();
            names.push_back(info.achName);
        }
        return names;
    }
    int count_named(const std::u16string& name) const
    {
        auto names = filter_names();
        return static_cast<int>(std::count(names.begin(), names.end(), name));
    }
    CComPtr<IBaseFilter> named(const char16_t* name) const
    {
        CComPtr<IBaseFilter> found;
        m_graph->FindFilterByName(name, &found);
        return found;
    }
};

class EngineMpeg2 : public EngineRecordingTest {
protected:
    static sim::CaptureCard mpeg2_card()
    {
        sim::CaptureCard c = card(u"Sim MPEG-2 Card");
        c.mpeg2 = true;
        c.width = 720;
        c.height = 480;
        c.frames_per_second = 30;
        return c;
    }
};

TEST_F(EngineMpeg2, TheCardIsPreviewedThroughTheDemultiplexerChainAndThePictureFollowsTheChannel)
{
    sim::install_cards({ mpeg2_card() });
    Mpeg2Tv tv(client);
    ASSERT_TRUE(tv.HasCaptureDevice());
    EXPECT_TRUE(tv.IsCaptureMpeg2());
    tv.SetChannel(5);
    tv.STvShow(true);
    EXPECT_TRUE(box_texts().empty());
    ASSERT_TRUE(tv.IsVideoShown());

    // The chain's filters came in this order, after the capture filter and the sound renderer.
    auto names = tv.filter_names();
    auto at = [&](const char16_t* name) { return std::find(names.begin(), names.end(), name) - names.begin(); };
    ASSERT_EQ(tv.count_named(u"MPEG2 Demux"), 1);
    ASSERT_EQ(tv.count_named(u"vidTee"), 1);
    ASSERT_EQ(tv.count_named(u"audTee"), 1);
    EXPECT_LT(at(u"MPEG2 Demux"), at(u"vidTee"));
    EXPECT_LT(at(u"vidTee"), at(u"audTee"));

    HWND video = video_window();
    ASSERT_TRUE(video);
    EXPECT_EQ(shown_picture(video, sim::PictureSource::channel(5)), sim::PictureSource::channel(5));
    EXPECT_TRUE(audio_out_plays(tv.m_graph, tv.m_audioRenderer));
    tv.SetChannel(9);
    EXPECT_EQ(shown_picture(video, sim::PictureSource::channel(9)), sim::PictureSource::channel(9));

    // Shown again after a teardown, the chain is made anew, once.
    CComPtr<IBaseFilter> first = tv.named(u"MPEG2 Demux");
    tv.STvShow(false);
    tv.TearDownGraph();
    EXPECT_EQ(tv.count_named(u"MPEG2 Demux"), 0);
    tv.STvShow(true);
    EXPECT_TRUE(box_texts().empty());
    EXPECT_EQ(tv.count_named(u"MPEG2 Demux"), 1);
    EXPECT_EQ(tv.count_named(u"vidTee"), 1);
    EXPECT_NE(tv.named(u"MPEG2 Demux").p, first.p);
    video = video_window();
    ASSERT_TRUE(video);
    EXPECT_EQ(shown_picture(video, sim::PictureSource::channel(9)), sim::PictureSource::channel(9));
    tv.STvShow(false);
}

TEST_F(EngineMpeg2, TheCardIsRecordedToAnAviFileWithItsPictureAndSound)
{
    sim::install_cards({ mpeg2_card() });
    std::string file = folder / "match.avi";
    {
        Mpeg2Tv tv(client);
        ASSERT_TRUE(tv.HasCaptureDevice());
        tv.SetChannel(7);
        ASSERT_TRUE(tv.StartCapture(windows("match.avi").c_str(), nullptr, nullptr, nullptr));
        EXPECT_TRUE(box_texts().empty());
        EXPECT_EQ(tv.count_named(u"MPEG2 Demux"), 1);
        for (int i = 0; i < 20000 && tv.GetFileSize() < 8 * 1024 * 1024; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ASSERT_TRUE(tv.StopRecording(true));
        tv.STvShow(false);
    }
    EXPECT_TRUE(box_texts().empty());

    dshow::AviReader reader;
    ASSERT_EQ(reader.open(file), S_OK) << reader.problem();
    ASSERT_EQ(reader.streams().size(), 2u);
    const auto& video = reader.streams()[0];
    ASSERT_TRUE(video.video);
    EXPECT_EQ(video.bitmap.biWidth, 720);
    EXPECT_EQ(video.bitmap.biHeight, 480);
    std::vector<BYTE> frame;
    for (std::size_t n = 0; frame.empty() && n < video.chunks; ++n)
        ASSERT_EQ(reader.read_frame(0, n, frame), S_OK);
    ASSERT_FALSE(frame.empty());
    auto seen = sim::identify_picture(frame.data(), 720, 480);
    ASSERT_TRUE(seen);
    EXPECT_EQ(seen->source, sim::PictureSource::channel(7));

    if (!test_support::have_ffprobe())
        GTEST_SKIP() << "ffprobe is not installed";
    auto pictures = test_support::ffprobe(file, "v:0", "stream=nb_read_frames,width,height");
    ASSERT_FALSE(pictures["nb_read_frames"].empty()) << pictures["error"];
    EXPECT_GT(std::stoi(pictures["nb_read_frames"]), 0);
    EXPECT_EQ(pictures["height"], "480");
    auto sound = test_support::ffprobe(file, "a:0", "stream=codec_name,sample_rate,channels,nb_read_frames");
    EXPECT_EQ(sound["codec_name"], "mp2") << sound["error"];
    EXPECT_EQ(sound["sample_rate"], "48000");
    EXPECT_EQ(sound["channels"], "2");
    ASSERT_FALSE(sound["nb_read_frames"].empty());
    EXPECT_GT(std::stoi(sound["nb_read_frames"]), 0);
}

}
