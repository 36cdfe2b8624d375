#pragma once

#include "frontend/frontend.h"
#include "local/fileops/walk_host.h"

#include <atomic>
#include <cstdint>
#include <string>

class LanguageTable;

// What a file job's walks ask, answered for the user: the overwrite question and the failure
// boxes through the message service, in the active language; progress into the job's counters;
// the entry being worked on on the status line. A Cancel in any box stops the job, and so does
// a full disk, before its box; nothing more is said about a job that is stopping. Progress may
// come from several threads at once.
class FileJobHost : public tarvo::fileops::WalkHost {
public:
    // `action` is the status line's word for the work ("Copying", translated).
    FileJobHost(Frontend& frontend, const LanguageTable& texts, Job& job, std::string action);

    bool replaceExisting(const std::string& targetPath) override;
    void started(const std::string& sourcePath, std::int64_t bytes) override;
    void moved(std::int64_t bytes) override;
    void failed(const tarvo::fileops::Failure& failure) override;

private:
    Frontend& frontend_;
    const LanguageTable& texts_;
    Job& job_;
    const std::string action_;
    std::atomic<std::int64_t> lastShown_{0}; // steady-clock nanoseconds of the last status line
};
