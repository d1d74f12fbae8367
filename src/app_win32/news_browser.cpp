#include "app_win32/news_browser.h"

#include <exdisp.h>
#include <exdispid.h>
#include <mshtml.h>
#include <ole2.h>
#include <shellapi.h>
#include <vector>

namespace launcher::app {

bool IsNewsAddress(const std::wstring& target, const std::wstring& news_url) {
    return ::CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, target.c_str(),
                            static_cast<int>(target.size()), news_url.c_str(),
                            static_cast<int>(news_url.size())) == CSTR_EQUAL;
}

namespace {
// The system's HTML document engine (mshtml), which the browser control
// needs to show a page; the import libraries do not carry its class id.
constexpr CLSID kHtmlDocument = {
    0x25336920, 0x03F9, 0x11CF, {0x8F, 0xD0, 0x00, 0xAA, 0x00, 0x68, 0x6F, 0x13}};
} // namespace

// COM interfaces are released through their reference count, never deleted
// through a base pointer: they have no virtual destructors by design.
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

// The container of the browser control: its client site, in-place site and
// frame, and the sink of its navigation events. One COM object with a
// reference count; the browser holds references to it while it is attached.
class NewsBrowser::Site final : public IOleClientSite,
                                public IOleInPlaceSite,
                                public IOleInPlaceFrame,
                                public IDispatch {
public:
    Site(NewsBrowser& owner, HWND panel, RECT place)
        : owner_(&owner), panel_(panel), place_(place) {
        if (FAILED(::CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IOleObject, reinterpret_cast<void**>(&object_))))
            return;
        // The control needs the system's HTML engine to show a page; without
        // it (wine without its engine) no page can load.
        IUnknown* engine = nullptr;
        if (FAILED(::CoCreateInstance(kHtmlDocument, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                      reinterpret_cast<void**>(&engine)))) {
            release_control();
            return;
        }
        engine->Release();
        object_->SetClientSite(this);
        ::OleSetContainedObject(object_, TRUE);
        RECT area = place_;
        if (FAILED(object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, this, 0, panel_, &area)) ||
            FAILED(
                object_->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&browser_)))) {
            release_control();
            return;
        }
        IConnectionPointContainer* points = nullptr;
        if (SUCCEEDED(browser_->QueryInterface(IID_IConnectionPointContainer,
                                               reinterpret_cast<void**>(&points)))) {
            if (SUCCEEDED(points->FindConnectionPoint(DIID_DWebBrowserEvents2, &events_)))
                events_->Advise(static_cast<IDispatch*>(this), &cookie_);
            points->Release();
        }
        browser_->put_Silent(VARIANT_TRUE);
        browser_->put_RegisterAsDropTarget(VARIANT_FALSE);
    }

    bool available() const { return browser_ != nullptr; }

    bool Navigate(const std::wstring& url) {
        if (browser_ == nullptr)
            return false;
        BSTR address = ::SysAllocString(url.c_str());
        VARIANT empty;
        ::VariantInit(&empty);
        const HRESULT result = browser_->Navigate(address, &empty, &empty, &empty, &empty);
        ::SysFreeString(address);
        return SUCCEEDED(result);
    }

    void Stop() {
        if (browser_ != nullptr)
            browser_->Stop();
    }

    // The owner is gone: no more events reach it, and the control lets go.
    void Close() {
        owner_ = nullptr;
        release_control();
        Release();
    }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IOleClientSite)
            *out = static_cast<IOleClientSite*>(this);
        else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite)
            *out = static_cast<IOleInPlaceSite*>(this);
        else if (iid == IID_IOleInPlaceUIWindow || iid == IID_IOleInPlaceFrame)
            *out = static_cast<IOleInPlaceFrame*>(this);
        else if (iid == IID_IDispatch || iid == DIID_DWebBrowserEvents2)
            *out = static_cast<IDispatch*>(this);
        else {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG left = --references_;
        if (left == 0)
            delete this;
        return left;
    }

    // IOleClientSite
    STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    STDMETHODIMP GetContainer(IOleContainer** container) override {
        *container = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleWindow (shared by the in-place site and the frame)
    STDMETHODIMP GetWindow(HWND* window) override {
        *window = panel_;
        return S_OK;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IOleInPlaceSite
    STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                  LPRECT position, LPRECT clip,
                                  LPOLEINPLACEFRAMEINFO frame_info) override {
        *frame = static_cast<IOleInPlaceFrame*>(this);
        AddRef();
        *document = nullptr;
        *position = place_;
        ::GetClientRect(panel_, clip);
        frame_info->fMDIApp = FALSE;
        frame_info->hwndFrame = ::GetAncestor(panel_, GA_ROOT);
        frame_info->haccel = nullptr;
        frame_info->cAccelEntries = 0;
        return S_OK;
    }
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
    STDMETHODIMP DiscardUndoState() override { return E_NOTIMPL; }
    STDMETHODIMP DeactivateAndUndo() override { return E_NOTIMPL; }
    STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }

    // IOleInPlaceUIWindow and IOleInPlaceFrame: the launcher has no menus or
    // tool bars to share.
    STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
    STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

    // IDispatch: the browser's navigation events
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP Invoke(DISPID event, REFIID, LCID, WORD, DISPPARAMS* parameters, VARIANT*,
                        EXCEPINFO*, UINT*) override {
        if (owner_ == nullptr || parameters == nullptr)
            return S_OK;
        // Arguments come last first: rgvarg[count - 1] is the first one.
        const auto argument = [parameters](UINT position) -> VARIANTARG* {
            if (position >= parameters->cArgs)
                return nullptr;
            return &parameters->rgvarg[parameters->cArgs - 1 - position];
        };
        switch (event) {
        case DISPID_BEFORENAVIGATE2: {
            const std::wstring target = address_of(argument(1));
            VARIANTARG* cancel = argument(6);
            if (!owner_->BeforeNavigate(target) && cancel != nullptr &&
                (cancel->vt & VT_BYREF) != 0 && cancel->pboolVal != nullptr)
                *cancel->pboolVal = VARIANT_TRUE;
            break;
        }
        case DISPID_DOCUMENTCOMPLETE:
            if (is_top_level(argument(0)))
                owner_->NavigateComplete();
            break;
        case DISPID_NAVIGATEERROR:
            if (is_top_level(argument(0)))
                owner_->NavigateError();
            break;
        default:
            break;
        }
        return S_OK;
    }

private:
    ~Site() = default;

    void release_control() {
        if (events_ != nullptr) {
            events_->Unadvise(cookie_);
            events_->Release();
            events_ = nullptr;
        }
        if (browser_ != nullptr) {
            browser_->Stop();
            browser_->Release();
            browser_ = nullptr;
        }
        if (object_ != nullptr) {
            object_->Close(OLECLOSE_NOSAVE);
            object_->SetClientSite(nullptr);
            object_->Release();
            object_ = nullptr;
        }
    }

    static std::wstring address_of(const VARIANTARG* value) {
        if (value == nullptr)
            return {};
        const VARIANT* inner = (value->vt & VT_BYREF) != 0 ? value->pvarVal : value;
        if (inner == nullptr || inner->vt != VT_BSTR || inner->bstrVal == nullptr)
            return {};
        return {inner->bstrVal, ::SysStringLen(inner->bstrVal)};
    }

    // Frames report their own events; only the page itself counts.
    bool is_top_level(const VARIANTARG* sender) const {
        if (sender == nullptr || sender->vt != VT_DISPATCH || sender->pdispVal == nullptr)
            return false;
        IUnknown* theirs = nullptr;
        IUnknown* ours = nullptr;
        sender->pdispVal->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&theirs));
        browser_->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&ours));
        const bool same = theirs != nullptr && theirs == ours;
        if (theirs != nullptr)
            theirs->Release();
        if (ours != nullptr)
            ours->Release();
        return same;
    }

    ULONG references_ = 1;
    NewsBrowser* owner_;
    HWND panel_;
    RECT place_;
    IOleObject* object_ = nullptr;
    IWebBrowser2* browser_ = nullptr;
    IConnectionPoint* events_ = nullptr;
    DWORD cookie_ = 0;
};

NewsBrowser::NewsBrowser(HWND panel, int left, int top, int width, int height)
    : site_(new Site(*this, panel, RECT{left, top, left + width, top + height})) {
    open_outside_ = [](const std::wstring& address) {
        ::ShellExecuteW(nullptr, nullptr, address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    };
}

NewsBrowser::~NewsBrowser() {
    site_->Close();
}

bool NewsBrowser::available() const {
    return site_->available();
}

void NewsBrowser::Navigate(const std::wstring& news_url) {
    news_url_ = news_url;
    finished_ = false;
    if (!site_->Navigate(news_url))
        NavigateError();
}

void NewsBrowser::Stop() {
    site_->Stop();
}

void NewsBrowser::DetachHandlers() {
    attached_ = false;
}

bool NewsBrowser::BeforeNavigate(const std::wstring& target) {
    if (!attached_ || IsNewsAddress(target, news_url_))
        return true;
    if (open_outside_)
        open_outside_(target);
    return false;
}

void NewsBrowser::NavigateComplete() {
    if (!attached_ || finished_)
        return;
    finished_ = true;
    if (on_completed_)
        on_completed_();
}

void NewsBrowser::NavigateError() {
    if (!attached_ || finished_)
        return;
    finished_ = true;
    if (on_failed_)
        on_failed_();
}

} // namespace launcher::app
