#pragma once

#include "frontend/frontend.h"
#include "frontend/job_queue.h"

#include <string>

class FTPCom;
class LocalExplorer;

// The download and upload of the marked rows, between the panel that shows the FTP session
// and the local one. Entries come as records taken when the command was posted: the remote
// folder is the queue's Source (download) or Target (upload). Each returns the finish kind of
// the batch: the batch's sticky answer when it went through, 2 (quiet) when it stopped.
struct TransferBatch {
    FTPCom& session;
    Frontend& screen;
    Job& job;
    PanelSide source;   // the panel the rows were marked in
    std::string action; // the status line's word before the file name
};

// Binds the session's transfers to a job and its action word for the scope's length (their
// progress and their stop are the job's); on every way out, a throw's too, the session is back on
// its own job.
class BatchScope {
public:
    BatchScope(FTPCom& session, Job* job, std::string action);
    ~BatchScope();
    BatchScope(const BatchScope&) = delete;
    BatchScope& operator=(const BatchScope&) = delete;

private:
    FTPCom& session_;
    std::string action_;
};

int downloadMarked(const TransferBatch& batch, const JobQueue& queue, LocalExplorer& target);
int uploadMarked(const TransferBatch& batch, const JobQueue& queue);
