#pragma once

// dshow::MemAllocator, the layer's memory allocator, and the samples it hands out.
//
// An output pin makes one at connection (OutputPin does this), sets the buffer size the media
// type needs and commits it when the filter pauses. GetBuffer never blocks: it reuses a sample
// that came back or makes a new one, so a downstream filter may keep samples as long as it likes.
// A sample returns to its allocator when its last reference goes; while out it holds a reference
// to the allocator, so the allocator lives until every sample is back.
//
//     IMediaSample* sample = nullptr;
//     allocator->GetBuffer(&sample, nullptr, nullptr, 0);
//     BYTE* data; sample->GetPointer(&data); ... fill ...
//     sample->SetActualDataLength(size); sample->SetTime(&start, &stop);
//     input->Receive(sample);
//     sample->Release();

#include <com/Object.h>
#include <dshow/SampleInterfaces.h>

#include <mutex>
#include <vector>

namespace dshow {

class MemAllocator final : public com::Object<IMemAllocator> {
public:
    MemAllocator();
    ~MemAllocator() override;

    STDMETHODIMP SetProperties(ALLOCATOR_PROPERTIES* request, ALLOCATOR_PROPERTIES* actual) override;
    STDMETHODIMP GetProperties(ALLOCATOR_PROPERTIES* properties) override;
    STDMETHODIMP Commit() override;
    STDMETHODIMP Decommit() override;
    STDMETHODIMP GetBuffer(IMediaSample** sample, REFERENCE_TIME* start, REFERENCE_TIME* stop, DWORD flags) override;
    STDMETHODIMP ReleaseBuffer(IMediaSample* sample) override;

    // Samples handed out and not back yet.
    int outstanding() const;

private:
    class Sample;
    friend class Sample;
    void take_back(Sample* sample);

    mutable std::mutex m_lock;
    ALLOCATOR_PROPERTIES m_properties {};
    bool m_committed { false };
    bool m_properties_set { false };
    int m_outstanding { 0 };
    std::vector<Sample*> m_free;
};

}
