#include "platform/help.h"
#include "platform/help_viewer.h"

#include <QApplication>
#include <QFile>
#include <QListWidget>
#include <QRegularExpression>
#include <QTest>
#include <QTextBrowser>
#include <QToolButton>

using namespace zemble::platform;

namespace {

const QStringList kTopics = {topics::main,  topics::contacts, topics::import,   topics::multiple,
                             topics::prefs, topics::login,    topics::sendError};

QString page_source(const QString& page) {
    QFile file(QStringLiteral(":/zemble.chm/") + page);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QString title_of(const QString& page) {
    static const QRegularExpression tag(QStringLiteral("<title>([^<]*)</title>"));
    return tag.match(page_source(page)).captured(1).trimmed();
}

QTextBrowser* browser(HelpViewer& viewer) {
    return viewer.findChild<QTextBrowser*>(QStringLiteral("txtPage"));
}

void click(HelpViewer& viewer, const char* button) {
    QTest::mouseClick(viewer.findChild<QToolButton*>(QLatin1String(button)), Qt::LeftButton);
}

bool enabled(HelpViewer& viewer, const char* button) {
    return viewer.findChild<QToolButton*>(QLatin1String(button))->isEnabled();
}

} // namespace

class TestHelpViewer : public QObject {
    Q_OBJECT
private slots:
    void topic_data() {
        QTest::addColumn<QString>("page");
        for (const QString& page : kTopics)
            QTest::newRow(qPrintable(page)) << page;
    }
    // Each page is compiled in, has a title, every link in it leads to a page
    // that is there, and the viewer shows it.
    void topic() {
        QFETCH(QString, page);
        QVERIFY(!title_of(page).isEmpty());
        static const QRegularExpression link(QStringLiteral("href=\"([^\"]*)\""));
        auto links = link.globalMatch(page_source(page));
        QVERIFY(links.hasNext());
        while (links.hasNext())
            QVERIFY(kTopics.contains(links.next().captured(1)));
        HelpViewer viewer;
        viewer.showTopic(page);
        QCOMPARE(viewer.currentPage(), page);
        QCOMPARE(browser(viewer)->documentTitle(), title_of(page));
        QVERIFY(viewer.isVisible());
    }

    void missing_topic_data() {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("shown");
        QTest::newRow("empty") << QString() << QStringLiteral("zemble.chm");
        QTest::newRow("path outside")
            << QStringLiteral("../../etc/passwd") << QStringLiteral("passwd");
        QTest::newRow("markup") << QStringLiteral("<i>x.html") << QStringLiteral("<i>x.html");
    }
    void missing_topic() {
        QFETCH(QString, page);
        QFETCH(QString, shown);
        HelpViewer viewer;
        viewer.showTopic(QString::fromLatin1(topics::main));
        viewer.showTopic(page); // returns: nothing waits on the user
        QVERIFY(viewer.pageText().contains(QLatin1String("Topic not found")));
        QVERIFY(viewer.pageText().contains(shown));
        click(viewer, "cmdBack"); // the notice is a step in the history
        QCOMPARE(viewer.currentPage(), QString::fromLatin1(topics::main));
    }

    void back_and_forward() {
        HelpViewer viewer;
        viewer.showTopic(QString::fromLatin1(topics::main));
        QVERIFY(!enabled(viewer, "cmdBack") && !enabled(viewer, "cmdForward"));
        viewer.showTopic(QString::fromLatin1(topics::contacts));
        browser(viewer)->setSource(QUrl(QStringLiteral("import.html"))); // a followed link
        QCOMPARE(viewer.currentPage(), QStringLiteral("import.html"));
        click(viewer, "cmdBack");
        // Enter on the button with the caret presses it, as Space does.
        QTest::keyClick(viewer.findChild<QToolButton*>(QStringLiteral("cmdBack")), Qt::Key_Return);
        QCOMPARE(viewer.currentPage(), QString::fromLatin1(topics::main));
        QVERIFY(!enabled(viewer, "cmdBack") && enabled(viewer, "cmdForward"));
        click(viewer, "cmdForward");
        QCOMPARE(browser(viewer)->documentTitle(), title_of(QString::fromLatin1(topics::contacts)));
        click(viewer, "cmdForward");
        QCOMPARE(viewer.currentPage(), QStringLiteral("import.html"));
        QVERIFY(!enabled(viewer, "cmdForward"));
    }

    // The program's routines reach one help window, whose contents list
    // names every topic by its title.
    void help_routines() {
        show_help_topic(QString::fromLatin1(topics::login));
        show_help_contents();
        QList<HelpViewer*> viewers;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* v = qobject_cast<HelpViewer*>(w))
                viewers << v;
        QCOMPARE(viewers.size(), 1);
        QCOMPARE(viewers[0]->currentPage(), QString::fromLatin1(topics::main));
        auto* list = viewers[0]->findChild<QListWidget*>(QStringLiteral("lstTopics"));
        QCOMPARE(list->count(), kTopics.size());
        for (int i = 0; i < list->count(); ++i)
            QCOMPARE(list->item(i)->text(), title_of(kTopics.at(i)));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(4)).center());
        QCOMPARE(viewers[0]->currentPage(), QString::fromLatin1(topics::prefs));
        show_help_topic(QString::fromLatin1(topics::sendError)); // the list follows
        QCOMPARE(list->currentRow(), 6);
        show_help_topic(QStringLiteral("nothere.html"));
        QCOMPARE(list->currentRow(), -1);
    }
};

QTEST_MAIN(TestHelpViewer)
#include "tst_help_viewer.moc"
