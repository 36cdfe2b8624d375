#include "ftp/remote_walk_bound.h"

#include <vector>

bool RemoteWalkBound::enter(const std::string& path, int depth) {
    if (stopped())
        return false;
    if (depth > kMaxDepth || !visited_.insert(normalisedRemotePath(path)).second)
        stoppedAt_ = path;
    return !stopped();
}

std::string normalisedRemotePath(std::string_view path) {
    std::vector<std::string_view> parts;
    while (!path.empty()) {
        const std::size_t slash = path.find('/');
        const std::string_view part = path.substr(0, slash);
        path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
    }
    std::string normalised;
    for (const std::string_view part : parts) {
        normalised += '/';
        normalised += part;
    }
    return normalised.empty() ? "/" : normalised;
}
