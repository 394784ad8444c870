#pragma once
// The icons of the programs in the search box's list. Each icon is extracted once, on a
// thread of the cache's own, and kept per icon file and index at the list's icon size; the
// window thread only looks icons up, and is told by a posted message when new ones arrived.
// The cache is bounded: the answers drawn least recently are dropped, on the window thread,
// when room is needed for a new request.
#include "kestentry/ShortcutEntry.h"
#include <memory>
#include <string>
#include <windows.h>

namespace kest {

// Where an item's icon comes from: an icon file and an index in it (a negative index is a
// resource id), or the shell's icon for a path or a shell parsing name.
struct IconSource {
    std::wstring location;
    int index = 0;
    bool fromShell = false;
};

// The shortcut's own icon location when it has one; else the shell's icon for its target,
// or for the shortcut itself when the target is no file (an address) or a packaged app.
IconSource iconSourceFor(const ShortcutEntry& entry);
// A list item without an entry: a folder item or a typed command, by its text.
IconSource iconSourceForText(const std::wstring& text);

class ProgramIconCache {
public:
    // window is posted arrivedMessage when icons were added since it last asked for one.
    ProgramIconCache(HWND window, UINT arrivedMessage);
    // Returns at once: an extraction that is still running ends on its own thread.
    ~ProgramIconCache();
    ProgramIconCache(const ProgramIconCache&) = delete;
    ProgramIconCache& operator=(const ProgramIconCache&) = delete;

    // The icon of source at the current size, owned by the cache; null while it is being
    // extracted (it is asked for then) and when it has none.
    HICON find(const IconSource& source);
    // Icons are square, pixels wide; a new size drops the icons made so far.
    void setIconSize(int pixels);
    int iconSize() const noexcept;
    // Sources asked for and not yet answered.
    size_t pendingCount() const;

    // At most this many icons live at once, and this many sources are answered.
    static constexpr size_t MaxIcons = 512;
    static constexpr size_t MaxAnswers = 2048;
    // The icons the cache holds now.
    size_t liveIconCount() const;
    // The extracting thread's id once it was started, else 0: for the tests.
    DWORD threadId() const noexcept;

private:
    struct State;
    void startThread();
    static DWORD WINAPI run(void* state);

    std::shared_ptr<State> state_;
};

}  // namespace kest
