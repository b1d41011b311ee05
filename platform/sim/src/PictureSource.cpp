#include <sim/PictureSource.h>

namespace sim {

std::string label(const PictureSource& source)
{
    switch (source.kind) {
    case SourceKind::Channel:
        return std::to_string(source.number);
    case SourceKind::Input:
        return std::string("L").append(std::to_string(source.number));
    case SourceKind::Noise:
        break;
    }
    return {};
}

}
