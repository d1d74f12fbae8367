#include "app/news_browser.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <unistd.h>

namespace launcher::app {

void PrepareNewsBrowserEngine() {
    if (::geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

bool IsNewsAddress(const QUrl& target, const QString& news_url) {
    if (target.toString().compare(news_url, Qt::CaseInsensitive) == 0)
        return true;
    // The engine reports addresses in their normal form ("http://host/" for
    // "http://HOST"), so both are compared in that form as well.
    const auto normal_form = [](QUrl url) {
        url = url.adjusted(QUrl::NormalizePathSegments);
        if (!url.host().isEmpty() && url.path().isEmpty())
            url.setPath(QStringLiteral("/"));
        return url.toString();
    };
    const QUrl news = QUrl::fromUserInput(news_url);
    return news.isValid() &&
           normal_form(target).compare(normal_form(news), Qt::CaseInsensitive) == 0;
}

// Routes every navigation, of the page and of its frames, through the
// browser's decision. Pages that would open in a new window get a page of
// their own whose first navigation goes outside.
class NewsBrowser::Page final : public QWebEnginePage {
public:
    Page(NewsBrowser& browser, bool opens_window)
        : QWebEnginePage(&browser), browser_(browser), opens_window_(opens_window) {}

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType, bool) override {
        if (!opens_window_)
            return browser_.BeforeNavigate(url);
        if (browser_.open_outside_)
            browser_.open_outside_(url);
        deleteLater();
        return false;
    }

    QWebEnginePage* createWindow(WebWindowType) override { return new Page(browser_, true); }

private:
    NewsBrowser& browser_;
    bool opens_window_;
};

NewsBrowser::NewsBrowser(QWidget* parent)
    : QWebEngineView(parent),
      open_outside_([](const QUrl& url) { QDesktopServices::openUrl(url); }) {
    setPage(new Page(*this, false));
    SetBaseColor(Qt::black);
    setContextMenuPolicy(Qt::NoContextMenu);
    connect(this, &QWebEngineView::loadFinished, this, [this](bool ok) { load_finished(ok); });
}

void NewsBrowser::Navigate(const QString& news_url) {
    news_url_ = news_url;
    finished_ = false;
    cancelled_since_load_ = false;
    load(QUrl::fromUserInput(news_url));
}

void NewsBrowser::SetBaseColor(const QColor& color) {
    // Never see-through: the engine draws a page with a transparent
    // background above every other widget of the window.
    QColor opaque = color;
    opaque.setAlpha(255);
    page()->setBackgroundColor(opaque);
}

void NewsBrowser::DetachHandlers() {
    attached_ = false;
}

bool NewsBrowser::BeforeNavigate(const QUrl& target) {
    if (!attached_ || IsNewsAddress(target, news_url_))
        return true;
    cancelled_since_load_ = true;
    if (open_outside_)
        open_outside_(target);
    return false;
}

void NewsBrowser::load_finished(bool ok) {
    if (!attached_)
        return;
    // The engine reports a navigation it was told to cancel as a failed
    // load; the news page itself is still shown.
    if (!ok && cancelled_since_load_ && finished_) {
        cancelled_since_load_ = false;
        return;
    }
    finished_ = true;
    cancelled_since_load_ = false;
    if (ok) {
        if (on_completed_)
            on_completed_();
    } else if (on_failed_) {
        on_failed_();
    }
}

} // namespace launcher::app
