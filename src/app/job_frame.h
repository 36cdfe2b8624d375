#pragma once

#include "frontend/frontend.h"
#include "frontend/job.h"

#include <memory>

// Ends a file job's display whatever way the worker leaves it: the quiet finish, without a
// beep.
class JobFrame {
public:
    JobFrame(Frontend& screen, std::shared_ptr<Job> job) : screen_(screen), job_(std::move(job)) {}
    ~JobFrame() { screen_.jobEnded(job_, kQuietFinish); }
    JobFrame(const JobFrame&) = delete;
    JobFrame& operator=(const JobFrame&) = delete;

    static constexpr int kQuietFinish = 2;

private:
    Frontend& screen_;
    std::shared_ptr<Job> job_;
};
