#pragma once
// What the search bar asks of the desk band that owns it.

namespace kest {

class BarOwner {
public:
    // Reports to the band's site that the bar gained (or, from the hot key, took) the focus.
    virtual void OnFocusChange(bool focused) = 0;

protected:
    ~BarOwner() = default;
};

}  // namespace kest
