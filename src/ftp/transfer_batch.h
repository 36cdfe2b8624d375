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

int downloadMarked(const TransferBatch& batch, const JobQueue& queue, LocalExplorer& target);
int uploadMarked(const TransferBatch& batch, const JobQueue& queue);
