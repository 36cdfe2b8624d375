#pragma once

#include "frontend/job.h"
#include "local/zip_jobs/zip_job.h"

// Packs the job's items into its archive: asks before replacing an existing archive, names
// each file on the status line, reports every entry left out or failed in one box at the end
// (else beeps) and re-reads the panels. A stop of `control` ends it between blocks with the
// entries completed so far in the archive.
void runPack(const ZipJob& job, ZipJobHost& host, Job& control);
