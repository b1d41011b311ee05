#pragma once

// The fixture of the encoder tests: COM with the graph and encoder classes, a virtual clock, the
// default TV card and sound card, every message box journalled, a folder for the files, and the
// check that every COM object and BSTR is gone at the end. Helpers set an encoder up the way a
// program does, and run it for a stretch of virtual time.

#include "EncoderMachine.h"
#include "Ffprobe.h"
#include "TempHome.h"

#include <base/Clock.h>
#include <base/Path.h>
#include <base/Text.h>
#include <com/Apartment.h>
#include <com/ClassRegistry.h>
#include <com/ComPtr.h>
#include <com/ErrorInfo.h>
#include <dshow/DeviceEnumerator.h>
#include <dshow/FilterGraph.h>
#include <sim/SoundCard.h>
#include <sim/VirtualHardware.h>
#include <user/Testing.h>
#include <wmenc/Encoder.h>
#include <wmenc/Preview.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

namespace encoder_test {

inline std::u16string error_description()
{
    IErrorInfo* info = nullptr;
    if (GetErrorInfo(0, &info) != S_OK)
        return {};
    BSTR text = nullptr;
    info->GetDescription(&text);
    std::u16string result(text ? text : u"");
    SysFreeString(text);
    info->Release();
    return result;
}

using test_support::run_until;

class EncoderTest : public testing::Test {
public:
    // An encoder with the group "SG_1" active, the sources wanted, and the profile `profile`.
    struct Setup {
        CComPtr<IWMEncoder> encoder;
        CComPtr<IWMEncSourceGroup> group;
        CComPtr<IWMEncSource> audio;
        CComPtr<IWMEncSource> video;
    };

protected:
    void SetUp() override
    {
        machine = std::make_unique<test_support::EncoderMachine>();
        user::testing::reset();
        folder = test_support::make_temp_dir("wmenc");
        objects = com::live_objects();
        bstrs = com::outstanding_bstrs();
    }
    void TearDown() override
    {
        SetErrorInfo(0, nullptr);
        EXPECT_EQ(com::live_objects(), objects);
        EXPECT_EQ(com::outstanding_bstrs(), bstrs);
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all, std::filesystem::perm_options::add);
        std::filesystem::remove_all(folder);
        user::testing::reset();
        machine.reset();
    }

    std::string path(const char* name) const { return folder + "/" + name; }

    static Setup make_encoder(bool video, const char16_t* profile, const std::string& file)
    {
        Setup s;
        EXPECT_EQ(CoCreateInstance(CLSID_WMEncoder, nullptr, CLSCTX_INPROC_SERVER, IID_IWMEncoder, reinterpret_cast<void**>(&s.encoder)), S_OK);
        CComPtr<IWMEncSourceGroupCollection> groups;
        s.encoder->get_SourceGroupCollection(&groups);
        EXPECT_EQ(groups->Add(u"SG_1", &s.group), S_OK);
        EXPECT_EQ(groups->put_Active(s.group), S_OK);
        if (video) {
            EXPECT_EQ(s.group->AddSource(WMENC_VIDEO, &s.video), S_OK);
            EXPECT_EQ(s.video->SetInput(u"DEVICE://Sim TV Card", u"", u""), S_OK);
        }
        EXPECT_EQ(s.group->AddSource(WMENC_AUDIO, &s.audio), S_OK);
        EXPECT_EQ(s.audio->SetInput(u"DEVICE://Default_Audio_Device", u"", u""), S_OK);
        if (profile)
            set_profile(s.encoder, s.group, profile);
        CComPtr<IWMEncFile> out;
        s.encoder->get_File(&out);
        out->put_LocalFileName(base::to_utf16(base::to_windows_path(file)).c_str());
        return s;
    }
    static void set_profile(IWMEncoder* encoder, IWMEncSourceGroup* group, const std::u16string& name)
    {
        EXPECT_TRUE(test_support::set_profile(encoder, group, name)) << "no profile of that name";
    }
    static LONG archived(IWMEncoder* encoder, bool size)
    {
        CComPtr<IWMEncStatistics> stats;
        encoder->get_Statistics(&stats);
        CComPtr<IDispatch> any;
        stats->get_FileArchiveStats(&any);
        CComPtr<IWMEncFileArchiveStats> archive;
        any->QueryInterface(IID_IWMEncFileArchiveStats, reinterpret_cast<void**>(&archive));
        LONG value = -1;
        if (size)
            archive->get_FileSize(&value);
        else
            archive->get_FileDuration(&value);
        return value;
    }

    std::unique_ptr<test_support::EncoderMachine> machine;
    std::string folder;
    std::int64_t objects = 0;
    std::int64_t bstrs = 0;
};

}
