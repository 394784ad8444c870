#include "ListOrder.h"
#include <windows.h>
#include <algorithm>

namespace kest {

std::string listSortKey(const std::wstring& text) {
    const DWORD flags = LCMAP_SORTKEY | NORM_IGNORECASE;
    const int length = static_cast<int>(text.size());
    const int size = LCMapStringW(LOCALE_USER_DEFAULT, flags, text.c_str(), length, nullptr, 0);
    if (size <= 0) return std::string();
    std::string key(static_cast<size_t>(size), '\0');
    const int written = LCMapStringW(LOCALE_USER_DEFAULT, flags, text.c_str(), length,
                                     reinterpret_cast<wchar_t*>(key.data()), size);
    key.resize(written > 0 ? static_cast<size_t>(written) : 0);
    return key;
}

const std::string& ListSortKeys::keyOf(const std::wstring& text) {
    auto found = keys_.find(text);
    if (found == keys_.end()) found = keys_.emplace(text, listSortKey(text)).first;
    return found->second;
}

void ListSortKeys::makeRoomFor(size_t count) noexcept {
    if (keys_.size() + count > capacity) keys_.clear();
}

std::vector<size_t> listOrder(const std::vector<std::wstring>& texts, ListSortKeys& keys) {
    keys.makeRoomFor(texts.size());
    std::vector<const std::string*> textKeys;
    textKeys.reserve(texts.size());
    for (const std::wstring& text : texts) textKeys.push_back(&keys.keyOf(text));
    std::vector<size_t> order(texts.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    // Sort keys are byte strings compared unsigned, as std::string compares.
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return *textKeys[a] < *textKeys[b]; });
    return order;
}

}  // namespace kest
