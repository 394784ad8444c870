#pragma once
// The launch history: how often and how recently each item was started from the search
// bar, kept in "historymapdata.xml" and seeded from the shell's usage records. Owned by
// the search bar window and used only on its thread. Several bands (the taskbar's and the
// floating bar's) share the file: a launch is recorded by reading the file again, adding the
// one launch and writing it, under a mutex of the user's session, so that no band's launches
// are lost whichever writes last.
#include "HistoryEntry.h"
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

class HistoryMap {
public:
    // Loads the history file, if there is a valid one, and merges the shell's usage records.
    // Needs COM on the calling thread.
    HistoryMap();
    HistoryMap(const HistoryMap&) = delete;
    HistoryMap& operator=(const HistoryMap&) = delete;

    // Counts one accepted launch of path (lower-cased as key) and saves the history before
    // it returns, on top of what the file holds by then. Returns 0, or -1 when path is null.
    int recordLaunch(const wchar_t* path);

    // Reads the file again when another band has written it since this one last read or
    // wrote it (its write time changed).
    void reloadIfChanged();

    // The entry stored under exactly key, or null.
    const HistoryEntry* find(const std::wstring& key) const;
    const HistoryEntries& entries() const { return entries_; }

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

    // Writes the band's own entries (what it loaded from the file and the launches it
    // recorded, never the imported records), in key order, replacing the file in one step.
    // Returns true when the file now holds them.
    bool saveHistory();
    static void writeHistoryEntry(const HistoryEntry& entry, IXMLDOMDocument* document, IXMLDOMNode* parent);
    void loadHistory();
    // Fills entry from one entry element; false when the element is skipped (not exactly
    // four child nodes).
    static bool readHistoryEntry(IXMLDOMNode* element, HistoryEntry& entry);
    void importUsageRecords();
    // Counts the shell's shortcut records for the programs the index holds for those
    // shortcuts; the imported records are rebuilt, so that each index load or rescan
    // replaces what the one before matched.
    void matchShortcutRecords(const ShortcutIndex& index);

private:
    // Reads the file into own_; false (own_ unchanged) when it holds no valid history.
    bool readHistoryFile();
    // entries_ from own_ with the imported records merged in.
    void mergeEntries();

    // What the band recorded itself: the file's entries and the launches since.
    HistoryEntries own_;
    // The shell's usage records, each marked imported: the program records and the shortcut
    // records that matched the index.
    HistoryEntries usageRecords_;
    // The shell's program records, and its shortcut records keyed by the lower-cased shortcut
    // path, which count only once the index names their programs.
    HistoryEntries programRecords_;
    HistoryEntries shortcutRecords_;
    // own_ with usageRecords_ merged in: what the pre-selection goes by.
    HistoryEntries entries_;
    // The file's write time when this band last read or wrote it.
    FILETIME fileTime_{};
};

// The launch texts of a combo box's items, by index: the executable of the ShortcutEntry an
// item's data points at, or the item's text when its data is 0.
std::vector<std::wstring> comboBoxLaunchTexts(HWND comboBox);

}  // namespace kest
