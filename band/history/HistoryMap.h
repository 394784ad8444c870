#pragma once
// The launch history: how often and how recently each item was started from the search
// bar, kept in "historymapdata.xml" and seeded from the shell's usage records. Owned by
// the search bar window and used only on its thread. Several bands (the taskbar's and the
// floating bar's) share the file through SharedBandFile: a launch is saved by reading the
// file again, adding the launches not yet saved and writing it, under a mutex of the user's
// session, off the window thread.
#include "HistoryEntry.h"
#include "SharedBandFile.h"
#include "kestentry/ShortcutEntry.h"
#include <windows.h>
#include <msxml2.h>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kest {

namespace HistoryFileText {
constexpr const wchar_t* FolderAndName = L"Brindlewood\\Kestrune\\historymapdata.xml";
constexpr const wchar_t* Declaration = L"<?xml version=\"1.0\"?>";
constexpr const wchar_t* Comment = L"Kestrune History Mapdata XML file.";
constexpr const wchar_t* CommentXml = L"<!--Kestrune History Mapdata XML file.-->";
constexpr const wchar_t* Root = L"root";
constexpr const wchar_t* CreatedAttribute = L"created";
constexpr const wchar_t* CreatedValue = L"using DOM from MSXML 2.6";
constexpr const wchar_t* Entry = L"KESTRUNEHISTORYENTRY";
constexpr const wchar_t* Path = L"path";
constexpr const wchar_t* Count = L"count";
constexpr const wchar_t* LastTimeHigh = L"lasttimehigh";
constexpr const wchar_t* LastTimeLow = L"lasttimelow";
}  // namespace HistoryFileText

// A 32-bit field as the file holds it: its bits as a signed decimal number.
std::wstring formatHistoryNumber(std::uint32_t value);
// The inverse: leading blanks and a sign accepted, digits up to the first other character,
// taken modulo 2^32; text without digits gives 0.
std::uint32_t parseHistoryNumber(const std::wstring& text);

// One launch not yet saved: the lower-cased key and the time it happened.
struct HistoryLaunch {
    std::wstring key;
    FILETIME time{};
};

// The history file as a SharedBandFile keeps it: the band's own entries, never the imported
// records.
struct HistoryFile {
    using Content = HistoryEntries;
    using Change = HistoryLaunch;
    // Held while a band reads, changes and writes the history file.
    static constexpr const wchar_t* MutexName = L"Local\\Brindlewood.Kestrune.HistoryFile";
    // Replaces own with the file's entries; a read that a failing DOM call cut short adds what
    // it read; own stays as it is when the file holds no valid history. Needs COM.
    static void read(HistoryEntries& own);
    // Writes own in key order, replacing the file in one step; true when the file now holds
    // them. Needs COM.
    static bool write(const HistoryEntries& own);
    // Counts the launch and makes its time the entry's last.
    static void apply(HistoryEntries& own, const HistoryLaunch& launch);
};

class HistoryMap {
public:
    // Merges the shell's usage records and reads the history file on the calling thread,
    // which needs COM: for tools and tests.
    HistoryMap();
    // The bar's history: the file is read and written on a worker of its own. window is posted
    // message when what it read or saved waits (then call takeFileResults); ownNotice is the
    // band's notification window, which the notice of a save skips. The shell's records are
    // merged at once, the file's entries once they arrive.
    HistoryMap(HWND window, UINT message, HWND ownNotice);
    HistoryMap(const HistoryMap&) = delete;
    HistoryMap& operator=(const HistoryMap&) = delete;

    // Counts one accepted launch of path (lower-cased as key) at once, and saves it on top of
    // what the file holds by then. A launch whose save failed stays counted and is saved
    // with the next one. Returns 0, or -1 when path is null.
    int recordLaunch(const wchar_t* path);
    // Reads the file again, as on the notice that another band saved it; unsaved launches
    // are saved with it.
    void reread();
    // On the message given to the constructor: puts what was read or saved in place.
    void takeFileResults();
    // Launches counted whose save has not succeeded yet.
    std::size_t unsavedLaunches() const noexcept { return file_.unsavedCount(); }

    // The entry stored under exactly key, or null.
    const HistoryEntry* find(const std::wstring& key) const;
    const HistoryEntries& entries() const { return entries_; }
    // Changes whenever entries() is made anew, which invalidates what find returned before.
    std::uint64_t version() const noexcept { return version_; }

    // The index of the item with the highest count (Mfu) or the latest launch (Mru);
    // itemTexts are the items' launch texts as shown, lower-cased here. Empty texts are
    // skipped, ties go to the lower index, and 0 when no item qualifies.
    std::size_t mostFrequentIndex(const std::vector<std::wstring>& itemTexts) const;
    std::size_t mostRecentIndex(const std::vector<std::wstring>& itemTexts) const;

    // The same over a combo box's items, ending by selecting the best one. An item whose
    // data is a ShortcutEntry pointer is taken by the entry's executable, an item with data
    // 0 by its text.
    void selectMostFrequent(HWND comboBox) const;
    void selectMostRecent(HWND comboBox) const;

    // The user's application-data folder, then "Brindlewood\Kestrune\historymapdata.xml".
    static std::wstring historyFilePath();

    void importUsageRecords();
    // Counts the shell's shortcut records for the programs the index holds for those
    // shortcuts; the imported records are rebuilt, so that each index load or rescan
    // replaces what the one before matched.
    void matchShortcutRecords(const ShortcutIndex& index);

private:
    // entries_ from the file's view with the imported records merged in.
    void mergeEntries();
    // mostFrequentIndex (byCount) or mostRecentIndex.
    std::size_t preferredIndex(const std::vector<std::wstring>& itemTexts, bool byCount) const;

    // What the band recorded itself: the file's entries and the launches since.
    SharedBandFile<HistoryFile> file_;
    // The shell's usage records, each marked imported: the program records and the shortcut
    // records that matched the index.
    HistoryEntries usageRecords_;
    // The shell's program records, and its shortcut records keyed by the lower-cased shortcut
    // path, which count only once the index names their programs.
    HistoryEntries programRecords_;
    HistoryEntries shortcutRecords_;
    // The file's view with usageRecords_ merged in: what the pre-selection goes by.
    HistoryEntries entries_;
    std::uint64_t version_ = 0;
};

// The launch texts of a combo box's items, by index: the executable of the ShortcutEntry an
// item's data points at, or the item's text when its data is 0.
std::vector<std::wstring> comboBoxLaunchTexts(HWND comboBox);

}  // namespace kest
