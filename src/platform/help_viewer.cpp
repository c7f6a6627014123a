#include "platform/help_viewer.h"

#include "platform/accessibility.h"
#include "platform/help.h"
#include "platform/keyboard.h"
#include "platform/service.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QListWidget>
#include <QRegularExpression>
#include <QScreen>
#include <QSplitter>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolButton>
#include <QVBoxLayout>

namespace zemble::platform {
namespace {

// The window's size where the screen has the room.
constexpr QSize kPreferredSize(760, 540);

QString resourceFor(const QString& page) {
    return QStringLiteral(":/%1/%2").arg(QLatin1String(kHelpFile), page);
}

// The contents list: every topic page that is present, named by its <title>.
struct Entry {
    QString page;
    QString title;
};

QList<Entry> presentTopics() {
    static const char* const pages[] = {topics::main,     topics::contacts, topics::import,
                                        topics::multiple, topics::prefs,    topics::login,
                                        topics::sendError};
    static const QRegularExpression titleTag(QStringLiteral("<title>(.*?)</title>"),
                                             QRegularExpression::CaseInsensitiveOption |
                                                 QRegularExpression::DotMatchesEverythingOption);
    QList<Entry> entries;
    for (const char* name : pages) {
        const QString page = QString::fromLatin1(name);
        QFile file(resourceFor(page));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const auto match = titleTag.match(QString::fromUtf8(file.readAll()));
        entries.append({page, match.hasMatch() ? match.captured(1).trimmed() : page});
    }
    return entries;
}

QString notFoundHtml(const QString& page) {
    return QStringLiteral("<html><head><title>Topic not found</title></head><body>"
                          "<h2>Topic not found</h2><p>The help page <b>%1</b> is not part of "
                          "this copy of %2.</p></body></html>")
        .arg(page.toHtmlEscaped(), QLatin1String(kHelpFile));
}

// The page view.  A page that is not there, asked for by name or reached by a
// link, is answered with a short notice, so it takes its place in the Back
// and Forward history like any other page.
class PageBrowser final : public QTextBrowser {
public:
    using QTextBrowser::QTextBrowser;

    QVariant loadResource(int type, const QUrl& name) override {
        if (type == QTextDocument::HtmlResource && name.scheme() == QLatin1String("qrc") &&
            !QFileInfo(QLatin1Char(':') + name.path()).isFile())
            return notFoundHtml(name.fileName());
        return QTextBrowser::loadResource(type, name);
    }
};

class DesktopHelp final : public HelpService {
public:
    void showTopic(const QString& page) override { viewer().showTopic(page); }
    void showContents() override { viewer().showContents(); }

private:
    HelpViewer& viewer() {
        if (!viewer_)
            viewer_ = new HelpViewer; // lives until the program ends
        return *viewer_;
    }
    HelpViewer* viewer_ = nullptr;
};

} // namespace

HelpViewer::HelpViewer(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("helpViewer"));
    // A main window of its own to a screen reader, not a pane.
    setProperty("accessibleRole", QStringLiteral("Window"));
    setWindowTitle(QStringLiteral("Zemble Help"));
    resize(kPreferredSize);

    auto* close = new QAction(this);
    close->setShortcuts({QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)});
    close->setShortcutContext(Qt::WindowShortcut);
    connect(close, &QAction::triggered, this, &QWidget::close);
    addAction(close);

    back_ = new QToolButton(this);
    back_->setObjectName(QStringLiteral("cmdBack"));
    back_->setText(QStringLiteral("Back"));
    forward_ = new QToolButton(this);
    forward_->setObjectName(QStringLiteral("cmdForward"));
    forward_->setText(QStringLiteral("Forward"));
    auto* contentsButton = new QToolButton(this);
    contentsButton->setObjectName(QStringLiteral("cmdContents"));
    contentsButton->setText(QStringLiteral("Contents"));

    contents_ = new QListWidget(this);
    contents_->setObjectName(QStringLiteral("lstTopics"));
    contents_->setAccessibleName(QStringLiteral("Help topics"));
    browser_ = new PageBrowser(this);
    browser_->setObjectName(QStringLiteral("txtPage"));
    browser_->setAccessibleName(QStringLiteral("Help page"));
    for (QToolButton* button : {contentsButton, back_, forward_})
        pressOnEnter(button);
    browser_->setOpenExternalLinks(true);
    browser_->setSearchPaths({QStringLiteral(":/%1").arg(QLatin1String(kHelpFile))});

    auto* bar = new QHBoxLayout;
    bar->addWidget(contentsButton);
    bar->addWidget(back_);
    bar->addWidget(forward_);
    bar->addStretch();
    auto* split = new QSplitter(this);
    split->addWidget(contents_);
    split->addWidget(browser_);
    split->setStretchFactor(1, 3);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(split);

    applyAccessibleRoles(this);
    fillContents();
    back_->setEnabled(false);
    forward_->setEnabled(false);
    connect(back_, &QToolButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward_, &QToolButton::clicked, browser_, &QTextBrowser::forward);
    connect(browser_, &QTextBrowser::backwardAvailable, back_, &QToolButton::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QToolButton::setEnabled);
    // The contents list follows the page shown, however it was reached.
    connect(browser_, &QTextBrowser::sourceChanged, this, [this](const QUrl& url) {
        current_ = url.fileName();
        int row = -1;
        for (int i = 0; i < contents_->count(); ++i) {
            if (contents_->item(i)->data(Qt::UserRole).toString() == current_)
                row = i;
        }
        contents_->setCurrentRow(row);
    });
    connect(contentsButton, &QToolButton::clicked, this, &HelpViewer::showContents);
    connect(contents_, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { display(item->data(Qt::UserRole).toString()); });
    connect(contents_, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { display(item->data(Qt::UserRole).toString()); });
}

void HelpViewer::fillContents() {
    contents_->clear();
    for (const Entry& entry : presentTopics()) {
        auto* item = new QListWidgetItem(entry.title, contents_);
        item->setData(Qt::UserRole, entry.page);
    }
}

void HelpViewer::display(const QString& page) {
    // A name with a path in it could reach outside the help pages.
    const QString name = QFileInfo(page).fileName();
    browser_->setSource(QUrl(QStringLiteral("qrc:/%1/%2").arg(QLatin1String(kHelpFile), name)),
                        QTextDocument::HtmlResource);
}

void HelpViewer::present() {
    if (!isVisible()) {
        // The whole window, frame included, within the screen's free area.
        // A tenth of the room is left for the frame, which is not known
        // before the window is first shown.
        const QRect area = screen()->availableGeometry();
        resize(kPreferredSize.boundedTo(area.size() * 9 / 10));
        QRect placed(QPoint(), frameGeometry().size());
        placed.moveCenter(area.center());
        move(placed.topLeft());
    }
    show();
    raise();
    activateWindow();
}

void HelpViewer::showTopic(const QString& page) {
    display(page);
    present();
}

void HelpViewer::showContents() {
    contents_->setFocus();
    if (contents_->count() > 0) {
        contents_->setCurrentRow(0);
        display(contents_->item(0)->data(Qt::UserRole).toString());
    } else {
        display(QString::fromLatin1(topics::main));
    }
    present();
}

QString HelpViewer::pageText() const {
    return browser_->toPlainText();
}

HelpService& HelpService::real() {
    static DesktopHelp service;
    return service;
}

void show_help_topic(const QString& page) {
    use<HelpService>().showTopic(page);
}

void show_help_contents() {
    use<HelpService>().showContents();
}

} // namespace zemble::platform
