#pragma once
// The learned picks of one band, held for its window thread, with the file read and
// written on a worker thread of the store's own. A pick is kept at once and saved in the
// background: the worker re-reads the file under a mutex of the user's session, adds the
// picks not yet saved and replaces the file, so two bands lose no pick. A pick stays
// unsaved until a save succeeds. When a read or a save has finished the worker posts
// readyMessage to the window; it never sends.
#include "PickFile.h"
#include <windows.h>
#include <memory>
#include <string>

namespace kest {

class PickStore {
public:
    // Reads the file on the worker at once.
    PickStore(HWND window, UINT readyMessage);
    // Returns at once; picks not yet saved are saved by the worker before it ends.
    ~PickStore();
    PickStore(const PickStore&) = delete;
    PickStore& operator=(const PickStore&) = delete;

    // Reads the file again on the worker (another band saved it).
    void reload();
    // Keeps item as the pick for typed text (folded to its key) and saves it.
    void record(const std::wstring& typedText, const std::wstring& executable, const std::wstring& arguments,
                const std::wstring& name);
    // On readyMessage: takes what the worker read, with the picks not yet saved. Returns
    // true when the worker saved the file since (the other bands are then told).
    bool takeResult();

    // The pick for exactly key, or null.
    const LearnedPick* find(const std::wstring& key) const;
    // The pick for the longest key shorter than key that key begins with, or null.
    const LearnedPick* findForPrefix(const std::wstring& key) const;
    const LearnedPicks& picks() const noexcept { return picks_; }
    // Whether the worker has a read or a save still to do or to hand over.
    bool busy() const;

private:
    struct State;
    static DWORD WINAPI run(void* state);

    std::shared_ptr<State> state_;
    LearnedPicks picks_;
};

}  // namespace kest
