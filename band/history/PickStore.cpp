#include "PickStore.h"
#include "search/BestMatch.h"

namespace kest {

PickStore::PickStore(HWND window, UINT message, HWND ownNotice) : file_(window, message, ownNotice) { file_.reread(); }

void PickStore::record(const std::wstring& typedText, const std::wstring& executable, const std::wstring& arguments,
                       const std::wstring& name) {
    const std::wstring key = pickKey(typedText);
    if (key.empty()) return;
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    PickFile::Pick change{key, {executable, arguments, name,
                                (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime}};
    // Two picks within one clock step still keep their order.
    if (const LearnedPick* previous = find(key); previous && previous->time >= change.pick.time)
        change.pick.time = previous->time + 1;
    file_.record(std::move(change));
}

const LearnedPick* PickStore::find(const std::wstring& key) const {
    const auto found = picks().find(key);
    return found == picks().end() ? nullptr : &found->second;
}

const LearnedPick* PickStore::findForPrefix(const std::wstring& key) const {
    for (std::size_t length = key.size(); length-- > 1;)
        if (const auto found = picks().find(key.substr(0, length)); found != picks().end()) return &found->second;
    return nullptr;
}

}  // namespace kest
