#include "CDeskBandBase.h"
#include "BandIdentity.h"
#include "Dpi.h"
#include "search/ModuleFolder.h"
#include <cwchar>

namespace kest {

namespace {

constexpr int BandHeight = 22;
constexpr int FallbackMinimumWidth = 180;

}  // namespace

const InterfaceEntry* CDeskBandBase::interfaceTable() noexcept {
    static const InterfaceEntry table[] = {
        KEST_INTERFACE(CDeskBandBase, IDeskBand),
        KEST_INTERFACE_VIA(CDeskBandBase, IOleWindow, IDeskBand),
        KEST_INTERFACE_VIA(CDeskBandBase, IDockingWindow, IDeskBand),
        KEST_INTERFACE(CDeskBandBase, IInputObject),
        KEST_INTERFACE(CDeskBandBase, IObjectWithSite),
        KEST_INTERFACE(CDeskBandBase, IPersistStream),
        KEST_INTERFACE_VIA(CDeskBandBase, IPersist, IPersistStream),
        KEST_INTERFACE_END,
    };
    return table;
}

CDeskBandBase::CDeskBandBase(const CLSID& persistClass, const wchar_t* windowClassName)
    : persistClass_(persistClass), windowClassName_(windowClassName) {}

CDeskBandBase::~CDeskBandBase() {
    inputSite_.reset();
    // A host that released the band without CloseDW leaves the window: it must not outlive
    // the object its procedure points to, and the hooks of the subclass are gone already.
    if (bandWindow_ && IsWindow(bandWindow_)) {
        SetWindowLongPtrW(bandWindow_, GWLP_USERDATA, 0);
        DestroyWindow(bandWindow_);
    }
    bandWindow_ = nullptr;
    // Fails while another band's window uses the class; a class left behind must not point
    // into a module that may be unloaded now.
    UnregisterClassW(windowClassName_.c_str(), bandModule());
}

int CDeskBandBase::horizontalMinimumWidth(int screenWidth) noexcept {
    const int width = screenWidth / 20;
    return width != 0 ? width : FallbackMinimumWidth;
}

int CDeskBandBase::bandHeight() const noexcept {
    return ScaleForDpi(BandHeight, bandWindow_ ? TopLevelDpi(bandWindow_) : TopLevelDpi(parentWindow_));
}

STDMETHODIMP CDeskBandBase::GetWindow(HWND* window) {
    if (!window) return E_POINTER;
    *window = bandWindow_;
    return S_OK;
}

STDMETHODIMP CDeskBandBase::ShowDW(BOOL show) {
    if (bandWindow_) ShowWindow(bandWindow_, show ? SW_SHOW : SW_HIDE);
    return S_OK;
}

STDMETHODIMP CDeskBandBase::CloseDW(DWORD) {
    ShowDW(FALSE);
    if (bandWindow_ && IsWindow(bandWindow_)) DestroyWindow(bandWindow_);
    bandWindow_ = nullptr;
    return S_OK;
}

STDMETHODIMP CDeskBandBase::GetBandInfo(DWORD bandId, DWORD viewMode, DESKBANDINFO* info) {
    if (!info) return E_INVALIDARG;
    bandId_ = bandId;
    viewMode_ = viewMode;
    const bool horizontal = viewMode == DBIF_VIEWMODE_NORMAL;
    const int height = bandHeight();
    if (info->dwMask & DBIM_MINSIZE) {
        reportedHeight_ = height;
        if (horizontal) {
            info->ptMinSize.x = horizontalMinimumWidth(GetSystemMetrics(SM_CXSCREEN));
            info->ptMinSize.y = height;
        } else {
            info->ptMinSize.x = height;
            info->ptMinSize.y = height;
        }
    }
    if (info->dwMask & DBIM_MAXSIZE) {
        info->ptMaxSize.x = -1;
        info->ptMaxSize.y = -1;
    }
    // DBIM_INTEGRAL: the host's step is kept.
    if (info->dwMask & DBIM_ACTUAL) {
        info->ptActual.x = 0;
        info->ptActual.y = 0;
    }
    if ((info->dwMask & DBIM_TITLE) && !horizontal) {
        lstrcpynW(info->wszTitle, BandTitle, sizeof(info->wszTitle) / sizeof(info->wszTitle[0]));
    }
    if (info->dwMask & DBIM_MODEFLAGS) info->dwModeFlags = horizontal ? DBIMF_NORMAL : DBIMF_VARIABLEHEIGHT;
    // The host paints its own background behind the band.
    info->dwMask &= ~static_cast<DWORD>(DBIM_BKCOLOR);
    return S_OK;
}

STDMETHODIMP CDeskBandBase::UIActivateIO(BOOL activate, MSG*) {
    if (activate && bandWindow_) SetFocus(bandWindow_);
    return S_OK;
}

STDMETHODIMP CDeskBandBase::HasFocusIO() {
    const HWND focus = GetFocus();
    if (bandWindow_ && focus && (focus == bandWindow_ || IsChild(bandWindow_, focus))) return S_OK;
    return S_FALSE;
}

STDMETHODIMP CDeskBandBase::TranslateAcceleratorIO(MSG* message) {
    if (!message) return S_FALSE;
    return OnTranslateAccelerator(message);
}

STDMETHODIMP CDeskBandBase::SetSite(IUnknown* site) {
    inputSite_.reset();
    if (!site) {
        UnregisterClassW(windowClassName_.c_str(), bandModule());
        return S_OK;
    }
    parentWindow_ = nullptr;
    ComPtr<IOleWindow> siteWindow;
    if (SUCCEEDED(site->QueryInterface(IID_IOleWindow, siteWindow.putVoid())) && siteWindow) {
        HWND parent = nullptr;
        if (SUCCEEDED(siteWindow->GetWindow(&parent))) parentWindow_ = parent;
    }
    if (!parentWindow_) return E_FAIL;
    if (!createBandWindow()) return E_FAIL;
    if (FAILED(site->QueryInterface(IID_IInputObjectSite, inputSite_.putVoid())) || !inputSite_) {
        inputSite_.reset();
        return E_FAIL;
    }
    return S_OK;
}

STDMETHODIMP CDeskBandBase::GetSite(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!inputSite_) return E_FAIL;
    return inputSite_->QueryInterface(iid, out);
}

STDMETHODIMP CDeskBandBase::GetClassID(CLSID* clsid) {
    if (!clsid) return E_POINTER;
    *clsid = persistClass_;
    return S_OK;
}

void CDeskBandBase::OnFocusChange(bool focused) {
    if (!inputSite_) return;
    // The site may release the band from inside the call; the held reference keeps it alive.
    ComPtr<IInputObjectSite> site = inputSite_;
    ComPtr<IUnknown> self;
    QueryInterface(IID_IUnknown, self.putVoid());
    site->OnFocusChangeIS(self.get(), focused ? TRUE : FALSE);
}

void CDeskBandBase::reportBandInfoChanged() {
    if (!inputSite_) return;
    // The site may release the band from inside the call; the held reference keeps it alive.
    ComPtr<IOleCommandTarget> target;
    if (FAILED(inputSite_->QueryInterface(IID_IOleCommandTarget, target.putVoid())) || !target) return;
    VARIANT band{};
    band.vt = VT_I4;
    band.lVal = static_cast<LONG>(bandId_);
    target->Exec(&CGID_DeskBand, DBID_BANDINFOCHANGED, OLECMDEXECOPT_DODEFAULT, &band, nullptr);
}

bool CDeskBandBase::createBandWindow() {
    if (bandWindow_ && IsWindow(bandWindow_)) return true;
    bandWindow_ = nullptr;
    if (!parentWindow_) return false;
    const HINSTANCE module = bandModule();
    WNDCLASSW existing{};
    if (!GetClassInfoW(module, windowClassName_.c_str(), &existing)) {
        WNDCLASSW windowClass{};
        windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_GLOBALCLASS;
        windowClass.lpfnWndProc = bandWindowProc;
        windowClass.hInstance = module;
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        windowClass.lpszClassName = windowClassName_.c_str();
        if (!RegisterClassW(&windowClass)) return false;
    }
    CreateWindowExW(0, windowClassName_.c_str(), L"", WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0, 300,
                    300, parentWindow_, nullptr, module, this);
    return bandWindow_ != nullptr && IsWindow(bandWindow_);
}

LRESULT CALLBACK CDeskBandBase::bandWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* band = reinterpret_cast<CDeskBandBase*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        band = static_cast<CDeskBandBase*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        if (band) {
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(band));
            band->bandWindow_ = hwnd;
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    if (!band) return DefWindowProcW(hwnd, message, wParam, lParam);

    switch (message) {
    case WM_CREATE:
        PostMessageW(hwnd, CreateContentMessage, 0, 0);
        break;
    case CreateContentMessage:
        return band->OnCreate();
    case WM_DESTROY:
        band->OnDestroy();
        break;
    case WM_NCDESTROY:
        // Destroyed by its parent, say: the band forgets a window that no longer exists.
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        if (band->bandWindow_ == hwnd) band->bandWindow_ = nullptr;
        break;
    case WM_SIZE:
        return band->OnSize(wParam, lParam);
    case WM_SETFOCUS:
        return band->OnSetFocus();
    case WM_DPICHANGED_AFTERPARENT:
        band->OnDpiChanged();
        if (band->reportedHeight_ != 0 && band->reportedHeight_ != band->bandHeight()) band->reportBandInfoChanged();
        return 0;
    case WM_ENDSESSION:
        if (wParam) band->OnEndSession();
        return 0;
    case WM_CONTEXTMENU:
        if (band->OnContextMenu(wParam, lParam) == 0) return 0;
        break;
    default:
        break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace kest
