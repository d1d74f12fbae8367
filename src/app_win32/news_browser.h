#pragma once

#include <functional>
#include <memory>
#include <string>
#include <windows.h>

namespace launcher::app {

// Whether the news browser loads an address itself: only the news page's own
// address, compared without regard to letter case, stays inside the launcher.
bool IsNewsAddress(const std::wstring& target, const std::wstring& news_url);

// The news page inside the main window: the system's web browser control
// hosted in the news panel (a child window). Links and frames that lead
// anywhere else are opened with the system's default handler and cancelled
// here, so the news page stays in place. Completion and failure of the news
// page are reported once per navigation. Where the system has no browser
// engine, every navigation fails at once.
class NewsBrowser {
public:
    using OpenOutside = std::function<void(const std::wstring&)>;

    // The browser fills `panel` from (left, top) at width x height (the panel
    // clips what lies outside it).
    NewsBrowser(HWND panel, int left, int top, int width, int height);
    ~NewsBrowser();
    NewsBrowser(const NewsBrowser&) = delete;
    NewsBrowser& operator=(const NewsBrowser&) = delete;

    // Whether a browser engine could be created.
    bool available() const;
    void Navigate(const std::wstring& news_url);
    void Stop();
    // After this the browser loads whatever it is asked to and reports
    // nothing more.
    void DetachHandlers();

    void SetOnCompleted(std::function<void()> on_completed) {
        on_completed_ = std::move(on_completed);
    }
    void SetOnFailed(std::function<void()> on_failed) { on_failed_ = std::move(on_failed); }
    // Opens addresses outside the launcher; the system's default handler
    // unless replaced.
    void SetOpenOutside(OpenOutside open_outside) { open_outside_ = std::move(open_outside); }

    // What the browser does before a navigation: true lets it proceed.
    bool BeforeNavigate(const std::wstring& target);
    void NavigateComplete();
    void NavigateError();

private:
    class Site;

    std::wstring news_url_;
    bool finished_ = true;
    bool attached_ = true;
    std::function<void()> on_completed_;
    std::function<void()> on_failed_;
    OpenOutside open_outside_;
    Site* site_ = nullptr; // the COM host; released, not deleted
};

} // namespace launcher::app
