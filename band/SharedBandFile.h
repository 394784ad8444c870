#pragma once
// A file that several bands share (the launch history, the learned picks), kept by each band
// as a view on its window thread while a BandFileWorker reads and writes it. The changes a
// band makes are kept until a save of them has succeeded: they are applied to every content
// read, so a save that failed (a full disk, a read-only or locked file) loses nothing, and
// the next save writes them too. Each save reads the file first, under a mutex of the user's
// session, so that no band's changes are lost whichever writes last; a band that saved posts
// BandFilesSavedCommandId to the other bands, which read the file again.
//
// Traits describes the file; its functions run on the worker, with COM initialised:
//   using Content = ...;  // what the file holds, plain data copied between the threads
//   using Change = ...;   // one change the band made
//   static constexpr const wchar_t* MutexName = L"Local\\...";
//   static void read(Content& content);  // the file's content in place of content; content
//                                        // kept when there is no valid file
//   static bool write(const Content& content);  // true when the file now holds content
//   static void apply(Content& content, const Change& change);
#include "BandFileWorker.h"
#include "BarCommands.h"
#include "CNotificationWnd.h"
#include "UniqueHandle.h"
#include <windows.h>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace kest {

// Holds the named mutex of the user's session for as long as it lives, or runs without it
// once wait has passed: a band that died holding it, or a hung one, delays the others that
// long at most.
class BandFileLock {
public:
    explicit BandFileLock(const wchar_t* mutexName, DWORD wait = DefaultWait) noexcept;
    ~BandFileLock();
    BandFileLock(const BandFileLock&) = delete;
    BandFileLock& operator=(const BandFileLock&) = delete;
    bool held() const noexcept { return held_; }

    static constexpr DWORD DefaultWait = 2000;

private:
    UniqueKernelHandle mutex_;
    bool held_ = false;
};

template <class Traits>
class SharedBandFile {
public:
    using Content = typename Traits::Content;
    using Change = typename Traits::Change;

    // window is posted message whenever results wait, and takeResults() takes them then;
    // ownNotice is the band's own notification window, which the notice of a save skips.
    // Without a window (a tool, a test) the reads and writes run on the calling thread and
    // their results are taken before the call returns.
    SharedBandFile(HWND window, UINT message, HWND ownNotice) : shared_(std::make_shared<Shared>()) {
        shared_->window = window;
        shared_->message = message;
        shared_->ownNotice = ownNotice;
    }
    // Returns at once. A read or save still queued or running ends on the worker; what it
    // reads is dropped, what it saves is saved.
    ~SharedBandFile() {
        std::lock_guard<std::mutex> guard(shared_->lock);
        shared_->attached = false;
        shared_->window = nullptr;
        shared_->results.clear();
    }
    SharedBandFile(const SharedBandFile&) = delete;
    SharedBandFile& operator=(const SharedBandFile&) = delete;

    // Reads the file again; changes not yet saved are saved with it.
    void reread() { requestSync(); }
    // Applies change to the view at once and saves it, with every change not yet saved, on
    // top of what the file holds by then.
    void record(Change change) {
        const std::uint64_t id = ++lastId_;
        Traits::apply(view_, change);
        {
            std::lock_guard<std::mutex> guard(shared_->lock);
            shared_->unsaved.emplace_back(id, change);
        }
        pending_.emplace_back(id, std::move(change));
        requestSync();
    }
    // On message (and after each call without a window): puts what the worker read or saved
    // in place, with the changes not yet saved applied again; true when anything arrived.
    bool takeResults() {
        std::vector<Result> results;
        {
            std::lock_guard<std::mutex> guard(shared_->lock);
            results.swap(shared_->results);
        }
        if (results.empty()) return false;
        Result& last = results.back();
        for (const Result& result : results)
            while (!pending_.empty() && pending_.front().first <= result.savedThrough) pending_.pop_front();
        view_ = std::move(last.content);
        for (const auto& change : pending_) Traits::apply(view_, change.second);
        return true;
    }
    // What the file held when last read or written, with this band's unsaved changes.
    const Content& view() const noexcept { return view_; }
    // Changes made and not yet known to be saved.
    std::size_t unsavedCount() const noexcept { return pending_.size(); }

private:
    struct Result {
        Content content;
        std::uint64_t savedThrough = 0;  // the last change saved, 0 when none was
    };
    struct Shared {
        std::mutex lock;
        HWND window = nullptr;
        UINT message = 0;
        HWND ownNotice = nullptr;
        bool attached = true;
        bool queued = false;  // a sync waits on the worker and has not started yet
        Content known;        // what the file held when last read or written
        std::deque<std::pair<std::uint64_t, Change>> unsaved;
        std::vector<Result> results;
    };

    void requestSync() {
        {
            std::lock_guard<std::mutex> guard(shared_->lock);
            if (shared_->queued) return;
            shared_->queued = shared_->window != nullptr;
        }
        if (!shared_->window) {
            sync(*shared_);
            takeResults();
            return;
        }
        const std::shared_ptr<Shared> shared = shared_;
        if (!worker_.post([shared] { sync(*shared); })) {
            std::lock_guard<std::mutex> guard(shared_->lock);
            shared_->queued = false;
        }
    }

    // Reads the file, applies the unsaved changes and writes them, all under the lock.
    static void sync(Shared& shared) {
        const BandFileLock lock(Traits::MutexName);
        Content content;
        std::vector<std::pair<std::uint64_t, Change>> changes;
        {
            std::lock_guard<std::mutex> guard(shared.lock);
            shared.queued = false;
            content = shared.known;
            changes.assign(shared.unsaved.begin(), shared.unsaved.end());
        }
        Traits::read(content);
        Result result;
        bool saved = false;
        if (!changes.empty()) {
            Content changed = content;
            for (const auto& change : changes) Traits::apply(changed, change.second);
            saved = Traits::write(changed);
            if (saved) {
                content = std::move(changed);
                result.savedThrough = changes.back().first;
            }
        }
        HWND notice = nullptr;
        {
            std::lock_guard<std::mutex> guard(shared.lock);
            shared.known = content;
            while (!shared.unsaved.empty() && shared.unsaved.front().first <= result.savedThrough)
                shared.unsaved.pop_front();
            notice = shared.ownNotice;
            if (shared.attached) {
                result.content = std::move(content);
                shared.results.push_back(std::move(result));
                if (shared.window) PostMessageW(shared.window, shared.message, 0, 0);
            }
        }
        if (saved) postToBandsBut(notice, BandFilesSavedCommandId);
    }

    std::shared_ptr<Shared> shared_;
    BandFileWorker worker_;
    Content view_;
    std::deque<std::pair<std::uint64_t, Change>> pending_;
    std::uint64_t lastId_ = 0;
};

}  // namespace kest
