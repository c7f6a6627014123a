#pragma once

#include <QWidget>

class QListWidget;
class QTextBrowser;
class QToolButton;

namespace zemble::platform {

// The program's help window (built in code, no form of its own): a contents list beside the page,
// with Back and Forward.  Pages come from the resources under ":/zemble.chm/".  Escape and
// Ctrl+W close it.
class HelpViewer : public QWidget {
    Q_OBJECT
public:
    explicit HelpViewer(QWidget* parent = nullptr);

    // Shows one topic page; a page that is not there is told in the window.
    void showTopic(const QString& page);
    void showContents();
    QString currentPage() const { return current_; }
    QString pageText() const;

private:
    void fillContents();
    // Shows the window, on its first appearance sized and placed to fit the
    // available area of its screen.
    void present();
    void display(const QString& page);

    QListWidget* contents_ = nullptr;
    QTextBrowser* browser_ = nullptr;
    QToolButton* back_ = nullptr;
    QToolButton* forward_ = nullptr;
    QString current_;
};

} // namespace zemble::platform
