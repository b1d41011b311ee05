#include <sim/PictureSource.h>

namespace sim {

std::string label(const PictureSource& source)
{
    switch (source.kind) {
    case SourceKind::Channel:
        return std::to_string(source.number);
    case SourceKind::Input:
    {
        // Appended rather than concatenated: GCC 12 warns falsely about the temporary's copy.
        std::string text = "L";
        text += std::to_string(source.number);
        return text;
    }
    case SourceKind::Noise:
        break;
    }
    return {};
}

}
