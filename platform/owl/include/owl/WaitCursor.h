#pragma once

// TWaitCursor: the hourglass for as long as the object lives.
//
//     void TClient::CmStop()
//     {
//         OWL::TWaitCursor wait;
//         ... long work ...
//     }   // the cursor from before comes back
//
// They nest on a thread: an inner one keeps the hourglass up and only the outermost, ending, puts
// back the cursor that was current when it began.

#include <base/Types.h>

namespace OWL {

class TWaitCursor {
public:
    TWaitCursor();
    ~TWaitCursor();
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;

private:
    static thread_local int s_depth;
    static thread_local HCURSOR s_saved;
};

}
