#include "ProgramIconCache.h"
#include "ComPtr.h"
#include "MessageWait.h"
#include "ModuleThread.h"
#include "UniqueHandle.h"
#include <atomic>
#include <deque>
#include <list>
#include <mutex>
#include <set>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <unordered_map>

namespace kest {

namespace {

// Requests beyond this many are for sources that scrolled out of sight long ago.
constexpr size_t MaxQueued = 64;

bool isAddress(const std::wstring& text) { return PathIsURLW(text.c_str()) != FALSE; }
bool isShellName(const std::wstring& text) { return text.compare(0, 6, L"shell:") == 0; }

std::wstring keyOf(const IconSource& source) {
    std::wstring key = source.location;
    if (!key.empty()) CharLowerBuffW(key.data(), static_cast<DWORD>(key.size()));
    key += L'|' + std::to_wstring(source.index);
    if (source.fromShell) key += L"|shell";
    return key;
}

std::wstring expanded(const std::wstring& location) {
    wchar_t buffer[MAX_PATH * 2] = {};
    const DWORD length = ExpandEnvironmentStringsW(location.c_str(), buffer, ARRAYSIZE(buffer));
    return length > 0 && length <= ARRAYSIZE(buffer) ? std::wstring(buffer) : location;
}

HICON extractFromFile(const std::wstring& file, int index, int size) {
    HICON icon = nullptr;
    const UINT sizes = MAKELONG(size, size);
    if (SHDefExtractIconW(file.c_str(), index, 0, &icon, nullptr, sizes) == S_OK && icon) return icon;
    // The index holds -1 for a shortcut that named no index.
    if (index == -1 && SHDefExtractIconW(file.c_str(), 0, 0, &icon, nullptr, sizes) == S_OK) return icon;
    return nullptr;
}

// The shell's information on a path or a parsing name such as "shell:AppsFolder\...".
bool shellFileInfo(const std::wstring& location, UINT flags, SHFILEINFOW& info) {
    if (!isShellName(location))
        return SHGetFileInfoW(location.c_str(), 0, &info, sizeof(info), flags) != 0;
    PIDLIST_ABSOLUTE item = nullptr;
    if (FAILED(SHParseDisplayName(location.c_str(), nullptr, &item, 0, nullptr)) || !item) return false;
    const bool found = SHGetFileInfoW(reinterpret_cast<LPCWSTR>(item), 0, &info, sizeof(info), flags | SHGFI_PIDL) != 0;
    CoTaskMemFree(item);
    return found;
}

}  // namespace

IconSource iconSourceFor(const ShortcutEntry& entry) {
    if (!entry.iconlocation.empty()) return {entry.iconlocation, entry.iconindex, false};
    // An address has no icon of its own: the shortcut file shows the browser's.
    if (entry.executable.empty() || isAddress(entry.executable)) return {entry.path, 0, true};
    // A program's own icon, or a packaged app's, which only the shell knows.
    return {entry.executable, 0, true};
}

IconSource iconSourceForText(const std::wstring& text) { return {text, 0, true}; }

struct ProgramIconCache::State {
    // A source's answer: an icon of its own (null: it has none), or the key of the icon
    // file whose icon it shows.
    struct Answer {
        UniqueHIcon icon;
        std::wstring sameAs;
        std::list<std::wstring>::iterator age;
    };

    std::mutex lock;
    HWND window;
    UINT arrivedMessage;
    int size = 16;
    bool arrivalPosted = false;
    bool stopping = false;
    std::unordered_map<std::wstring, Answer> answers;
    std::list<std::wstring> ages;  // the answers' keys, the one drawn last first
    size_t liveIcons = 0;
    std::deque<IconSource> queue;
    std::set<std::wstring> queued;  // the queue's keys and the one being answered
    UniqueKernelHandle wake{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    bool threadStarted = false;
    DWORD threadId = 0;  // for the tests

    // Under lock: whether the key is answered, and its icon.
    bool lookUp(const std::wstring& key, HICON& icon) const {
        const auto found = answers.find(key);
        if (found == answers.end()) return false;
        if (found->second.sameAs.empty()) {
            icon = found->second.icon.get();
            return true;
        }
        const auto shared = answers.find(found->second.sameAs);
        if (shared == answers.end()) return false;
        icon = shared->second.icon.get();
        return true;
    }

    // Under lock, on the window thread: the key and the icon file it shows were drawn now.
    void touch(const std::wstring& key) {
        const auto found = answers.find(key);
        if (found == answers.end()) return;
        ages.splice(ages.begin(), ages, found->second.age);
        if (!found->second.sameAs.empty()) touch(found->second.sameAs);
    }

    // Under lock: stores an answer unless the key has one. The first answer stays, so that
    // an icon once handed out is never destroyed here while the window may draw it.
    void store(const std::wstring& key, UniqueHIcon icon, std::wstring sameAs) {
        if (answers.count(key)) return;
        ages.push_front(key);
        if (icon) ++liveIcons;
        answers.emplace(key, Answer{std::move(icon), std::move(sameAs), ages.begin()});
    }

    // Under lock, on the window thread only, where icons are handed out and drawn at once:
    // drops the answers drawn least recently until one more request fits. A request adds at
    // most one icon and three answers (the program file's, the icon file the shell names,
    // the source's own), so the cache stays within its bounds while the thread answers.
    void makeRoomForRequest() {
        const size_t requests = queued.size() + 1;
        while (!ages.empty() && (liveIcons + requests > MaxIcons || answers.size() + 3 * requests > MaxAnswers))
            drop(ages.back());
    }
    void drop(std::wstring key) {  // by value: the caller may pass ages.back(), which this erases
        const auto found = answers.find(key);
        if (found == answers.end()) return;
        if (found->second.icon) --liveIcons;
        ages.erase(found->second.age);
        answers.erase(found);
    }

    void clear() {
        answers.clear();
        ages.clear();
        liveIcons = 0;
        queue.clear();
        queued.clear();
    }

    // Under lock: keeps an extracted icon (or that there is none) unless the size changed
    // meanwhile, and tells the window once until it looks icons up again.
    void keep(const std::wstring& key, HICON extracted, int extractedSize) {
        UniqueHIcon icon(extracted);
        if (extractedSize != size || stopping) return;
        store(key, std::move(icon), std::wstring());
        announce();
    }
    void announce() {
        if (!arrivalPosted && window && PostMessageW(window, arrivedMessage, 0, 0)) arrivalPosted = true;
    }

    // Makes source's icon the one of file when file has one.
    bool shareFileIcon(const std::wstring& key, const IconSource& file, int iconSize);
    void answer(const IconSource& source, int iconSize);
};

bool ProgramIconCache::State::shareFileIcon(const std::wstring& key, const IconSource& file, int iconSize) {
    const std::wstring fileKey = keyOf(file);
    HICON icon = nullptr;
    bool known = false;
    {
        std::lock_guard<std::mutex> guard(lock);
        known = lookUp(fileKey, icon);
    }
    if (!known) icon = extractFromFile(expanded(file.location), file.index, iconSize);
    std::lock_guard<std::mutex> guard(lock);
    if (!known) keep(fileKey, icon, iconSize);
    if (!icon || iconSize != size || stopping) return false;
    store(key, UniqueHIcon(), fileKey);
    announce();
    return true;
}

void ProgramIconCache::State::answer(const IconSource& source, int iconSize) {
    const std::wstring key = keyOf(source);
    if (!source.fromShell) {
        HICON icon = extractFromFile(expanded(source.location), source.index, iconSize);
        std::lock_guard<std::mutex> guard(lock);
        keep(key, icon, iconSize);
        return;
    }
    // A file's own icon first (a program's), then the icon file the shell names for it (a
    // document's); each icon file is extracted once, for every source that leads to it.
    if (!isShellName(source.location) && shareFileIcon(key, {source.location, 0, false}, iconSize)) return;
    SHFILEINFOW info{};
    if (shellFileInfo(source.location, SHGFI_ICONLOCATION, info) && info.szDisplayName[0] &&
        shareFileIcon(key, {info.szDisplayName, info.iIcon, false}, iconSize))
        return;
    // Icons the shell makes itself (a packaged app's, for one) come only at its own sizes.
    const UINT shellSize = iconSize <= GetSystemMetrics(SM_CXSMICON) ? SHGFI_SMALLICON : SHGFI_LARGEICON;
    SHFILEINFOW shellIcon{};
    HICON icon = shellFileInfo(source.location, SHGFI_ICON | shellSize, shellIcon) ? shellIcon.hIcon : nullptr;
    std::lock_guard<std::mutex> guard(lock);
    keep(key, icon, iconSize);
}

ProgramIconCache::ProgramIconCache(HWND window, UINT arrivedMessage) : state_(std::make_shared<State>()) {
    state_->window = window;
    state_->arrivedMessage = arrivedMessage;
}

ProgramIconCache::~ProgramIconCache() {
    std::lock_guard<std::mutex> guard(state_->lock);
    state_->stopping = true;
    state_->window = nullptr;
    state_->queue.clear();
    SetEvent(state_->wake.get());
}

HICON ProgramIconCache::find(const IconSource& source) {
    const std::wstring key = keyOf(source);
    State& state = *state_;
    std::lock_guard<std::mutex> guard(state.lock);
    state.arrivalPosted = false;
    HICON icon = nullptr;
    if (state.lookUp(key, icon)) {
        state.touch(key);
        return icon;
    }
    if (state.queued.count(key)) return nullptr;
    // Sources no longer drawn wait longest: past the bound the oldest request goes. It is
    // asked for again if it is drawn again.
    if (state.queue.size() >= MaxQueued) {
        state.queued.erase(keyOf(state.queue.front()));
        state.queue.pop_front();
    }
    // An answer whose icon file was dropped is asked for anew.
    state.drop(key);
    state.makeRoomForRequest();
    state.queued.insert(key);
    state.queue.push_back(source);
    if (!state_->threadStarted) startThread();
    SetEvent(state_->wake.get());
    return nullptr;
}

void ProgramIconCache::setIconSize(int pixels) {
    std::lock_guard<std::mutex> guard(state_->lock);
    if (pixels == state_->size) return;
    state_->size = pixels;
    state_->clear();
}

int ProgramIconCache::iconSize() const noexcept {
    std::lock_guard<std::mutex> guard(state_->lock);
    return state_->size;
}

size_t ProgramIconCache::pendingCount() const {
    std::lock_guard<std::mutex> guard(state_->lock);
    return state_->queued.size();
}

size_t ProgramIconCache::liveIconCount() const {
    std::lock_guard<std::mutex> guard(state_->lock);
    return state_->liveIcons;
}

void ProgramIconCache::startThread() {
    // The thread keeps the state, and the module, for as long as it runs.
    auto* threadState = new std::shared_ptr<State>(state_);
    UniqueKernelHandle thread(CreateModuleThread(run, threadState));
    if (!thread) {
        delete threadState;
        return;
    }
    state_->threadStarted = true;
    state_->threadId = GetThreadId(thread.get());
}

DWORD ProgramIconCache::threadId() const noexcept { return state_->threadId; }

DWORD WINAPI ProgramIconCache::run(void* parameter) {
    {
        const std::unique_ptr<std::shared_ptr<State>> owner(static_cast<std::shared_ptr<State>*>(parameter));
        State& state = **owner;
        ComInitialization com(COINIT_APARTMENTTHREADED);
        for (;;) {
            IconSource source;
            int size = 0;
            {
                std::lock_guard<std::mutex> guard(state.lock);
                if (state.stopping) break;
                if (!state.queue.empty()) {
                    source = std::move(state.queue.front());
                    state.queue.pop_front();
                    size = state.size;
                }
            }
            if (size == 0) {
                const HANDLE wake = state.wake.get();
                waitDispatchingMessages(&wake, 1, INFINITE);
                continue;
            }
            state.answer(source, size);
            std::lock_guard<std::mutex> guard(state.lock);
            // After a change of size the key may stand for a new request.
            if (size == state.size) state.queued.erase(keyOf(source));
        }
    }
    ExitModuleThread(0);
}

}  // namespace kest
