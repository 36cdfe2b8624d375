#pragma once

#include "workers/command_worker.h"

// The local worker: copies and moves between the local panels and files dropped from other
// programs, so that the GUI thread never waits on the file system.
class TMonThreadL : public CommandWorker {
public:
    explicit TMonThreadL(Mailbox& mailbox) : CommandWorker(mailbox) {}
    ~TMonThreadL() override { stop(); }
};
