#pragma once
// Loading an XML file of the band into a DOM document.
#include <windows.h>
#include <msxml2.h>
#include <string>

namespace kest {

// Loads the file at path into document; true when the DOM accepted it. A file in UTF-8,
// the encoding the band saves (with or without a byte-order mark), is read here and handed
// to the DOM as text: the DOM's own file loading grows its buffer by copying, which makes
// a large index load in quadratic time on Wine. Any other file goes to the DOM's own
// loading, which then decides about its encoding as for every file.
bool loadDocumentFile(IXMLDOMDocument* document, const std::wstring& path);

}  // namespace kest
