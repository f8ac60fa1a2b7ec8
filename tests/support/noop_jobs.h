// A trial of the whole-run tests: one entry of the run's job table bound to
// a function that does nothing (and returns the empty value), chosen by the
// environment variable VLNT_NOOP_JOB. scripts/noop-jobs.sh tries each entry
// in turn and lists those that no test notices.
#pragma once

#include "app/run_jobs.h"

namespace testing_support {

// Binds the entry VLNT_NOOP_JOB names to a no-op; ends the program when the
// table has no such entry, so that a misspelt trial never passes unnoticed.
void applyNoOpJob(RunJobs& jobs);

}  // namespace testing_support
