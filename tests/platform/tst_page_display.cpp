#include "platform/page_display.h"

#include <QApplication>
#include <QTest>
#include <QTextBrowser>

using zemble::platform::PageDisplayService;

class TestPageDisplay : public QObject {
    Q_OBJECT
private slots:
    void realWindow();
};

static QTextBrowser* shown_window() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("pageDisplay"))
            return qobject_cast<QTextBrowser*>(w);
    return nullptr;
}

void TestPageDisplay::realWindow() {
    PageDisplayService& display = PageDisplayService::real();
    QVERIFY(!display.isOpen());
    display.open();
    QTextBrowser* view = shown_window();
    QVERIFY(display.isOpen() && view && view->isVisible());
    QCOMPARE(view->frameGeometry().x(), 100);
    QCOMPARE(view->size(), QSize(360, 360));
    display.showPage("<p>Hello <b>there</b></p>");
    QCOMPARE(view->toPlainText(), QString("Hello there"));
    display.close();
    QVERIFY(!display.isOpen());
    QTRY_VERIFY(!shown_window());
    display.open(); // closed by the user from its frame: closed too
    QVERIFY(display.isOpen() && shown_window());
    shown_window()->close();
    QTRY_VERIFY(!display.isOpen());
}

QTEST_MAIN(TestPageDisplay)
#include "tst_page_display.moc"
