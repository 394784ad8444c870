#include "BandFileWorker.h"
#include "ComPtr.h"
#include "ModuleThread.h"
#include "UniqueHandle.h"
#include <deque>
#include <mutex>

namespace kest {

struct BandFileWorker::State {
    std::mutex lock;
    std::deque<Job> queue;
    bool running = false;
};

BandFileWorker::BandFileWorker() : state_(std::make_shared<State>()) {}

BandFileWorker::~BandFileWorker() = default;

bool BandFileWorker::post(Job job) {
    std::lock_guard<std::mutex> guard(state_->lock);
    state_->queue.push_back(std::move(job));
    if (state_->running) return true;
    // The thread keeps the state, and the module, for as long as it runs.
    auto* threadState = new std::shared_ptr<State>(state_);
    const UniqueKernelHandle thread(CreateModuleThread(run, threadState));
    if (!thread) {
        delete threadState;
        state_->queue.pop_back();
        return false;
    }
    state_->running = true;
    return true;
}

DWORD WINAPI BandFileWorker::run(void* parameter) {
    {
        const std::unique_ptr<std::shared_ptr<State>> owner(static_cast<std::shared_ptr<State>*>(parameter));
        State& state = **owner;
        const ComInitialization com(COINIT_APARTMENTTHREADED);
        for (;;) {
            Job job;
            {
                std::lock_guard<std::mutex> guard(state.lock);
                if (state.queue.empty()) {
                    state.running = false;
                    break;
                }
                job = std::move(state.queue.front());
                state.queue.pop_front();
            }
            job();
        }
    }
    ExitModuleThread(0);
}

}  // namespace kest
