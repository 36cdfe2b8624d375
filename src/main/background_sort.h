#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// Runs a panel's header sorts one after another on a thread of its own, so that sorting a large
// listing never holds up the screen. Only the newest sort waits: one asked for while another
// runs replaces any that has not started, whose result would be replaced at once anyway. The
// thread also frees the listings the screen let go.
class BackgroundSort {
public:
    BackgroundSort();
    // Lets a running sort finish and drops a waiting one.
    ~BackgroundSort();
    BackgroundSort(const BackgroundSort&) = delete;
    BackgroundSort& operator=(const BackgroundSort&) = delete;

    void start(std::function<void()> sort);
    void release(std::shared_ptr<const void> garbage);

private:
    void run(std::stop_token stop);

    std::mutex mutex_;
    std::condition_variable_any wake_;
    std::function<void()> waiting_;
    std::vector<std::shared_ptr<const void>> garbage_;
    std::jthread thread_; // last: stopped and joined before the fields above go
};
