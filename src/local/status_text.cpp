#include "local/status_text.h"

#include <cstddef>

namespace {
constexpr int kShownCharacters = 25;

bool continuesCharacter(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}
} // namespace

std::string shortenedName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    int characters = 0;
    for (std::size_t at = 0; at < name.size(); ++at) {
        if (continuesCharacter(static_cast<unsigned char>(name[at])))
            continue;
        if (characters == kShownCharacters)
            return name.substr(0, at) + "...";
        ++characters;
    }
    return name;
}
