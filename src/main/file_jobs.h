#pragma once

#include "frontend/job.h"
#include "frontend/job_queue.h"
#include "main/window_context.h"
#include "workers/commands.h"
#include "workers/mailbox.h"

#include <memory>
#include <optional>
#include <string>

class PanelController;
class ProgressStrip;

// The file jobs the user's commands build (copies, moves, deletes, transfers, permissions): the
// entries queued as records, the panels taken for the job as it is posted, and its end, which
// gives them back. The strip shows the job while it runs.
class FileJobs {
public:
    FileJobs(const WindowContext& context, ProgressStrip& strip)
        : context_(context), strip_(strip) {}

    // The entries of the job being built.
    QueueList& jobs() { return Jobs; }
    // Adds the marked rows of the panel (never "[..]") to the job being built.
    void queueMarked(PanelController& panel, const std::string& target);

    // Posts a file job; false (and nothing posted) when it is empty or a command runs.
    template <class Command>
    bool post(Mailbox& mailbox, Command command, std::optional<JobQueue> queue) {
        std::optional<JobWork> work = start(std::move(queue));
        if (!work)
            return false;
        command.work = *work;
        posted(work->job, mailbox.post(std::move(command)));
        return true;
    }

    // The job has ended: the strip comes to rest and the panels come back. GUI thread.
    void end(const std::shared_ptr<Job>& job, int finishKind);

private:
    // Takes the panels for a job, or nothing when it is empty or a command runs.
    std::optional<JobWork> start(std::optional<JobQueue> queue);
    void posted(const std::shared_ptr<Job>& job, PostResult result);

    const WindowContext& context_;
    ProgressStrip& strip_;
    QueueList Jobs;
};
