#include "platform/page_display.h"
#include "support/page_display_double.h"

#include <QTest>
#include <QTextBrowser>

using zemble::platform::PageDisplayService;
using zemble::test::realPageWindow;
using namespace Qt::StringLiterals;

class TestPageDisplay : public QObject {
    Q_OBJECT
private slots:
    // A page's text, references resolved, scripts and styles left out.
    void shownText_data() {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("text");
        QTest::newRow("markup") << "<p>Hello <b>there</b></p>"
                                << "Hello there";
        QTest::newRow("references")
            << "&pound;5 &amp; &#163;6 &#xA3;7 & AT&T; a < b" << u"£5 & £6 £7 & AT&T; a < b"_s;
        QTest::newRow("hidden content")
            << "<html><head><title>T</title><style>p{}</style><script>if (a<b) x()</script>"
               "</head><body><!-- c --><p>Hi</p></body></html>"
            << "Hi";
        QTest::newRow("cells side by side")
            << "<table><tr><td>a<td>b<tr><td>c</table>" << u"a   b\nc"_s;
    }
    // The window at its place and size; closed by the program or from its frame.
    void shownText() {
        QFETCH(QString, page);
        QFETCH(QString, text);
        PageDisplayService& display = PageDisplayService::real();
        QVERIFY(!display.isOpen());
        display.open();
        QTextBrowser* view = realPageWindow();
        QVERIFY(display.isOpen() && view && view->isVisible());
        QCOMPARE(QRect(view->frameGeometry().topLeft(), view->size()), QRect(100, 100, 360, 360));
        display.showPage(page);
        QCOMPARE(view->toPlainText(), text);
        display.close();
        QVERIFY(!display.isOpen());
        QTRY_VERIFY(!realPageWindow());
        display.open();
        realPageWindow()->close();
        QTRY_VERIFY(!display.isOpen());
    }
};

QTEST_MAIN(TestPageDisplay)
#include "tst_page_display.moc"
