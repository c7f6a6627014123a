#include "platform/message_box.h"

#include <QtTest>
#include <QtWidgets>

using namespace zemble::platform;

namespace {

// How the person leaves the box once it is up.
enum class Leave { Escape, Enter, CloseFromFrame };

} // namespace

Q_DECLARE_METATYPE(Leave)
Q_DECLARE_METATYPE(zemble::platform::Buttons)
Q_DECLARE_METATYPE(zemble::platform::Answer)

// The desktop's own message box, as the program shows it.
class TestMessageBox : public QObject {
    Q_OBJECT
private slots:
    // Leaving a question without choosing never answers Yes: a delete or an overwrite asked
    // about goes ahead only on a deliberate Yes.
    void leavingWithoutChoosingNeverAnswersYes_data() {
        QTest::addColumn<Buttons>("buttons");
        QTest::addColumn<Leave>("leave");
        QTest::addColumn<Answer>("answer");
        QTest::newRow("Escape on Yes/No answers No")
            << Buttons::YesNo << Leave::Escape << Answer::No;
        QTest::newRow("Yes/No closed from its frame answers No")
            << Buttons::YesNo << Leave::CloseFromFrame << Answer::No;
        QTest::newRow("Escape on Yes/No/Cancel answers Cancel")
            << Buttons::YesNoCancel << Leave::Escape << Answer::Cancel;
        QTest::newRow("Yes/No/Cancel closed from its frame answers Cancel")
            << Buttons::YesNoCancel << Leave::CloseFromFrame << Answer::Cancel;
        QTest::newRow("Enter on Yes/No presses Yes, the default")
            << Buttons::YesNo << Leave::Enter << Answer::Yes;
        QTest::newRow("Escape on a notice answers OK")
            << Buttons::Ok << Leave::Escape << Answer::Ok;
    }
    void leavingWithoutChoosingNeverAnswersYes() {
        QFETCH(Buttons, buttons);
        QFETCH(Leave, leave);
        QFETCH(Answer, answer);
        bool seen = false, stayedOpen = false;
        QTimer poll;
        poll.setInterval(10);
        connect(&poll, &QTimer::timeout, this, [&] {
            auto* shown = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!shown || !shown->isVisible())
                return;
            poll.stop();
            seen = true;
            switch (leave) {
            case Leave::Escape:
                QTest::keyClick(shown, Qt::Key_Escape);
                break;
            case Leave::Enter:
                QTest::keyClick(shown, Qt::Key_Return);
                break;
            case Leave::CloseFromFrame:
                shown->close();
                break;
            }
            // Keys and closing are handled at once; a box still up would wait forever.
            stayedOpen = shown->isVisible();
            if (stayedOpen)
                shown->done(QMessageBox::Cancel);
        });
        poll.start();
        const Answer given = MessageBoxService::real().ask(
            {"Delete confirmation", "Are you really sure you want to delete this entry?",
             Icon::Question, buttons});
        QVERIFY(seen);
        QVERIFY(!stayedOpen);
        QCOMPARE(given, answer);
    }
};

QTEST_MAIN(TestMessageBox)
#include "tst_message_box.moc"
