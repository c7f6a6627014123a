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
    // The window at its place and size, showing a page's text, references resolved, scripts
    // and styles left out.
    void showsAPagesText() {
        PageDisplayService& display = PageDisplayService::real();
        display.open();
        QTextBrowser* view = realPageWindow();
        QVERIFY(display.isOpen() && view && view->isVisible());
        QCOMPARE(QRect(view->frameGeometry().topLeft(), view->size()), QRect(100, 100, 360, 360));
        QStringList shown;
        for (const char* page :
             {"<p>Hello <b>there</b></p>", "&pound;5 &amp; &#163;6 &#xA3;7 & AT&T; a < b",
              "<html><head><title>T</title><style>p{}</style><script>if (a<b) x()</script>"
              "</head><body><!-- c --><p>Hi</p></body></html>",
              "<table><tr><td>a<td>b<tr><td>c</table>"}) {
            display.showPage(QString::fromUtf8(page));
            shown << view->toPlainText();
        }
        QCOMPARE(shown, QStringList({u"Hello there"_s, u"£5 & £6 £7 & AT&T; a < b"_s, u"Hi"_s,
                                     u"a   b\nc"_s}));
        display.close();
    }

    // The window is closed by the program or from its frame, and then known to be closed.
    void closedByTheProgramOrFromItsFrame() {
        PageDisplayService& display = PageDisplayService::real();
        QVERIFY(!display.isOpen());
        display.open();
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
