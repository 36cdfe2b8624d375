#pragma once

#include "frontend/job.h"
#include "local/zip_jobs/zip_job.h"

#include <atomic>
#include <thread>

// One zip job on a thread of its own, started at construction and always joined, never
// killed: the cancel and the close are requests the job sees between blocks and entries.
class ZipThread {
public:
    ZipThread(ZipJob job, ZipJobHost& host);
    // Stops the job at its next step, whatever it is, and joins it.
    ~ZipThread();
    ZipThread(const ZipThread&) = delete;
    ZipThread& operator=(const ZipThread&) = delete;

    // True from creation until the job's end steps: no other job starts on the panel meanwhile.
    bool Busy() const { return busy_.load(); }

    // The cancel button: a pack stops between blocks and keeps the entries it completed; an
    // unpack goes on.
    void cancel();
    // The window's close: any job stops at its next step (an open question is answered by the
    // close itself); then joined.
    void stop();
    // Waits for the job to end by itself.
    void join();

private:
    void Execute();

    const ZipJob job_;
    ZipJobHost& host_;
    Job control_; // its stop; its item count is the files packed so far (ZipCount)
    std::atomic<bool> busy_{true};
    std::atomic<bool> packing_; // ZipPacking: the cancel acts on the job only while it is set
    std::thread thread_; // last: started once everything above exists
};
