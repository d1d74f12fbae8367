#pragma once

#include <QColor>
#include <QString>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <functional>

namespace launcher::app {

// Sets the browser engine up; call before the application object exists.
// As root the engine refuses its sandbox, so it runs without one there.
void PrepareNewsBrowserEngine();

// Whether the news browser loads an address itself: only the news page's own
// address, compared without regard to letter case, stays inside the launcher.
bool IsNewsAddress(const QUrl& target, const QString& news_url);

// The news page shown inside the main window. Links and frames that lead
// anywhere else are handed to the system's default handler and cancelled
// here, so the news page stays in place. Completion and failure of the news
// page are reported once per navigation; a navigation this browser cancelled
// is neither.
class NewsBrowser final : public QWebEngineView {
public:
    using OpenOutside = std::function<void(const QUrl&)>;

    explicit NewsBrowser(QWidget* parent);

    // Navigates to the news address. The finished flag is cleared until the
    // page has loaded or failed.
    void Navigate(const QString& news_url);
    const QString& news_url() const { return news_url_; }
    bool finished() const { return finished_; }

    // What shows until the news page paints its own background; always
    // opaque, so that the window's other widgets (the message panel) can lie
    // above the page.
    void SetBaseColor(const QColor& color);

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

    // What the page does before a navigation: true lets it proceed.
    bool BeforeNavigate(const QUrl& target);

private:
    class Page;

    void load_finished(bool ok);

    QString news_url_;
    bool finished_ = true;
    bool attached_ = true;
    bool cancelled_since_load_ = false;
    std::function<void()> on_completed_;
    std::function<void()> on_failed_;
    OpenOutside open_outside_;
};

} // namespace launcher::app
