#include <TestFilters.h>

#include <com/TaskMemory.h>
#include <dshow/MediaSample.h>

#include <gtest/gtest.h>

namespace {

using namespace test_filters;

class FilterBase : public testing::Test {
protected:
    void SetUp() override
    {
        objects = com::live_objects();
        blocks = com::outstanding_task_memory_blocks();
    }
    void TearDown() override
    {
        EXPECT_EQ(com::live_objects(), objects);
        EXPECT_EQ(com::outstanding_task_memory_blocks(), blocks);
    }
    std::int64_t objects {};
    std::int64_t blocks {};
};

TEST_F(FilterBase, ConnectAgreesOnATypeAndDisconnectBreaksOneEndOnly)
{
    auto* source = new Source({ pcm_type(), yuy2_type() });
    auto* sink = new Sink(MEDIATYPE_Video);
    ASSERT_EQ(source->out->Connect(sink->in, nullptr), S_OK);
    EXPECT_EQ(source->out->Connect(sink->in, nullptr), VFW_E_ALREADY_CONNECTED);

    AM_MEDIA_TYPE type {};
    ASSERT_EQ(sink->in->ConnectionMediaType(&type), S_OK);
    EXPECT_TRUE(IsEqualGUID(type.subtype, MEDIASUBTYPE_YUY2)); // the PCM type was skipped
    FreeMediaType(type);

    IPin* peer = nullptr;
    ASSERT_EQ(sink->in->ConnectedTo(&peer), S_OK);
    EXPECT_EQ(peer, static_cast<IPin*>(source->out));
    peer->Release();

    EXPECT_EQ(sink->in->Disconnect(), S_OK);
    EXPECT_EQ(sink->in->Disconnect(), S_FALSE);
    EXPECT_EQ(sink->in->ConnectedTo(&peer), VFW_E_NOT_CONNECTED);
    EXPECT_EQ(peer, nullptr);
    EXPECT_TRUE(source->out->is_connected()); // the other end still holds its peer
    EXPECT_EQ(source->out->Disconnect(), S_OK);

    source->Release();
    sink->Release();
}

TEST_F(FilterBase, ConnectRefusals)
{
    auto* source = new Source({ pcm_type() });
    auto* sink = new Sink(MEDIATYPE_Video);
    auto* other = new Source();
    EXPECT_EQ(source->out->Connect(sink->in, nullptr), VFW_E_NO_ACCEPTABLE_TYPES);
    EXPECT_EQ(other->out->Connect(source->out, nullptr), VFW_E_INVALID_DIRECTION);
    EXPECT_EQ(sink->in->Connect(other->out, nullptr), VFW_E_INVALID_DIRECTION);
    auto partial = dshow::MediaType::of(MEDIATYPE_Audio, GUID_NULL);
    EXPECT_EQ(other->out->Connect(sink->in, &partial.get()), VFW_E_NO_ACCEPTABLE_TYPES);
    ASSERT_EQ(sink->Pause(), S_OK);
    EXPECT_EQ(other->out->Connect(sink->in, nullptr), VFW_E_NOT_STOPPED);
    EXPECT_EQ(sink->Stop(), S_OK);
    EXPECT_EQ(other->out->Connect(sink->in, nullptr), S_OK);
    ASSERT_EQ(sink->Pause(), S_OK);
    EXPECT_EQ(sink->in->Disconnect(), VFW_E_NOT_STOPPED);
    sink->Stop();
    sink->in->Disconnect();
    other->out->Disconnect();
    for (dshow::BaseFilter* f : std::initializer_list<dshow::BaseFilter*> { source, sink, other })
        f->Release();
}

TEST_F(FilterBase, PinsShareTheFilterCountAndReportTheirInfo)
{
    auto* sink = new Sink();
    EXPECT_EQ(sink->in->AddRef(), 2u);
    EXPECT_EQ(sink->reference_count(), 2u);
    sink->in->Release();

    PIN_INFO info {};
    ASSERT_EQ(sink->in->QueryPinInfo(&info), S_OK);
    EXPECT_EQ(info.pFilter, static_cast<IBaseFilter*>(sink));
    EXPECT_EQ(info.dir, PINDIR_INPUT);
    EXPECT_EQ(std::u16string(info.achName), u"Input");
    info.pFilter->Release();

    IMemInputPin* mem = nullptr;
    ASSERT_EQ(sink->in->QueryInterface(IID_PPV_ARGS(&mem)), S_OK);
    IPin* back = nullptr;
    ASSERT_EQ(mem->QueryInterface(IID_PPV_ARGS(&back)), S_OK);
    EXPECT_EQ(back, static_cast<IPin*>(sink->in));
    IBaseFilter* not_a_filter = nullptr;
    EXPECT_EQ(back->QueryInterface(IID_PPV_ARGS(&not_a_filter)), E_NOINTERFACE);
    EXPECT_EQ(not_a_filter, nullptr);
    back->Release();
    mem->Release();

    LPWSTR id = nullptr;
    ASSERT_EQ(sink->in->QueryId(&id), S_OK);
    EXPECT_EQ(std::u16string(id), u"Input");
    CoTaskMemFree(id);

    IPin* found = nullptr;
    EXPECT_EQ(sink->FindPin(u"Input", &found), S_OK);
    found->Release();
    EXPECT_EQ(sink->FindPin(u"Output", &found), VFW_E_NOT_FOUND);
    EXPECT_EQ(found, nullptr);
    EXPECT_EQ(sink->Release(), 0u);
}

TEST_F(FilterBase, EnumeratorsWorkOnSnapshotsAndEndWithSFalse)
{
    auto* source = new Source({ yuy2_type(), rgb_type() });
    IEnumPins* pins = nullptr;
    ASSERT_EQ(source->EnumPins(&pins), S_OK);
    source->add_output(u"Preview", { yuy2_type() });
    IPin* pin = nullptr;
    EXPECT_EQ(pins->Next(1, &pin, nullptr), S_OK);
    pin->Release();
    EXPECT_EQ(pins->Next(1, &pin, nullptr), S_FALSE); // the new pin is not in the snapshot
    pins->Reset();
    IPin* two[3] = {};
    ULONG fetched = 0;
    EXPECT_EQ(pins->Next(3, two, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 2u);
    two[0]->Release();
    two[1]->Release();
    pins->Release();

    IEnumMediaTypes* types = nullptr;
    ASSERT_EQ(source->out->EnumMediaTypes(&types), S_OK);
    AM_MEDIA_TYPE* type = nullptr;
    ASSERT_EQ(types->Next(1, &type, nullptr), S_OK);
    EXPECT_TRUE(IsEqualGUID(type->subtype, MEDIASUBTYPE_YUY2));
    DeleteMediaType(type);
    EXPECT_EQ(types->Skip(1), S_OK);
    EXPECT_EQ(types->Next(1, &type, nullptr), S_FALSE);
    types->Release();
    source->Release();
}

TEST_F(FilterBase, SamplesFlowDownstreamWhileActiveWithTheirTimes)
{
    auto* source = new Source();
    auto* sink = new Sink();
    ASSERT_EQ(source->out->Connect(sink->in, nullptr), S_OK);
    const BYTE frame[16] = { 1, 2, 3 };
    EXPECT_EQ(source->out->deliver(frame, 0, 400000), VFW_E_NOT_COMMITTED);

    ASSERT_EQ(sink->Run(0), S_OK);
    ASSERT_EQ(source->Run(0), S_OK);
    FILTER_STATE state;
    EXPECT_EQ(source->GetState(0, &state), S_OK);
    EXPECT_EQ(state, State_Running);
    EXPECT_EQ(source->out->deliver(frame, 0, 400000), S_OK);
    EXPECT_EQ(source->out->deliver(frame, 400000, -1), S_OK);
    EXPECT_EQ(source->out->deliver_end_of_stream(), S_OK);
    EXPECT_EQ(sink->in->starts, (std::vector<REFERENCE_TIME> { 0, 400000 }));
    EXPECT_EQ(sink->in->lengths, (std::vector<LONG> { 16, 16 }));
    EXPECT_EQ(sink->in->ends, 1);

    // The allocator's buffer is the video image size; a larger payload is refused.
    std::vector<BYTE> huge(64 * 48 * 2 + 1);
    EXPECT_EQ(source->out->deliver(huge, 0, 1), VFW_E_BUFFER_OVERFLOW);

    sink->Stop();
    EXPECT_EQ(source->out->deliver(frame, 0, 1), VFW_E_WRONG_STATE);
    source->Stop();
    EXPECT_EQ(source->stops.size(), 1u);
    sink->in->Disconnect();
    source->out->Disconnect();
    source->Release();
    sink->Release();
}

TEST_F(FilterBase, FailedRunKeepsThePausedState)
{
    auto* source = new Source();
    source->run_result = E_FAIL;
    EXPECT_EQ(source->Run(0), E_FAIL);
    EXPECT_EQ(source->state(), State_Paused);
    source->Release();
}

TEST_F(FilterBase, AllocatorReusesReturnedSamplesAndLivesUntilTheyAreBack)
{
    auto* allocator = new dshow::MemAllocator;
    ALLOCATOR_PROPERTIES request { 2, 100, 1, 0 }, actual {};
    IMediaSample* sample = nullptr;
    EXPECT_EQ(allocator->Commit(), VFW_E_SIZENOTSET);
    ASSERT_EQ(allocator->SetProperties(&request, &actual), S_OK);
    EXPECT_EQ(allocator->GetBuffer(&sample, nullptr, nullptr, 0), VFW_E_NOT_COMMITTED);
    ASSERT_EQ(allocator->Commit(), S_OK);
    ASSERT_EQ(allocator->GetBuffer(&sample, nullptr, nullptr, 0), S_OK);
    EXPECT_EQ(sample->GetSize(), 100);
    EXPECT_EQ(sample->SetActualDataLength(101), VFW_E_BUFFER_OVERFLOW);
    REFERENCE_TIME start = 5, stop = 0;
    EXPECT_EQ(sample->GetTime(&start, &stop), VFW_E_SAMPLE_TIME_NOT_SET);
    sample->SetTime(&start, nullptr);
    EXPECT_EQ(sample->GetTime(&start, &stop), VFW_S_NO_STOP_TIME);
    IMediaSample* first = sample;
    EXPECT_EQ(allocator->outstanding(), 1);
    sample->Release();
    EXPECT_EQ(allocator->outstanding(), 0);
    ASSERT_EQ(allocator->GetBuffer(&sample, nullptr, nullptr, 0), S_OK);
    EXPECT_EQ(sample, first);
    EXPECT_EQ(sample->GetTime(&start, &stop), VFW_E_SAMPLE_TIME_NOT_SET); // fresh again
    allocator->Release(); // the sample keeps it alive
    sample->Release();
}

}
