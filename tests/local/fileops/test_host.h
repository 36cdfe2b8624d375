#pragma once

#include "local/fileops/data_path.h"
#include "local/fileops/walk_host.h"

#include <deque>
#include <functional>
#include <mutex>
#include <stop_token>
#include <string>
#include <vector>

// Answers a walk's questions from a script (Yes when it runs out), records its failures and
// lets a test stop it at a chosen moment.
class TestHost : public tarvo::fileops::WalkHost {
public:
    bool replaceExisting(const std::string& targetPath) override {
        asked.push_back(targetPath);
        if (answers.empty())
            return true;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void started(const std::string& sourcePath, std::int64_t) override {
        std::lock_guard lock(progressMutex);
        startedPaths.push_back(sourcePath);
    }
    void moved(std::int64_t bytes) override {
        std::lock_guard lock(progressMutex);
        bytesMoved += bytes;
        if (onMoved)
            onMoved();
    }
    void failed(const tarvo::fileops::Failure& failure) override { failures.push_back(failure); }

    std::stop_source stop;
    std::deque<bool> answers;
    std::vector<std::string> asked;
    std::vector<std::string> startedPaths;
    std::vector<tarvo::fileops::Failure> failures;
    std::int64_t bytesMoved = 0;
    std::function<void()> onMoved;
    std::mutex progressMutex; // progress comes from several threads
};

// The kernel's path without block sharing, so that data moves in steps a test can stop, and
// failing every step with `error` once `failAfter` bytes went through (never with error 0).
class SteppedDataPath : public tarvo::fileops::DataPath {
public:
    explicit SteppedDataPath(int error = 0, std::int64_t failAfter = 0)
        : error_(error), failAfter_(failAfter) {}

    std::int64_t move(const tarvo::fileops::DataStep& step) override {
        if (error_ != 0 && moved_ >= failAfter_)
            return -error_;
        const std::int64_t done = tarvo::fileops::kernelDataPath().move(step);
        if (done > 0)
            moved_ += done;
        return done;
    }
    int clone(int, int) override { return EOPNOTSUPP; }

private:
    int error_;
    std::int64_t failAfter_;
    std::int64_t moved_ = 0;
};
