#include "platform/page_display.h"

#include "platform/service.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTextBrowser>

namespace zemble::platform {
namespace {

class PageWindow final : public PageDisplayService {
public:
    ~PageWindow() override {
        // Past the end of the application object a widget can no longer be
        // destroyed; the process is ending then anyway.
        if (window_ && QCoreApplication::instance())
            delete window_.data();
    }

    void open() override {
        if (window_)
            return;
        auto* view = new QTextBrowser;
        view->setObjectName(QStringLiteral("pageDisplay"));
        view->setAttribute(Qt::WA_DeleteOnClose);
        view->setWindowTitle(QStringLiteral("O2"));
        // Never follow links inside the page: it is shown, not browsed.
        view->setOpenLinks(false);
        view->resize(360, 360);
        view->move(100, 100);
        view->setHtml(QString());
        view->show();
        window_ = view;
    }

    void showPage(const QString& html) override {
        if (window_)
            window_->setHtml(html);
    }

    void hide() override {
        if (window_)
            window_->hide();
    }

    void close() override {
        if (window_)
            window_->close(); // deletes itself
        window_.clear();
    }

    // A window the user closed from its frame counts as closed.
    bool isOpen() const override { return !window_.isNull(); }

private:
    QPointer<QTextBrowser> window_;
};

} // namespace

PageDisplayService& PageDisplayService::real() {
    static PageWindow service;
    return service;
}

} // namespace zemble::platform
