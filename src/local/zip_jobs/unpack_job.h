#pragma once

#include "frontend/job.h"
#include "local/zip_jobs/zip_job.h"

// Unpacks the job's archive, or the entries of its selection, into its folder: asks before
// replacing an existing file, names each entry on the status line, reports every entry it could
// not write in one box at the end (else beeps) and has the panels re-read. A stop of `control`
// ends it before the next entry.
void runUnpack(const ZipJob& job, ZipJobHost& host, Job& control);
