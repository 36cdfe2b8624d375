#pragma once

#include <cstdint>
#include <string>

// A scratch folder under /tmp (or another base folder), removed with everything in it when the
// object goes away. The folder itself can be entered by every user, so tests may look at it as
// another user.
class TempTree {
public:
    explicit TempTree(const std::string& base = "/tmp");
    ~TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    const std::string& path() const { return root_; }
    std::string at(const std::string& relative) const { return root_ + "/" + relative; }

    // Each returns the full path of what it made; size is applied sparsely.
    std::string file(const std::string& relative, std::int64_t size = 0,
                     std::int64_t mtime = -1) const;
    std::string dir(const std::string& relative, unsigned mode = 0755) const;
    std::string symlink(const std::string& relative, const std::string& target) const;
    // Writes a file with that content, making the folders on the way.
    std::string write(const std::string& relative, const std::string& content) const;

private:
    std::string root_;
};
