#include "local/status_text.h"

#include "platform/posix/path.h"

#include <cstddef>

namespace {
constexpr int kShownCharacters = 25;

bool continuesCharacter(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}
} // namespace

std::string shortenedName(const std::string& path) {
    const std::string name = nameOf(path);
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
