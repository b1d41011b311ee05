#include "Associations.h"

#include "Names.h"

#include <registry/Registry.h>

#include <string>

namespace registry {

namespace {

void set_default(Key& key, const std::string& text)
{
    Value value;
    value.type = REG_SZ;
    value.data.assign(text.begin(), text.end());
    value.data.push_back(0);
    key.values[""] = std::move(value);
}

}

void ensure_web_association(Key& root, const FILETIME& now)
{
    if (root.find({ ".htm" }))
        return;
    set_default(root.make({ ".htm" }, now), "htmlfile");
    Key& command = root.make({ "htmlfile", "shell", "open", "command" }, now);
    if (!command.value(""))
        set_default(command, "xdg-open \"%1\"");
}

}
