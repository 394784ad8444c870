#pragma once
// The band the taskbar hosts: a CDeskBandBase whose hooks create, size, focus and destroy
// the search bar window.
#include "BarOwner.h"
#include "CDeskBandBase.h"
#include <memory>

namespace kest {

class CSimpleBarDlg;

class CKestDeskBand : public CDeskBandBase, public BarOwner {
public:
    CKestDeskBand();
    ~CKestDeskBand() override;

    // BarOwner
    void OnFocusChange(bool focused) override { CDeskBandBase::OnFocusChange(focused); }

    // Null while there is no bar.
    CSimpleBarDlg* bar() const noexcept { return bar_.get(); }

protected:
    HRESULT OnTranslateAccelerator(MSG* message) override;
    LRESULT OnCreate() override;
    LRESULT OnDestroy() override;
    LRESULT OnSize(WPARAM wParam, LPARAM lParam) override;
    LRESULT OnSetFocus() override;
    LRESULT OnContextMenu(WPARAM wParam, LPARAM lParam) override;
    void OnEndSession() override;
    void OnDpiChanged() override;

private:
    std::unique_ptr<CSimpleBarDlg> bar_;
};

}  // namespace kest
