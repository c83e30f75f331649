#pragma once
// Worker threads over std::jthread. A stop is cooperative: it requests stop on
// the worker's stop token, which also ends its HTTP transfer in flight.

#include <cstdint>
#include <functional>
#include <stop_token>

namespace lumikko {

// 0 means no worker.
using WorkerHandle = std::uint32_t;

// Starts `routine` on a new thread and returns its handle at once. When `link`
// is given, a stop requested on it stops this worker as well (a list load's
// stop reaches the thumbnail loader it started).
WorkerHandle start_worker(std::function<void(std::stop_token)> routine, std::stop_token link = {});

// Requests stop of that worker; no effect for 0 or a worker that has ended.
// Does not wait.
void stop_worker(WorkerHandle handle);

// Requests stop of every worker and joins them all. Used at exit; afterwards
// new workers may still be started (tests run many windows in one process).
void stop_and_join_all_workers();

// Number of workers that have not finished yet (for tests).
int running_workers();

} // namespace lumikko
