#pragma once

// The enumerators of pins, filters and media types: each works on a snapshot taken when it is
// made and again at Reset, so callers may change the list while they walk it.

#include <com/Enumerator.h>
#include <dshow/FilterInterfaces.h>

namespace dshow::detail {

// Media types (IEnumMediaTypes): Next hands out CreateMediaType copies.
struct MediaTypeItems {
    using Element = MediaType;
    using Out = AM_MEDIA_TYPE;
    static AM_MEDIA_TYPE* hand_out(const MediaType& type) { return CreateMediaType(&type.get()); }
};

using PinEnumerator = com::SnapshotEnumerator<IEnumPins, com::InterfaceItems<IPin>>;
using FilterEnumerator = com::SnapshotEnumerator<IEnumFilters, com::InterfaceItems<IBaseFilter>>;
using MediaTypeEnumerator = com::SnapshotEnumerator<IEnumMediaTypes, MediaTypeItems>;

}
