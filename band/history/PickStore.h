#pragma once
// The learned picks of one band, held for its window thread while the band's file worker
// reads and writes "pickmapdata.xml": a pick counts at once and is kept until a save of it
// succeeds; each save reads the file first under a mutex of the user's session, so two
// bands lose no pick, and tells the other bands, which read the file again.
#include "PickFile.h"
#include "SharedBandFile.h"
#include <string>

namespace kest {

class PickStore {
public:
    // Starts reading the file. window is posted message when what the worker read or
    // saved waits; ownNotice is the band's notification window, which the notice skips.
    PickStore(HWND window, UINT message, HWND ownNotice);

    // Reads the file again (another band saved it).
    void reload() { file_.reread(); }
    // Keeps item as the pick for typedText (folded to its key) and saves it.
    void record(const std::wstring& typedText, const std::wstring& executable, const std::wstring& arguments,
                const std::wstring& name);
    // On message: takes what the worker read or saved.
    void takeResults() { file_.takeResults(); }

    // The pick for exactly key, or null.
    const LearnedPick* find(const std::wstring& key) const;
    // The pick for the longest key shorter than key that key begins with, or null.
    const LearnedPick* findForPrefix(const std::wstring& key) const;
    const LearnedPicks& picks() const noexcept { return file_.view(); }
    std::size_t unsavedCount() const noexcept { return file_.unsavedCount(); }

private:
    SharedBandFile<PickFile> file_;
};

}  // namespace kest
