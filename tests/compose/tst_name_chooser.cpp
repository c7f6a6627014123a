#include "compose/name_chooser.h"
#include "core/compose_host.h"
#include "platform/help.h"
#include "platform/service.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace zemble;

namespace {

// The window-discipline side of a compose window.
class DisciplineHost final : public ComposeHost {
public:
    QString toText() const override { return {}; }
    void setToText(const QString&) override {}
    QString messageText() const override { return {}; }
    bool sendConfirmationChecked() const override { return false; }
    void setSendConfirmationEnabled(bool) override {}
    int sendMethodIndex() const override { return 0; }
    QString confNumberFieldText() override { return {}; }
    void setComposeEnabled(bool on) override { enabled = on; }
    bool composeEnabled() const override { return enabled; }
    void bringComposeToFront() override { ++raised; }
    void repaintCompose() override {}
    void updateStatusBar() override { ++statusRefreshes; }
    bool enabled = true;
    int raised = 0;
    int statusRefreshes = 0;
};

class RecordingHelp final : public platform::HelpService {
public:
    void showTopic(const QString& page) override { topics.append(page); }
    void showContents() override { topics.append(QStringLiteral("(contents)")); }
    QStringList topics;
};

enum class Action {
    OkButton,
    CancelButton,
    Return,
    KeypadEnter,
    Space,
    DoubleClick,
    Escape,
    Close
};

} // namespace

Q_DECLARE_METATYPE(Action)

class TestNameChooser : public QObject {
    Q_OBJECT

    // Runs Main and, once the window is waiting, `act` on it.
    static QString run(NameChooserWindow& window, const QString& names, int num,
                       const QString& typed, const std::function<void()>& act) {
        QTimer::singleShot(0, &window, act);
        return window.Main(names, num, typed);
    }
    static QListWidget* list(NameChooserWindow& w) {
        return w.findChild<QListWidget*>("lstContacts");
    }
    static QStringList items(NameChooserWindow& w) {
        QStringList out;
        for (int i = 0; i < list(w)->count(); ++i)
            out.append(list(w)->item(i)->text());
        return out;
    }

private slots:
    void form() {
        DisciplineHost host;
        NameChooserWindow window(host);
        QCOMPARE(window.windowTitle(), QString("Check names"));
        QCOMPARE(window.findChild<QLabel*>("lblProblem")->text(),
                 QString("Several matches were found in your address book."));
        QVERIFY(window.findChild<QPushButton*>("cmdOk")->isDefault());
        QCOMPARE(window.findChild<QPushButton*>("cmdCancel")->text(), QString("Cancel"));
        QCOMPARE(window.findChild<QPushButton*>("cmdHelp")->text(), QString("Help"));
    }

    void shows_the_question_data() {
        QTest::addColumn<QString>("names");
        QTest::addColumn<int>("num");
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("store order Anne, Anna") << "Anne;Anna" << 2 << QStringList{"Anna", "Anne"};
        QTest::newRow("store order Anna, Anne") << "Anna;Anne" << 2 << QStringList{"Anna", "Anne"};
        QTest::newRow("letter case ignored")
            << "bob;Anne;anna;BEN" << 4 << QStringList{"anna", "Anne", "BEN", "bob"};
        QTest::newRow("only the first num names") << "Cy;Al;Bo" << 2 << QStringList{"Al", "Cy"};
    }
    void shows_the_question() {
        QFETCH(QString, names);
        QFETCH(int, num);
        QFETCH(QStringList, listed);
        DisciplineHost host;
        NameChooserWindow window(host);
        QStringList seen;
        QString question;
        bool disabledWhileAsking = false;
        int selectedRow = -2;
        const QString result = run(window, names, num, "ann", [&] {
            seen = items(window);
            question = window.findChild<QLabel*>("lblSelect")->text();
            disabledWhileAsking = window.isVisible() && !host.enabled;
            selectedRow = list(window)->currentRow();
            window.cmdCancel_Click();
        });

        QCOMPARE(seen, listed);
        QCOMPARE(question, QString("Please select whom you mean by 'ann' .."));
        QVERIFY(disabledWhileAsking);
        QCOMPARE(selectedRow, 0);
        QCOMPARE(result, QString("ann"));
        // Given back when done.
        QVERIFY(!window.isVisible());
        QVERIFY(host.enabled);
        QCOMPARE(host.raised, 1);
        QCOMPARE(host.statusRefreshes, 1);
    }

    void answers_data() {
        QTest::addColumn<Action>("action");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<qint16>("state");
        QTest::newRow("OK button") << Action::OkButton << "Anne" << qint16(1);
        QTest::newRow("Enter in the list") << Action::Return << "Anne" << qint16(1);
        QTest::newRow("keypad Enter in the list") << Action::KeypadEnter << "Anne" << qint16(1);
        QTest::newRow("Space in the list") << Action::Space << "Anne" << qint16(1);
        QTest::newRow("double-click in the list") << Action::DoubleClick << "Anne" << qint16(1);
        QTest::newRow("Cancel button") << Action::CancelButton << "ann" << qint16(2);
        QTest::newRow("Escape") << Action::Escape << "ann" << qint16(2);
        QTest::newRow("close from the frame") << Action::Close << "ann" << qint16(2);
    }
    void answers() {
        QFETCH(Action, action);
        QFETCH(QString, expected);
        QFETCH(qint16, state);
        DisciplineHost host;
        NameChooserWindow window(host);
        const QString result = run(window, "Anna;Anne", 2, "ann", [&] {
            QListWidget* lst = list(window);
            lst->setCurrentRow(1);
            switch (action) {
            case Action::OkButton:
                QTest::mouseClick(window.findChild<QPushButton*>("cmdOk"), Qt::LeftButton);
                break;
            case Action::CancelButton:
                QTest::mouseClick(window.findChild<QPushButton*>("cmdCancel"), Qt::LeftButton);
                break;
            case Action::Return:
                QTest::keyClick(lst, Qt::Key_Return);
                break;
            case Action::KeypadEnter:
                QTest::keyClick(lst, Qt::Key_Enter);
                break;
            case Action::Space:
                QTest::keyClick(lst, Qt::Key_Space);
                break;
            case Action::DoubleClick: {
                const QPoint at = lst->visualItemRect(lst->item(1)).center();
                // A widget double-click arrives after the press of its second click.
                QTest::mousePress(lst->viewport(), Qt::LeftButton, {}, at);
                QTest::mouseDClick(lst->viewport(), Qt::LeftButton, {}, at);
                break;
            }
            case Action::Escape:
                QTest::keyClick(&window, Qt::Key_Escape);
                break;
            case Action::Close:
                window.close();
                break;
            }
            // Make sure a missed action cannot hang the test.
            if (window.choiceState() == NameChooserWindow::Waiting)
                QTimer::singleShot(2000, &window, [&] { window.cmdCancel_Click(); });
        });
        QCOMPARE(result, expected);
        QCOMPARE(window.choiceState(), state);
        QVERIFY(host.enabled);
        QVERIFY(!window.isVisible());
    }

    void ok_without_selection_keeps_the_typed_text() {
        DisciplineHost host;
        NameChooserWindow window(host);
        const QString result = run(window, "Anna;Anne", 2, "ann", [&] {
            list(window)->clearSelection();
            window.cmdOk_Click();
        });
        QCOMPARE(result, QString("ann"));
    }

    void reused_for_the_next_question() {
        DisciplineHost host;
        NameChooserWindow window(host);
        QCOMPARE(run(window, "Anna;Anne", 2, "ann", [&] { window.cmdOk_Click(); }),
                 QString("Anna"));
        QStringList second;
        QCOMPARE(run(window, "Joe;Jon", 2, "jo",
                     [&] {
                         second = items(window);
                         window.cmdOk_Click();
                     }),
                 QString("Joe"));
        QCOMPARE(second, QStringList({"Joe", "Jon"}));
        QCOMPARE(host.statusRefreshes, 2);
    }

    void one_question_at_a_time() {
        DisciplineHost host;
        NameChooserWindow window(host);
        QString nested;
        const QString result = run(window, "Anna;Anne", 2, "ann", [&] {
            nested = window.Main("Bob;Bert", 2, "b");
            window.cmdOk_Click();
        });
        QCOMPARE(nested, QString("b"));
        QCOMPARE(result, QString("Anna"));
        QCOMPARE(host.statusRefreshes, 1);
    }

    void help_button_opens_the_topic() {
        RecordingHelp help;
        platform::ScopedService<platform::HelpService> guard(&help);
        DisciplineHost host;
        NameChooserWindow window(host);
        qint16 stateAfterHelp = 0;
        const QString result = run(window, "Anna;Anne", 2, "ann", [&] {
            QTest::mouseClick(window.findChild<QPushButton*>("cmdHelp"), Qt::LeftButton);
            stateAfterHelp = window.choiceState();
            window.cmdOk_Click();
        });
        QCOMPARE(help.topics, QStringList{"multiple.html"});
        // Help leaves the question open.
        QCOMPARE(stateAfterHelp, qint16(NameChooserWindow::Waiting));
        QCOMPARE(result, QString("Anna"));
    }
};

QTEST_MAIN(TestNameChooser)
#include "tst_name_chooser.moc"
