#pragma once
// The order of a sorted list control, computed ahead so that items can be added already
// in place: a sorted combo box compares each added item with CompareStringW (user locale,
// case ignored) about log2(n) times, which dominates filling a list of thousands.
#include <string>
#include <unordered_map>
#include <vector>

namespace kest {

// The user locale's sort key of text with case ignored: two keys compare as bytes the way
// CompareStringW compares their texts.
std::string listSortKey(const std::wstring& text);

// Sort keys of the texts seen so far, so that typing reuses them. Folder items and typed
// commands add new texts all the time, so the store starts over when it grows too large.
class ListSortKeys {
public:
    static constexpr size_t capacity = 100000;

    const std::string& keyOf(const std::wstring& text);
    // Starts over when count more texts could exceed the capacity; keys returned earlier
    // are then invalid.
    void makeRoomFor(size_t count) noexcept;
    void clear() noexcept { keys_.clear(); }
    size_t size() const noexcept { return keys_.size(); }

private:
    std::unordered_map<std::wstring, std::string> keys_;
};

// The positions of texts in the order a sorted list control would show them; texts that
// compare equal keep their given order.
std::vector<size_t> listOrder(const std::vector<std::wstring>& texts, ListSortKeys& keys);

}  // namespace kest
