#pragma once

#include <cstdint>
#include <string>

namespace tarvo::fileops {

// What went wrong with one entry; the caller words it.
enum class Problem {
    CopyFailed,       // a copy or move of an entry failed
    SameEntry,        // source and target are one entry
    IntoItself,       // a folder would go into its own subtree
    Socket,           // sockets cannot be copied
    FolderNotMade,    // a target folder could not be made
    FileNotDeleted,   // an entry (a file, link or node) could not be removed
    FolderNotDeleted, // a folder could not be removed
};

struct Failure {
    Problem problem;
    int error = 0;    // errno, 0 for a refusal
    std::string path; // the entry it concerns

    bool diskFull() const;
};

// What a walk asks of whoever runs it: questions, progress and failures. Questions and failures
// come one at a time; progress (started, moved) may come from several threads at once, as files
// are copied side by side. A walk stops at its next check after the caller's stop request,
// which the host may make itself (a Cancel answer, a full disk).
class WalkHost {
public:
    virtual ~WalkHost() = default;

    // An entry of that path is in the way of a file: true replaces it.
    virtual bool replaceExisting(const std::string& targetPath) = 0;
    // Work on an entry begins; `bytes` is the size of a file whose data is about to move
    // (0 for anything else).
    virtual void started(const std::string& sourcePath, std::int64_t bytes) = 0;
    virtual void moved(std::int64_t bytes) = 0;
    virtual void failed(const Failure& failure) = 0;
};

} // namespace tarvo::fileops
