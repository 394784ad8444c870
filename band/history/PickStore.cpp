#include "PickStore.h"
#include "ComPtr.h"
#include "ModuleThread.h"
#include "UniqueHandle.h"
#include "search/BestMatch.h"
#include <mutex>
#include <utility>

namespace kest {

namespace {

// Held while a band reads, changes and writes the picks file.
constexpr const wchar_t* PickFileMutexName = L"Local\\Brindlewood.Kestrune.PickFile";
// A band that died holding the mutex, or a hung one, delays a save this long at most.
constexpr DWORD PickFileLockWait = 2000;

class PickFileLock {
public:
    PickFileLock() : mutex_(CreateMutexW(nullptr, FALSE, PickFileMutexName)) {
        if (!mutex_) return;
        const DWORD waited = WaitForSingleObject(mutex_.get(), PickFileLockWait);
        held_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    }
    PickFileLock(const PickFileLock&) = delete;
    PickFileLock& operator=(const PickFileLock&) = delete;
    ~PickFileLock() {
        if (held_) ReleaseMutex(mutex_.get());
    }

private:
    UniqueKernelHandle mutex_;
    bool held_ = false;
};

}  // namespace

struct PickStore::State {
    HWND window = nullptr;
    UINT readyMessage = 0;
    UniqueKernelHandle wake{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    std::mutex lock;
    // Guarded by lock.
    bool stopping = false;
    bool readRequested = true;
    LearnedPicks unsaved;      // recorded, not yet in the file
    bool saveRequested = false;
    LearnedPicks result;       // what the file held at the last read or save, with the unsaved picks
    bool resultWaiting = false;
    bool savedSinceTaken = false;
    bool working = true;

    // One round: read the file and, when picks wait, save them with it.
    void work() {
        LearnedPicks saving;
        {
            std::lock_guard<std::mutex> guard(lock);
            readRequested = false;
            saving = unsaved;
            saveRequested = false;
        }
        const std::wstring path = pickFilePath();
        LearnedPicks merged;
        bool saved = false;
        {
            PickFileLock fileLock;
            const PickFileState state = readPickFile(path, merged);
            mergePicks(merged, saving);
            // A damaged or foreign file is replaced by what could be kept.
            if (!saving.empty() || state == PickFileState::Unusable) saved = writePickFile(path, merged);
        }
        std::lock_guard<std::mutex> guard(lock);
        if (saved) {
            for (const auto& [text, pick] : saving) {
                const auto found = unsaved.find(text);
                if (found != unsaved.end() && found->second == pick) unsaved.erase(found);
            }
            savedSinceTaken = true;
        }
        result = std::move(merged);
        resultWaiting = true;
        if (window) PostMessageW(window, readyMessage, 0, 0);
    }
};

PickStore::PickStore(HWND window, UINT readyMessage) : state_(std::make_shared<State>()) {
    state_->window = window;
    state_->readyMessage = readyMessage;
    // The thread keeps the state, and the module, for as long as it runs.
    auto* threadState = new std::shared_ptr<State>(state_);
    UniqueKernelHandle thread(CreateModuleThread(run, threadState));
    if (!thread) {
        delete threadState;
        state_->working = false;
    }
}

PickStore::~PickStore() {
    {
        std::lock_guard<std::mutex> guard(state_->lock);
        state_->stopping = true;
        state_->window = nullptr;
    }
    SetEvent(state_->wake.get());
}

DWORD WINAPI PickStore::run(void* parameter) {
    {
        const std::unique_ptr<std::shared_ptr<State>> owner(static_cast<std::shared_ptr<State>*>(parameter));
        State& state = **owner;
        ComInitialization com(COINIT_APARTMENTTHREADED);
        for (;;) {
            bool due = false, stopping = false;
            {
                std::lock_guard<std::mutex> guard(state.lock);
                stopping = state.stopping;
                due = state.readRequested || state.saveRequested;
                // At the end, a last attempt for the picks not yet saved.
                if (stopping) due = !state.unsaved.empty();
                state.working = due;
            }
            if (due) state.work();
            if (stopping) break;
            if (!due) WaitForSingleObject(state.wake.get(), INFINITE);
        }
    }
    ExitModuleThread(0);
}

void PickStore::reload() {
    {
        std::lock_guard<std::mutex> guard(state_->lock);
        state_->readRequested = true;
        state_->working = true;
    }
    SetEvent(state_->wake.get());
}

void PickStore::record(const std::wstring& typedText, const std::wstring& executable, const std::wstring& arguments,
                       const std::wstring& name) {
    const std::wstring key = pickKey(typedText);
    if (key.empty()) return;
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    LearnedPick pick{executable, arguments, name,
                     (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime};
    // Two picks within one clock step still keep their order.
    if (const auto found = picks_.find(key); found != picks_.end() && found->second.time >= pick.time)
        pick.time = found->second.time + 1;
    LearnedPicks one{{key, pick}};
    mergePicks(picks_, one);
    {
        std::lock_guard<std::mutex> guard(state_->lock);
        mergePicks(state_->unsaved, one);
        state_->saveRequested = true;
        state_->working = true;
    }
    SetEvent(state_->wake.get());
}

bool PickStore::takeResult() {
    std::lock_guard<std::mutex> guard(state_->lock);
    if (state_->resultWaiting) {
        picks_ = std::move(state_->result);
        mergePicks(picks_, state_->unsaved);
        state_->resultWaiting = false;
    }
    return std::exchange(state_->savedSinceTaken, false);
}

bool PickStore::busy() const {
    std::lock_guard<std::mutex> guard(state_->lock);
    return state_->working || state_->resultWaiting;
}

const LearnedPick* PickStore::find(const std::wstring& key) const {
    const auto found = picks_.find(key);
    return found == picks_.end() ? nullptr : &found->second;
}

const LearnedPick* PickStore::findForPrefix(const std::wstring& key) const {
    for (std::size_t length = key.size(); length-- > 1;)
        if (const auto found = picks_.find(key.substr(0, length)); found != picks_.end()) return &found->second;
    return nullptr;
}

}  // namespace kest
