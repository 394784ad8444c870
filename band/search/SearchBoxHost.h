#pragma once
// What the search box and its edit field ask of the bar that holds them.
#include <string>

namespace kest {

class SearchBoxHost {
public:
    virtual void RefreshFromTyping() = 0;
    // Rebuilds the matches for text and fills the drop-down; the number of matches.
    virtual int MatchText(const std::wstring& text) = 0;
    // The menu button's click: the bar's menu opens.
    virtual void OnMenuButtonClicked() = 0;

protected:
    ~SearchBoxHost() = default;
};

}  // namespace kest
