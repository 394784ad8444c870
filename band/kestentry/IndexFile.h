#pragma once
// The index file "mapdata.xml": where it lives, how the index is written to it and read
// back. Everything here runs on the bar's worker thread.
#include "ShortcutEntry.h"
#include <windows.h>
#include <msxml2.h>
#include <atomic>
#include <string>

namespace kest {

// The user's application-data folder, a backslash, "Brindlewood\Kestrune\mapdata.xml".
std::wstring indexFilePath();

// Writes the whole index to path in ascending key order. The document is saved beside the
// file first and then moved over it, so the file is either the old one or the complete new
// one. False (and the file unchanged) when any step fails; failures are traced.
bool saveIndex(const ShortcutIndex& index, const std::wstring& path);
inline bool saveIndex(const ShortcutIndex& index) { return saveIndex(index, indexFilePath()); }

// Appends "\n\t" and one "KESTRUNEENTRY" element holding the eight fields to parent. A
// failing create or set-text call abandons the element; only the "\n\t" stays.
void writeIndexEntry(const ShortcutEntry& entry, IXMLDOMDocument* document, IXMLDOMNode* parent);

enum class IndexReadResult {
    Read,       // at least one entry was stored
    NoEntries,  // "root" has children but no readable entry: the caller rescans
    Unusable,   // the header differs or "root" is empty: nothing is stored, no rescan
    Aborted,    // abortRequested stopped the walk: no rescan
    Failed,     // a DOM call failed (traced): no rescan
};

// Fills index from a document into which the caller loaded the index file. abortRequested
// is polled before every child of "root". Whitespace-only text nodes never count, whether
// the DOM kept them on load or not.
IndexReadResult readIndex(IXMLDOMDocument* document, ShortcutIndex& index, const std::atomic<bool>& abortRequested);

// Fills entry from one "KESTRUNEENTRY" element. False, with entry unchanged, unless the
// element has exactly eight children or when a DOM call fails; such an element is not
// stored.
bool readIndexEntry(IXMLDOMNode* element, ShortcutEntry& entry);

}  // namespace kest
