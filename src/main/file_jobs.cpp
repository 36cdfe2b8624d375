#include "main/file_jobs.h"

#include "app/job_frame.h"
#include "main/command_gate.h"
#include "main/panel_controller.h"
#include "main/panel_pair.h"
#include "main/progress_strip.h"
#include "platform/ui_bridge.h"

namespace listing = tarvo::listing;

void FileJobs::queueMarked(PanelController& source, const std::string& target) {
    const PanelModel& model = source.model();
    const std::string folder = source.origin().Folder;
    for (const int row : model.markedRows()) {
        const listing::SearchRecord* record = model.recordAt(row);
        if (record == nullptr)
            continue; // "[..]" is never worked on
        Jobs.AddItem({folder, target, record->Name,
                      model.kindOf(row) == PanelModel::RowKind::Folder, record->IsSymlink, row,
                      record->Mode, record->Size});
    }
}

std::optional<JobWork> FileJobs::start(std::optional<JobQueue> queue) {
    if (!queue || !context_.gate.take())
        return std::nullopt;
    const JobWork work{std::make_shared<Job>(),
                       std::make_shared<const JobQueue>(std::move(*queue))};
    // The panels go at once, not when the worker starts: no second command can slip in.
    context_.panels.setEnabled(false);
    strip_.startJob(work.job);
    return work;
}

void FileJobs::posted(const std::shared_ptr<Job>& job, PostResult result) {
    // A job posted while the worker finishes a short command (a folder being read) waits for
    // it; one the worker refuses gives the panels back, in order with what else was posted.
    if (result == PostResult::Refused)
        context_.bridge.post([this, job] { end(job, JobFrame::kQuietFinish); });
    context_.gate.report(result);
}

void FileJobs::end(const std::shared_ptr<Job>& job, int finishKind) {
    if (!strip_.endJob(job, finishKind))
        return;
    context_.panels.setEnabled(true);
    context_.panels.focusActiveGrid();
}
