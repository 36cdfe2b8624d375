#pragma once

#include "workers/command_worker.h"

// The local worker: copies and moves between the local panels and files dropped from other
// programs, and the make folder, rename and attribute changes of a local panel, so that the GUI
// thread never waits on the file system.
class TMonThreadL : public CommandWorker {
public:
    explicit TMonThreadL(Mailbox& mailbox) : CommandWorker(mailbox) {}
    ~TMonThreadL() override { stop(); }
};
