#include "addressbook/contact_store.h"
#include "compose/name_chooser.h"
#include "compose/recipients.h"
#include "support/doubles.h"
#include "support/fake_compose_host.h"
#include "support/keys.h"

#include <QtTest>
#include <QtWidgets>

using namespace zemble;
using namespace Qt::StringLiterals;

namespace {

// Records each question and answers with `answer` (null: Cancel).
class ScriptedChooser final : public NameChooser {
public:
    QString Main(const QString& names, int num, const QString& original) override {
        asked.append(u"%1|%2|%3"_s.arg(names).arg(num).arg(original));
        if (during)
            during();
        return answer.isNull() ? original : answer;
    }
    QStringList asked;
    QString answer;
    std::function<void()> during;
};

// A store from "name=number" pairs, with the empty spare slots the real one keeps.
ContactStore make_store(const QStringList& entries) {
    ContactStore store;
    for (const QString& entry : entries) {
        store.names.append(entry.section(u'=', 0, 0));
        store.numbers.append(entry.section(u'=', 1));
    }
    store.count = qint16(entries.size());
    store.names.append(QStringList(5));
    store.numbers.append(QStringList(5));
    return store;
}

} // namespace

class TestRecipients : public QObject {
    Q_OBJECT

private slots:
    // `answer`: the chooser's to the Anne/Anna question, "cancel", or null: none may come.
    void normalise_data() {
        QTest::addColumn<QStringList>("book");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("answer");
        const QStringList ann{"Anne=071", "Anna=072"}, bob{"Bob=0789", "Anna=072"}, none;
        const QString no;
        QTest::newRow("chooser OK") << ann << u"ann"_s << u"Anna"_s << u"Anna"_s;
        QTest::newRow("chooser Cancel") << ann << u"ann"_s << u"ann"_s << u"cancel"_s;
        QTest::newRow("listed is no candidate") << ann << u"Anna ; ann"_s << u"Anna ; Anne"_s << no;
        QTest::newRow("exact beats prefix")
            << QStringList{"Joanne=071", "Jo=072"} << u"jo"_s << u"Jo"_s << no;
        QTest::newRow("prefix, stored case") << bob << u"aN ; BOB"_s << u"Anna ; Bob"_s << no;
        QTest::newRow("anna ; Anna") << bob << u"anna;Anna"_s << u"Anna"_s << no;
        QTest::newRow("number to name, then number")
            << bob << u"0789;0789"_s << u"Bob ; 0789"_s << no;
        QTest::newRow("number matched as typed") << bob << u"07 89"_s << u"0789"_s << no;
        QTest::newRow("UK international, duplicate") << bob << u"+44 71 ; 0 71"_s << u"071"_s << no;
        QTest::newRow("no digits or foreign") << bob << u"Zed ; Bob ; +33 6"_s << u"Bob"_s << no;
        QTest::newRow("empty pieces, spaces trimmed, tab kept")
            << bob << u";Bob;;  anna ;\tbob;"_s << u"Bob ; Anna"_s << no;
        QTest::newRow("empty book") << none << u"Anna ; 07 1 ; +44 71"_s << u"071"_s << no;
        QTest::newRow("blank left alone") << bob << u"   "_s << u"   "_s << no;
    }
    void normalise() {
        QFETCH(QStringList, book);
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        QFETCH(QString, answer);
        const ContactStore store = make_store(book);
        ScriptedChooser chooser;
        chooser.answer = answer == "cancel" ? QString() : answer;
        RecipientsField field(store, &chooser);
        test::FakeComposeHost host;
        host.to = typed;

        field.txtTo_LostFocus(host);

        QCOMPARE(host.to, expected);
        QCOMPARE(chooser.asked, answer.isNull() ? QStringList() : QStringList{"Anne;Anna|2|ann"});
        QCOMPARE(host.calls, typed.trimmed().isEmpty()
                                 ? QStringList{}
                                 : QStringList({"set_to", "update_status_bar"}));
    }

    // Window events run while the chooser waits; a focus change then must not
    // start a second normalisation over the same list.
    void not_reentered_while_choosing() {
        const ContactStore store = make_store({"Anna=071", "Anne=072", "Bob=073"});
        ScriptedChooser chooser;
        chooser.answer = "Anne";
        RecipientsField field(store, &chooser);
        std::optional<QString> nested = QString("not run");
        chooser.during = [&] { nested = field.normaliseRecipientText("bob"); };
        QCOMPARE(field.normaliseRecipientText("bob ; ann ; 074"), QString("Bob ; Anne ; 074"));
        QVERIFY(!nested.has_value());
        QCOMPARE(RecipientsField(store).normaliseRecipientText("ann"), QString("ann"));
    }

    // The first `num` names in the address book's order (the locale's, accents second), then
    // each way of answering with "Anne" selected; a second question meanwhile is refused and
    // keeps its typed text.
    void answers_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("expected");
        QTest::newRow("OK") << u"cmdOk"_s << u"Anne"_s;
        QTest::newRow("Space") << u"key Space"_s << u"Anne"_s;
        QTest::newRow("double-click") << u"double-click"_s << u"Anne"_s;
        QTest::newRow("Help, then waits") << u"cmdHelp"_s << u"Ånna"_s;
        QTest::newRow("Cancel") << u"cmdCancel"_s << u"ann"_s;
        QTest::newRow("frame close") << u"close"_s << u"ann"_s;
        QTest::newRow("nothing selected") << u"nothing selected"_s << u"ann"_s;
        QTest::newRow("Tab back in, Enter") << u"Tab back in"_s << u"Anne"_s;
        QTest::newRow("second question") << u"second question"_s << u"Anne"_s;
    }
    void answers() {
        QFETCH(QString, how);
        QFETCH(QString, expected);
        const QLocale before;
        const auto restore = qScopeGuard([&] { QLocale::setDefault(before); });
        QLocale::setDefault(QLocale("en_GB"));
        test::QuietPlatform quiet;
        test::FakeComposeHost host;
        NameChooserWindow w(host);
        QString nested, question;
        QStringList seen;
        QTimer::singleShot(0, &w, [&] {
            auto* list = w.findChild<QListWidget*>("lstContacts");
            for (int i = 0; i < list->count(); ++i)
                seen.append(list->item(i)->text());
            question = w.findChild<QLabel*>("lblSelect")->text();
            list->setCurrentRow(1);
            if (how == "nothing selected" || how == "Tab back in")
                list->clearSelection();
            if (how == "Tab back in") { // the current item is selected again
                test::focus_and_wait(w.findChild<QPushButton*>("cmdOk"));
                test::press(u"Shift+Tab Return"_s);
            }
            if (how == "second question")
                nested = w.Main("Bob;Bert", 2, "b");
            if (how.startsWith("cmd")) {
                QTest::mouseClick(w.findChild<QPushButton*>(how), Qt::LeftButton);
            } else if (how.startsWith("key ")) {
                QTest::keyClick(list, QKeySequence::fromString(how.mid(4))[0].key());
            } else if (how == "double-click") { // a widget double-click follows a press
                const QPoint at = list->visualItemRect(list->item(1)).center();
                QTest::mousePress(list->viewport(), Qt::LeftButton, {}, at);
                QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
            } else if (how == "close") {
                w.close();
            } else {
                w.cmdOk_Click();
            }
            if (how == "cmdHelp" && w.choiceState() == NameChooserWindow::Waiting) {
                list->setCurrentRow(0);
                w.cmdOk_Click();
            }
            // A missed answer is cancelled so that the test fails instead of hanging.
            if (w.choiceState() == NameChooserWindow::Waiting)
                QTimer::singleShot(2000, &w, [&] { w.cmdCancel_Click(); });
        });
        QCOMPARE(w.Main(u"Anne;bob;Ånna;BEN;Al"_s, 4, "ann"), expected);
        QCOMPARE(seen, QStringList({u"Ånna"_s, "Anne", "BEN", "bob"}));
        QCOMPARE(question, u"Please select whom you mean by 'ann' .."_s);
        QVERIFY(!w.isVisible());
        QCOMPARE(nested, how == "second question" ? u"b"_s : QString());
        QCOMPARE(quiet.help.topics,
                 how == "cmdHelp" ? QStringList{"multiple.html"} : QStringList{});
        QCOMPARE(host.calls, QStringList({"disable", "enable", "raise", "update_status_bar"}));
    }
};

QTEST_MAIN(TestRecipients)
#include "tst_recipients.moc"
