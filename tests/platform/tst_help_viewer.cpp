#include "platform/help.h"
#include "platform/help_viewer.h"

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

QString title_of(const QString& html) {
    static const QRegularExpression tag(QStringLiteral("<title>([^<]*)</title>"));
    return tag.match(html).captured(1).trimmed();
}

} // namespace

class TestHelpViewer : public QObject {
    Q_OBJECT

    static QTextBrowser* browser(HelpViewer& viewer) {
        return viewer.findChild<QTextBrowser*>(QStringLiteral("txtPage"));
    }
    static QToolButton* button(HelpViewer& viewer, const char* name) {
        return viewer.findChild<QToolButton*>(QLatin1String(name));
    }

private slots:
    void topic_data() {
        QTest::addColumn<QString>("page");
        for (const QString& page : kTopics)
            QTest::newRow(qPrintable(page)) << page;
    }

    // Every page is compiled into the program, has a title and a heading, and
    // every link in it leads to another page that is there.
    void topic() {
        QFETCH(QString, page);
        const QString html = page_source(page);
        QVERIFY2(!html.isEmpty(), "page missing from the resources");
        QVERIFY(!title_of(html).isEmpty());
        QVERIFY(html.contains(QLatin1String("<h1>")));
        static const QRegularExpression link(QStringLiteral("href=\"([^\"]*)\""));
        auto links = link.globalMatch(html);
        int count = 0;
        while (links.hasNext()) {
            const QString target = links.next().captured(1);
            QVERIFY2(kTopics.contains(target), qPrintable(target));
            QVERIFY(target != page);
            ++count;
        }
        QVERIFY(count > 0);
    }

    void shows_topic_data() { topic_data(); }
    void shows_topic() {
        QFETCH(QString, page);
        HelpViewer viewer;
        viewer.showTopic(page);
        QCOMPARE(viewer.currentPage(), page);
        QCOMPARE(browser(viewer)->documentTitle(), title_of(page_source(page)));
        QVERIFY(!viewer.pageText().contains(QLatin1String("Topic not found")));
        QVERIFY(viewer.isVisible());
    }

    void contents_lists_every_topic() {
        HelpViewer viewer;
        auto* list = viewer.findChild<QListWidget*>(QStringLiteral("lstTopics"));
        QVERIFY(list);
        QCOMPARE(list->count(), kTopics.size());
        for (int i = 0; i < list->count(); ++i)
            QCOMPARE(list->item(i)->text(), title_of(page_source(kTopics.at(i))));
        viewer.showContents();
        QCOMPARE(viewer.currentPage(), QString::fromLatin1(topics::main));
        // Picking a topic in the list shows it.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(4)).center());
        QCOMPARE(viewer.currentPage(), QString::fromLatin1(topics::prefs));
    }

    void missing_topic_data() {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("named");
        QTest::newRow("unknown page") << "nothere.html"
                                      << "nothere.html";
        QTest::newRow("empty name") << ""
                                    << "";
        QTest::newRow("path outside the help") << "../../etc/passwd"
                                               << "passwd";
        QTest::newRow("markup in the name") << "<i>x.html"
                                            << "<i>x.html";
    }
    void missing_topic() {
        QFETCH(QString, page);
        QFETCH(QString, named);
        HelpViewer viewer;
        viewer.showTopic(QString::fromLatin1(topics::main));
        viewer.showTopic(page); // returns: nothing waits on the user
        QVERIFY(viewer.pageText().contains(QLatin1String("Topic not found")));
        QVERIFY(viewer.pageText().contains(QLatin1String("zemble.chm")));
        QVERIFY(viewer.pageText().contains(named));
        QVERIFY(viewer.isVisible());
        // The notice is a step in the history like any page.
        QVERIFY(button(viewer, "cmdBack")->isEnabled());
        QTest::mouseClick(button(viewer, "cmdBack"), Qt::LeftButton);
        QCOMPARE(viewer.currentPage(), QString::fromLatin1(topics::main));
    }

    void back_and_forward() {
        HelpViewer viewer;
        QToolButton* back = button(viewer, "cmdBack");
        QToolButton* forward = button(viewer, "cmdForward");
        QVERIFY(back && forward);
        viewer.showTopic(QString::fromLatin1(topics::main));
        QVERIFY(!back->isEnabled());
        QVERIFY(!forward->isEnabled());
        viewer.showTopic(QString::fromLatin1(topics::contacts));
        // A link followed from the page, resolved against it.
        browser(viewer)->setSource(QUrl(QStringLiteral("import.html")));
        QCOMPARE(viewer.currentPage(), QStringLiteral("import.html"));
        QVERIFY(back->isEnabled());

        QTest::mouseClick(back, Qt::LeftButton);
        QCOMPARE(viewer.currentPage(), QString::fromLatin1(topics::contacts));
        QTest::mouseClick(back, Qt::LeftButton);
        QCOMPARE(viewer.currentPage(), QString::fromLatin1(topics::main));
        QVERIFY(!back->isEnabled());
        QVERIFY(forward->isEnabled());
        QTest::mouseClick(forward, Qt::LeftButton);
        QCOMPARE(viewer.currentPage(), QString::fromLatin1(topics::contacts));
        QCOMPARE(browser(viewer)->documentTitle(), QStringLiteral("The address book"));
        QTest::mouseClick(forward, Qt::LeftButton);
        QCOMPARE(viewer.currentPage(), QStringLiteral("import.html"));
        QVERIFY(!forward->isEnabled());
    }

    // The program's routines reach the one help window and do not wait on it.
    void help_routines_use_one_window() {
        show_help_topic(QString::fromLatin1(topics::login));
        show_help_contents();
        int viewers = 0;
        HelpViewer* shown = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* v = qobject_cast<HelpViewer*>(w)) {
                ++viewers;
                shown = v;
            }
        }
        QCOMPARE(viewers, 1);
        QCOMPARE(shown->currentPage(), QString::fromLatin1(topics::main));
        QVERIFY(shown->isVisible());
    }
};

QTEST_MAIN(TestHelpViewer)
#include "tst_help_viewer.moc"
