#pragma once

// The item lists of list boxes and combo boxes: the sorted insertion point and the searches of
// LB_FINDSTRING, LB_FINDSTRINGEXACT and LB_SELECTSTRING (and their CB_ twins).

#include <base/Types.h>

#include <string>
#include <vector>

namespace user::controls {

struct ListItem {
    std::string text;
    ULONG_PTR data = 0;
};

// The index before which text goes in a list sorted without regard to case (after equal items).
int sorted_position(const std::vector<ListItem>& items, const std::string& text);
// The first item after `after` (-1: from the top), wrapping round to the start, whose text
// begins with (or, exact, equals) text, ignoring case; -1 when there is none.
int find_item(const std::vector<ListItem>& items, int after, const char* text, bool exact);

}
