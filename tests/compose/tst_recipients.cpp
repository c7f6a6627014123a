#include "addressbook/contact_store.h"
#include "compose/recipients.h"
#include "support/fake_compose_host.h"

#include <QTest>

using namespace zemble;

namespace {

// Records each question and answers with `answer` (null: Cancel).
class ScriptedChooser final : public NameChooser {
public:
    QString Main(const QString& names, int num, const QString& original) override {
        asked.append(QStringLiteral("%1|%2|%3").arg(names).arg(num).arg(original));
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
    void normalise_data() {
        QTest::addColumn<QStringList>("book");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QStringList>("asked");
        const QStringList ann{"Anne=071", "Anna=072"}, bob{"Bob=0789", "Anna=072"}, no;
        const QString cancel;
        QTest::newRow("chooser OK") << ann << "ann"
                                    << "Anna"
                                    << "Anna" << QStringList{"Anne;Anna|2|ann"};
        QTest::newRow("chooser Cancel")
            << ann << "ann" << cancel << "ann" << QStringList{"Anne;Anna|2|ann"};
        QTest::newRow("listed is no candidate")
            << ann << "Anna ; ann" << cancel << "Anna ; Anne" << no;
        QTest::newRow("exact beats prefix")
            << QStringList{"Joanne=071", "Jo=072"} << "jo" << cancel << "Jo" << no;
        QTest::newRow("prefix, stored case") << bob << "aN ; BOB" << cancel << "Anna ; Bob" << no;
        QTest::newRow("anna ; Anna") << bob << "anna;Anna" << cancel << "Anna" << no;
        QTest::newRow("number to name, then number")
            << bob << "0789;0789" << cancel << "Bob ; 0789" << no;
        QTest::newRow("number matched as typed") << bob << "07 89" << cancel << "0789" << no;
        QTest::newRow("UK international, duplicate")
            << bob << "+44 71 ; 0 71" << cancel << "071" << no;
        QTest::newRow("no digits or foreign")
            << bob << "Zed ; Bob ; +33 6" << cancel << "Bob" << no;
        QTest::newRow("empty pieces") << bob << ";Bob;;Anna;" << cancel << "Bob ; Anna" << no;
        QTest::newRow("spaces trimmed, tab kept")
            << bob << "  anna ;\tbob" << cancel << "Anna" << no;
        QTest::newRow("empty book") << no << "Anna ; 07 1 ; +44 71" << cancel << "071" << no;
    }
    void normalise() {
        QFETCH(QStringList, book);
        QFETCH(QString, typed);
        QFETCH(QString, answer);
        QFETCH(QString, expected);
        QFETCH(QStringList, asked);
        const ContactStore store = make_store(book);
        ScriptedChooser chooser;
        chooser.answer = answer;
        RecipientsField field(store, &chooser);
        test::FakeComposeHost host;
        host.to = typed;

        field.txtTo_LostFocus(host);

        QCOMPARE(host.to, expected);
        QCOMPARE(chooser.asked, asked);
        QCOMPARE(host.calls, QStringList({"set_to", "update_status_bar"}));
    }

    void blank_field_left_alone() {
        const ContactStore store = make_store({"Anna=071"});
        RecipientsField field(store);
        for (const QString typed : {"", " ", "    "}) {
            test::FakeComposeHost host;
            host.to = typed;
            field.txtTo_LostFocus(host);
            QCOMPARE(host.to, typed);
            QVERIFY(host.calls.isEmpty());
        }
    }

    void is_in_list() {
        const ContactStore store = make_store({"Anna=071", "Bob=072"});
        RecipientsField field(store);
        QCOMPARE(field.normalise_recipient_text("Anna;Bob;"), QString("Anna ; Bob"));
        QVERIFY(field.is_in_list("Bob", 1) && field.is_in_list("Bob", 500));
        QVERIFY(!field.is_in_list("Bob", 0) && !field.is_in_list("anna", 2));
        QVERIFY(!field.is_in_list("Anna", -1));
    }

    // Window events run while the chooser waits; a focus change then must not
    // start a second normalisation over the same list.
    void not_reentered_while_choosing() {
        const ContactStore store = make_store({"Anna=071", "Anne=072", "Bob=073"});
        ScriptedChooser chooser;
        chooser.answer = "Anne";
        RecipientsField field(store, &chooser);
        std::optional<QString> nested = QString("not run");
        chooser.during = [&] { nested = field.normalise_recipient_text("bob"); };
        QCOMPARE(field.normalise_recipient_text("bob ; ann ; 074"), QString("Bob ; Anne ; 074"));
        QVERIFY(!nested.has_value());
        QCOMPARE(RecipientsField(store).normalise_recipient_text("ann"), QString("ann"));
    }
};

QTEST_GUILESS_MAIN(TestRecipients)
#include "tst_recipients.moc"
