// Sorted insertion and searching in list box and combo box items.

#include "ListSearch.h"
#include "Control.h"

#include <base/Text.h>

namespace user::controls {

int sorted_position(const std::vector<ListItem>& items, const std::string& text)
{
    int index = 0;
    for (const ListItem& item : items) {
        if (lstrcmpiA(item.text.c_str(), text.c_str()) > 0)
            break;
        ++index;
    }
    return index;
}

int find_item(const std::vector<ListItem>& items, int after, const char* text, bool exact)
{
    if (!text)
        return -1;
    int n = static_cast<int>(items.size());
    if (after < -1 || after >= n)
        after = -1;
    std::string wanted = text;
    for (int step = 1; step <= n; ++step) {
        int i = (after + step) % n;
        const std::string& s = items[static_cast<std::size_t>(i)].text;
        if (exact ? same_text(s, wanted) : has_prefix(s, wanted))
            return i;
    }
    return -1;
}

}
