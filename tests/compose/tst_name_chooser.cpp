#include "compose/name_chooser.h"
#include "platform/help.h"
#include "platform/service.h"
#include "support/fake_compose_host.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace zemble;

namespace {

class RecordingHelp final : public platform::HelpService {
public:
    void showTopic(const QString& page) override { topics.append(page); }
    void showContents() override {}
    QStringList topics;
};

} // namespace

class TestNameChooser : public QObject {
    Q_OBJECT

    // Runs Main; `act` runs once the window is waiting.  A missed answer is
    // cancelled after two seconds so that the test fails instead of hanging.
    static QString run(NameChooserWindow& w, const QString& names, int num,
                       const std::function<void()>& act) {
        QTimer::singleShot(0, &w, [&] {
            act();
            if (w.choiceState() == NameChooserWindow::Waiting)
                QTimer::singleShot(2000, &w, [&] { w.cmdCancel_Click(); });
        });
        return w.Main(names, num, "ann");
    }
    static QListWidget* list(NameChooserWindow& w) {
        return w.findChild<QListWidget*>("lstContacts");
    }

private slots:
    void shows_the_question_data() {
        QTest::addColumn<QString>("names");
        QTest::addColumn<int>("num");
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("Anne, Anna") << "Anne;Anna" << 2 << QStringList{"Anna", "Anne"};
        QTest::newRow("case ignored, first num")
            << "bob;Anne;anna;BEN;Al" << 4 << QStringList{"anna", "Anne", "BEN", "bob"};
    }
    void shows_the_question() {
        QFETCH(QString, names);
        QFETCH(int, num);
        QFETCH(QStringList, listed);
        test::FakeComposeHost host;
        NameChooserWindow w(host);
        QStringList seen;
        QString question;
        int row = -2;
        QCOMPARE(run(w, names, num,
                     [&] {
                         for (int i = 0; i < list(w)->count(); ++i)
                             seen.append(list(w)->item(i)->text());
                         question = w.findChild<QLabel*>("lblSelect")->text();
                         row = list(w)->currentRow();
                         w.cmdOk_Click();
                     }),
                 listed.first());
        QCOMPARE(seen, listed);
        QCOMPARE(question, QString("Please select whom you mean by 'ann' .."));
        QCOMPARE(row, 0);
        QCOMPARE(host.calls, QStringList({"disable", "enable", "raise", "update_status_bar"}));
        QVERIFY(!w.isVisible());
    }

    void answers_data() {
        QTest::addColumn<QString>("how"); // a button, a key pressed in the list, or else
        QTest::addColumn<QString>("expected");
        QTest::newRow("OK") << "cmdOk"
                            << "Anne";
        QTest::newRow("Enter") << "Return"
                               << "Anne";
        QTest::newRow("keypad Enter") << "Enter"
                                      << "Anne";
        QTest::newRow("Space") << "Space"
                               << "Anne";
        QTest::newRow("double-click") << "double-click"
                                      << "Anne";
        QTest::newRow("Help, then waits") << "cmdHelp"
                                          << "Anna";
        QTest::newRow("Cancel") << "cmdCancel"
                                << "ann";
        QTest::newRow("Escape") << "Escape"
                                << "ann";
        QTest::newRow("frame close") << "close"
                                     << "ann";
    }
    void answers() {
        QFETCH(QString, how);
        QFETCH(QString, expected);
        const QHash<QString, Qt::Key> keys{{"Return", Qt::Key_Return},
                                           {"Enter", Qt::Key_Enter},
                                           {"Space", Qt::Key_Space},
                                           {"Escape", Qt::Key_Escape}};
        RecordingHelp help;
        platform::ScopedService<platform::HelpService> guard(&help);
        test::FakeComposeHost host;
        NameChooserWindow w(host);
        const QString result = run(w, "Anna;Anne", 2, [&] {
            QListWidget* lst = list(w);
            lst->setCurrentRow(1);
            const QPoint at = lst->visualItemRect(lst->item(1)).center();
            if (how.startsWith("cmd")) {
                QTest::mouseClick(w.findChild<QPushButton*>(how), Qt::LeftButton);
            } else if (keys.contains(how)) {
                QTest::keyClick(lst, keys[how]);
            } else if (how == "double-click") { // a widget double-click follows a press
                QTest::mousePress(lst->viewport(), Qt::LeftButton, {}, at);
                QTest::mouseDClick(lst->viewport(), Qt::LeftButton, {}, at);
            } else {
                w.close();
            }
            // Help leaves the question open: then take the first name.
            if (how == "cmdHelp" && w.choiceState() == NameChooserWindow::Waiting) {
                lst->setCurrentRow(0);
                w.cmdOk_Click();
            }
        });
        QCOMPARE(result, expected);
        QCOMPARE(help.topics, how == "cmdHelp" ? QStringList{"multiple.html"} : QStringList{});
        QVERIFY(host.enabled);
    }

    // OK with no item selected, and a second question while one is open,
    // both keep the typed text.
    void typed_text_kept() {
        test::FakeComposeHost host;
        NameChooserWindow w(host);
        QCOMPARE(run(w, "Anna;Anne", 2,
                     [&] {
                         list(w)->clearSelection();
                         w.cmdOk_Click();
                     }),
                 QString("ann"));
        QString nested;
        QCOMPARE(run(w, "Anna;Anne", 2,
                     [&] {
                         nested = w.Main("Bob;Bert", 2, "b");
                         w.cmdOk_Click();
                     }),
                 QString("Anna"));
        QCOMPARE(nested, QString("b"));
        QCOMPARE(host.count("update_status_bar"), 2);
    }
};

QTEST_MAIN(TestNameChooser)
#include "tst_name_chooser.moc"
