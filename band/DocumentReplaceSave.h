#pragma once
// Saving an XML document so that the file it replaces is never left half written.
#include <windows.h>
#include <msxml2.h>
#include <string>

namespace kest {

// The sibling file a save writes before it replaces target; one per thread, so two
// threads saving the same file never share it.
std::wstring replaceSaveTemporaryPath(const std::wstring& target);

// Serialises document, writes it beside target, flushes it and then moves it over target
// in one step, so target holds either its old or its new content, never a partial one,
// even when the disk fills up. A missing folder of target, and the folder above it, are
// created first. A read-only target is not replaced. A failing step is traced under source
// and leaves target as it was; the temporary file is removed.
// Returns true when target now holds the document.
bool saveDocumentReplacing(IXMLDOMDocument* document, const std::wstring& target, const wchar_t* source);

}  // namespace kest
