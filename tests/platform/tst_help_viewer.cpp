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

} // namespace

class TestHelpViewer : public QObject {
    Q_OBJECT
private slots:
    // Each page is compiled in, has a title and links only to pages that are there.  The
    // program's routines reach one help window, which shows each, and whose contents list names
    // every topic by its title and follows the page shown.  A missing page (a path outside, markup
    // in the name) is a notice that names it, and a step in Back and Forward like any page.
    void help_routines() {
        show_help_topic(kTopics[5]);
        QList<HelpViewer*> viewers;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* v = qobject_cast<HelpViewer*>(w))
                viewers << v;
        QCOMPARE(viewers.size(), 1);
        auto* back = viewers[0]->findChild<QToolButton*>(u"cmdBack"_s);
        auto* forward = viewers[0]->findChild<QToolButton*>(u"cmdForward"_s);
        QVERIFY(!back->isEnabled() && !forward->isEnabled());
        static const QRegularExpression link(u"href=\"([^\"]*)\""_s);
        for (const QString& page : kTopics) {
            QVERIFY(!titleOf(page).isEmpty());
            auto links = link.globalMatch(pageSource(page));
            QVERIFY(links.hasNext());
            while (links.hasNext())
                QVERIFY(kTopics.contains(links.next().captured(1)));
            show_help_topic(page);
            QCOMPARE(viewers[0]->findChild<QTextBrowser*>(u"txtPage"_s)->documentTitle(),
                     titleOf(page));
        }
        show_help_contents();
        QCOMPARE(viewers[0]->currentPage(), kTopics[0]);
        auto* list = viewers[0]->findChild<QListWidget*>(u"lstTopics"_s);
        for (int i = 0; i < list->count(); ++i)
            QCOMPARE(list->item(i)->text(), titleOf(kTopics.at(i)));
        QCOMPARE(list->count(), kTopics.size());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(4)).center());
        QCOMPARE(viewers[0]->currentPage(), kTopics[4]);
        show_help_topic(kTopics[6]);
        QCOMPARE(list->currentRow(), 6);
        for (const auto& [page, shown] : {std::pair{u"../../etc/passwd"_s, u"page passwd is"_s},
                                          {u"<i>x.html"_s, u"page <i>x.html is"_s}}) {
            show_help_topic(page); // returns: nothing waits on the user
            QCOMPARE(viewers[0]->pageText(), u"Topic not found\nThe help "_s + shown +
                                                 u" not part of this copy of zemble.chm."_s);
            QCOMPARE(list->currentRow(), -1);
        }
        // Thirteen pages shown: twelve steps back to the first, twelve forward to the last.
        for (QToolButton* button : {back, forward}) {
            int steps = 0;
            for (; button->isEnabled() && steps < 20; ++steps)
                QTest::mouseClick(button, Qt::LeftButton);
            QCOMPARE(steps, 12);
            QVERIFY(back->isEnabled() != forward->isEnabled());
        }
        QCOMPARE(viewers[0]->pageText().left(15), u"Topic not found"_s);
    }

    // Escape and Ctrl+W close the window, whichever pane has the caret; other keys leave it open.
    void closingKeys_data() {
        QTest::addColumn<QString>("caretIn");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<bool>("closed");
        QTest::newRow("Escape in the page") << "txtPage"
                                            << "Esc" << true;
        QTest::newRow("Ctrl+W in the contents list") << "lstTopics"
                                                     << "Ctrl+W" << true;
        QTest::newRow("Down in the contents list") << "lstTopics"
                                                   << "Down" << false;
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
