#include "platform/help.h"
#include "platform/help_viewer.h"

#include <QAccessible>
#include <QtTest>
#include <QtWidgets>

using namespace zemble::platform;
using namespace Qt::StringLiterals;

namespace {

const QStringList kTopics = {topics::main,  topics::contacts, topics::import,   topics::multiple,
                             topics::prefs, topics::login,    topics::sendError};

QString pageSource(const QString& page) {
    QFile file(":/zemble.chm/"_L1 + page);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QString titleOf(const QString& page) {
    static const QRegularExpression tag(u"<title>([^<]*)</title>"_s);
    return tag.match(pageSource(page)).captured(1).trimmed();
}

// The one help window the program's routines show.
HelpViewer* theViewer() {
    QList<HelpViewer*> viewers;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* v = qobject_cast<HelpViewer*>(w))
            viewers << v;
    return viewers.size() == 1 ? viewers[0] : nullptr;
}

} // namespace

class TestHelpViewer : public QObject {
    Q_OBJECT
private slots:
    // Each page is compiled in, has a title and links only to pages that are there.
    void eachPageHasATitleAndLinksThatResolve() {
        static const QRegularExpression link(u"href=\"([^\"]*)\""_s);
        for (const QString& page : kTopics) {
            QVERIFY2(!titleOf(page).isEmpty(), qPrintable(page));
            auto links = link.globalMatch(pageSource(page));
            QVERIFY(links.hasNext());
            while (links.hasNext())
                QVERIFY(kTopics.contains(links.next().captured(1)));
        }
    }

    // The program's routines reach one help window, which shows each page, and whose contents
    // list names every topic by its title and follows the page shown.
    void oneWindowShowsEachTopicUnderItsTitle() {
        show_help_topic(kTopics[5]);
        HelpViewer* viewer = theViewer();
        QVERIFY(viewer);
        for (const QString& page : kTopics) {
            show_help_topic(page);
            QCOMPARE(theViewer(), viewer);
            QCOMPARE(viewer->findChild<QTextBrowser*>(u"txtPage"_s)->documentTitle(),
                     titleOf(page));
        }
        show_help_contents();
        QCOMPARE(viewer->currentPage(), kTopics[0]);
        auto* list = viewer->findChild<QListWidget*>(u"lstTopics"_s);
        QStringList titles, listed;
        for (const QString& page : kTopics)
            titles << titleOf(page);
        for (int i = 0; i < list->count(); ++i)
            listed << list->item(i)->text();
        QCOMPARE(listed, titles);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(4)).center());
        QCOMPARE(viewer->currentPage(), kTopics[4]);
        show_help_topic(kTopics[6]);
        QCOMPARE(list->currentRow(), 6);
    }

    // A page that is not there (a path outside, markup in the name) is a notice that names it;
    // the routine returns, as nothing waits on the user.
    void aMissingPageIsANoticeThatNamesIt_data() {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("named");
        QTest::newRow("a path outside the help") << u"../../etc/passwd"_s << u"passwd"_s;
        QTest::newRow("markup in the name") << u"<i>x.html"_s << u"<i>x.html"_s;
    }
    void aMissingPageIsANoticeThatNamesIt() {
        QFETCH(QString, page);
        QFETCH(QString, named);
        show_help_topic(page);
        QCOMPARE(theViewer()->pageText(), u"Topic not found\nThe help page "_s + named +
                                              u" is not part of this copy of zemble.chm."_s);
        QCOMPARE(theViewer()->findChild<QListWidget*>(u"lstTopics"_s)->currentRow(), -1);
    }

    // Back and Forward step through every page shown, a missing page's notice among them.
    void backAndForwardStepThroughThePagesShown() {
        HelpViewer viewer;
        auto* back = viewer.findChild<QToolButton*>(u"cmdBack"_s);
        auto* forward = viewer.findChild<QToolButton*>(u"cmdForward"_s);
        viewer.showTopic(kTopics[0]);
        QVERIFY(!back->isEnabled() && !forward->isEnabled());
        for (const QString& page : kTopics.mid(1) + QStringList{u"gone.html"_s})
            viewer.showTopic(page);
        // Eight pages shown: seven steps back to the first, seven forward to the last.
        for (QToolButton* button : {back, forward}) {
            int steps = 0;
            for (; button->isEnabled() && steps < 20; ++steps)
                QTest::mouseClick(button, Qt::LeftButton);
            QCOMPARE(steps, 7);
            QVERIFY(back->isEnabled() != forward->isEnabled());
        }
        QCOMPARE(viewer.pageText().left(15), u"Topic not found"_s);
    }

    // Escape and Ctrl+W close the window, whichever pane has the caret; other keys leave it open.
    void closingKeys_data() {
        QTest::addColumn<QString>("caretIn");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<bool>("closed");
        QTest::newRow("Escape in the page") << u"txtPage"_s << u"Esc"_s << true;
        QTest::newRow("Ctrl+W in the contents list") << u"lstTopics"_s << u"Ctrl+W"_s << true;
        QTest::newRow("Down in the contents list") << u"lstTopics"_s << u"Down"_s << false;
    }
    void closingKeys() {
        QFETCH(QString, caretIn);
        QFETCH(QString, keys);
        QFETCH(bool, closed);
        HelpViewer viewer;
        viewer.showContents();
        QVERIFY(QTest::qWaitForWindowActive(&viewer));
        QWidget* pane = viewer.findChild<QWidget*>(caretIn);
        pane->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(pane->hasFocus());
        QTest::keySequence(pane, QKeySequence(keys));
        QCOMPARE(viewer.isVisible(), !closed);
    }

    // A screen reader meets a window of its own; at twice the size (this test's screen) the
    // window, frame and all, opens within the screen's free area.
    void windowOnTheScreen() {
        HelpViewer viewer;
        viewer.showTopic(topics::main);
        QVERIFY(QTest::qWaitForWindowExposed(&viewer));
        QCOMPARE(QAccessible::queryAccessibleInterface(&viewer)->role(), QAccessible::Window);
        const QRect area = viewer.screen()->availableGeometry();
        QCOMPARE(viewer.devicePixelRatio(), 2.0);
        QVERIFY2(area.contains(viewer.frameGeometry()),
                 qPrintable(QDebug::toString(viewer.frameGeometry()) + " outside " +
                            QDebug::toString(area)));
    }
};

// The screen at twice the size, as with a desktop scaled for a large display or large print.
int main(int argc, char** argv) {
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    TestHelpViewer test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_help_viewer.moc"
