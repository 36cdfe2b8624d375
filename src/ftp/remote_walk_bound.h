#pragma once

#include <string>
#include <string_view>
#include <unordered_set>

// Where a walk of a server's folder tree stops. A server may list a folder inside itself, one
// level deeper each time, without end: no real tree goes deeper than kMaxDepth levels below the
// folder walked, and no walk enters a folder twice (the same path once "." and ".." are
// resolved). Once stopped, a walk stays stopped, and stoppedAt() names the folder refused.
class RemoteWalkBound {
public:
    static constexpr int kMaxDepth = 256;

    // The walk goes into `path`, `depth` levels below the folder walked (0 for that folder
    // itself): false when it must stop.
    bool enter(const std::string& path, int depth);
    bool stopped() const { return !stoppedAt_.empty(); }
    const std::string& stoppedAt() const { return stoppedAt_; }

private:
    std::unordered_set<std::string> visited_;
    std::string stoppedAt_;
};

// The path with empty, "." and ".." components resolved ("/a//b/./../c" is "/a/c").
std::string normalisedRemotePath(std::string_view path);
