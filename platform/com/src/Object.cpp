#include <com/Object.h>

namespace com {

static std::atomic<std::int64_t> s_live_objects { 0 };

std::int64_t live_objects() { return s_live_objects.load(); }

namespace detail {
void object_created() { ++s_live_objects; }
void object_destroyed() { --s_live_objects; }
}

}
