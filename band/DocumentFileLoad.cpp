#include "DocumentFileLoad.h"
#include "Bstr.h"
#include "UniqueHandle.h"
#include <algorithm>
#include <climits>
#include <cstring>
#include <new>

namespace kest {

namespace {

// Larger files are left to the DOM, which refuses them in its own way.
constexpr LONGLONG LargestFileReadHere = 256LL * 1024 * 1024;

bool readWholeFile(const std::wstring& path, std::string& bytes) {
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return false;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > LargestFileReadHere) return false;
    try {
        bytes.resize(static_cast<size_t>(size.QuadPart));
    } catch (const std::bad_alloc&) {
        return false;
    }
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD read = 0;
        const DWORD wanted = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
        if (!ReadFile(file.get(), bytes.data() + done, wanted, &read, nullptr)) return false;
        if (read == 0) break;
        done += read;
    }
    bytes.resize(done);
    return true;
}

char asciiLowerByte(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// UTF-8 text that starts with markup and declares no other encoding.
bool isPlainUtf8Document(const std::string& bytes, size_t start) {
    if (start >= bytes.size() || bytes[start] != '<') return false;
    if (std::memchr(bytes.data(), '\0', bytes.size())) return false;
    if (bytes.compare(start, 5, "<?xml") != 0) return true;
    const size_t end = bytes.find("?>", start);
    if (end == std::string::npos) return true;
    const std::string declaration = bytes.substr(start, end - start);
    const size_t encoding = declaration.find("encoding");
    if (encoding == std::string::npos) return true;
    const size_t quote = declaration.find_first_of("\"'", encoding);
    if (quote == std::string::npos) return false;
    const size_t closing = declaration.find(declaration[quote], quote + 1);
    if (closing == std::string::npos) return false;
    std::string name = declaration.substr(quote + 1, closing - quote - 1);
    for (char& c : name) c = asciiLowerByte(c);
    return name == "utf-8" || name == "utf8";
}

bool loadThroughTheDom(IXMLDOMDocument* document, const std::wstring& path) {
    const Variant source(path.c_str());
    VARIANT_BOOL loaded = VARIANT_FALSE;
    return SUCCEEDED(document->load(source.get(), &loaded)) && loaded == VARIANT_TRUE;
}

}  // namespace

bool loadDocumentFile(IXMLDOMDocument* document, const std::wstring& path) {
    if (!document) return false;
    std::string bytes;
    if (!readWholeFile(path, bytes)) return loadThroughTheDom(document, path);
    const size_t start = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    if (!isPlainUtf8Document(bytes, start) || bytes.size() - start > INT_MAX) return loadThroughTheDom(document, path);

    const char* utf8 = bytes.data() + start;
    const int length = static_cast<int>(bytes.size() - start);
    const int wide = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, length, nullptr, 0);
    if (wide <= 0) return loadThroughTheDom(document, path);
    Bstr text;
    *text.put() = SysAllocStringLen(nullptr, static_cast<UINT>(wide));
    if (!text.get()) return false;
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, length, text.get(), wide);
    bytes.clear();
    bytes.shrink_to_fit();
    VARIANT_BOOL loaded = VARIANT_FALSE;
    return SUCCEEDED(document->loadXML(text.get(), &loaded)) && loaded == VARIANT_TRUE;
}

}  // namespace kest
