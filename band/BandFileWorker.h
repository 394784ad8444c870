#pragma once
// A thread of the band for the reads and writes of a file that several bands share, so that
// the window thread never waits on the disk or on another band's lock. Jobs run one after the
// other, in the order they were posted, on a single-threaded COM apartment (MSXML needs one).
// The thread starts when a job is posted and none runs, and ends when no job is left; it
// holds the module while it runs (see ModuleThread), and its jobs hold what they need, so a
// thread left behind by a closed bar finishes its jobs and ends on its own.
#include <windows.h>
#include <functional>
#include <memory>

namespace kest {

class BandFileWorker {
public:
    using Job = std::function<void()>;

    BandFileWorker();
    // Returns at once; posted jobs still run.
    ~BandFileWorker();
    BandFileWorker(const BandFileWorker&) = delete;
    BandFileWorker& operator=(const BandFileWorker&) = delete;

    // Queues job; false when no thread could be started for it (the job is dropped).
    bool post(Job job);

private:
    struct State;
    static DWORD WINAPI run(void* state);

    std::shared_ptr<State> state_;
};

}  // namespace kest
