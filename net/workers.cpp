#include "net/workers.h"

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace lumikko {

namespace {

// Passes a stop on the link to the worker's own stop source.
struct ForwardStop {
    std::stop_source target;
    void operator()() const noexcept { target.request_stop(); }
};

struct Worker {
    std::shared_ptr<std::atomic<bool>> finished;
    // Declared after the thread so that it goes first: the link stops reaching
    // the worker before the thread is joined.
    std::jthread thread;
    std::unique_ptr<std::stop_callback<ForwardStop>> link;
};

std::mutex registry_mutex;
std::map<WorkerHandle, Worker> registry;
WorkerHandle last_handle = 0;

// Takes the finished workers out of the registry; the caller joins them
// (by letting them go) without holding the lock.
std::vector<Worker> take_finished() {
    std::vector<Worker> done;
    for (auto it = registry.begin(); it != registry.end();) {
        if (it->second.finished->load()) {
            done.push_back(std::move(it->second));
            it = registry.erase(it);
        } else {
            ++it;
        }
    }
    return done;
}

} // namespace

WorkerHandle start_worker(std::function<void(std::stop_token)> routine, std::stop_token link) {
    Worker worker;
    worker.finished = std::make_shared<std::atomic<bool>>(false);
    worker.thread = std::jthread(
        [routine = std::move(routine), finished = worker.finished](std::stop_token stop) {
            try {
                routine(stop);
            } catch (...) {
                // A worker that fails simply ends; the screen shows less.
            }
            finished->store(true);
        });
    // Set up before the lock is taken: when the link has already stopped, the
    // forward runs right here, and with it whatever the worker hung on its token.
    if (link.stop_possible())
        worker.link = std::make_unique<std::stop_callback<ForwardStop>>(
            link, ForwardStop{worker.thread.get_stop_source()});

    std::vector<Worker> reaped; // joined after the lock is released
    std::lock_guard lock(registry_mutex);
    reaped = take_finished();
    // Handles are never reused within a run, and never 0.
    if (++last_handle == 0)
        ++last_handle;
    registry.emplace(last_handle, std::move(worker));
    return last_handle;
}

void stop_worker(WorkerHandle handle) {
    std::stop_source source = std::stop_source(std::nostopstate);
    {
        std::lock_guard lock(registry_mutex);
        const auto it = registry.find(handle);
        if (it == registry.end() || it->second.finished->load())
            return;
        source = it->second.thread.get_stop_source();
    }
    // Outside the lock: the stop runs callbacks that may start or stop workers.
    source.request_stop();
}

void stop_and_join_all_workers() {
    for (;;) {
        std::map<WorkerHandle, Worker> taken;
        {
            std::lock_guard lock(registry_mutex);
            taken.swap(registry);
        }
        if (taken.empty())
            return;
        for (auto& [handle, worker] : taken)
            worker.thread.request_stop();
        for (auto& [handle, worker] : taken)
            worker.thread.join();
        // Workers started meanwhile (a loader starting its thumbnail loader) are
        // in the registry again; the next round takes them.
    }
}

int running_workers() {
    std::lock_guard lock(registry_mutex);
    int count = 0;
    for (const auto& [handle, worker] : registry)
        count += worker.finished->load() ? 0 : 1;
    return count;
}

} // namespace lumikko
