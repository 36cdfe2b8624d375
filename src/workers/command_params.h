#pragma once

#include "frontend/connect_fields.h"
#include "frontend/job.h"
#include "frontend/job_queue.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// What a command works on, copied from the main window when the command is posted. The worker
// reads only this copy, never the window's fields, which the GUI thread keeps changing.
struct CommandParams {
    int ActivePanel = 2; // 2 left, 1 right
    int TargetPanel = 0; // the panel a copy goes to, numbered alike
    int ActiveRow = 0;
    std::string SelectedName;
    int SelectedAttr = 0;
    int SelectedMode = 0;
    std::uint64_t SelectedSize = 0;
    std::vector<int> MarkedRows; // rows of the source panel, ascending

    // A folder to read into a panel (or the one a make folder or rename works in), and the
    // special folder to show.
    int FolderPanel = 0; // 2 left, 1 right
    std::string FolderPath;
    std::string Mask = "*.*";
    bool RecordVisit = false; // the folder goes into the panel's history once read
    int SpecialFolder = 0;    // SpecialFolderId

    // Long work: the job's own stop source and progress, and the entries it works on.
    std::shared_ptr<Job> job;
    std::shared_ptr<const JobQueue> queue;

    std::string NewName;   // a name the user typed for the command (a new folder, a rename)
    bool ReadOnly = false; // what an attribute change sets on the queue's entries
    ConnectFields Connect; // the connection bar, for a connect

    // A command typed in a command window, and where its log lines go (from the worker).
    std::string RawCommand;
    std::function<void(std::string)> RawLog;
};
