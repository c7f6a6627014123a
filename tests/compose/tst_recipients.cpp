#include "addressbook/contact_store.h"
#include "compose/recipients.h"
#include "core/compose_host.h"

#include <QTest>

#include <functional>

using namespace zemble;

namespace {

// A chooser that records each question and answers from a script.
class ScriptedChooser final : public NameChooser {
public:
    QString Main(const QString& names, int num, const QString& original) override {
        asked.append(QStringLiteral("%1|%2|%3").arg(names).arg(num).arg(original));
        if (during)
            during();
        return answer.isNull() ? original : answer;
    }
    QStringList asked;
    QString answer; // null: decline (keep the typed text)
    std::function<void()> during;
};

// Just the To field and the status refreshes of a compose window.
class ToFieldHost final : public ComposeHost {
public:
    QString toText() const override { return to; }
    void setToText(const QString& text) override { to = text; }
    QString messageText() const override { return {}; }
    bool sendConfirmationChecked() const override { return false; }
    void setSendConfirmationEnabled(bool) override {}
    int sendMethodIndex() const override { return 0; }
    QString confNumberFieldText() override { return {}; }
    void setComposeEnabled(bool) override {}
    bool composeEnabled() const override { return true; }
    void bringComposeToFront() override {}
    void repaintCompose() override {}
    void updateStatusBar() override { ++statusRefreshes; }
    QString to;
    int statusRefreshes = 0;
};

// Builds a store from "name=number" pairs, with the spare empty slots the
// real store keeps after its entries.
ContactStore make_store(const QStringList& entries) {
    ContactStore store;
    for (const QString& entry : entries) {
        store.names.append(entry.section(u'=', 0, 0));
        store.numbers.append(entry.section(u'=', 1));
    }
    store.count = qint16(entries.size());
    for (int i = 0; i < 5; ++i) {
        store.names.append(QString());
        store.numbers.append(QString());
    }
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
        QTest::addColumn<QStringList>("questions");

        const QStringList annaAnne{"Anne=07700900001", "Anna=07700900002"};
        const QStringList bob{"Bob=07700900123", "Anna=07700900002"};
        const QString decline; // null: the chooser is cancelled

        QTest::newRow("chooser OK gives the chosen name")
            << annaAnne << "ann"
            << "Anna"
            << "Anna" << QStringList{"Anne;Anna|2|ann"};
        QTest::newRow("chooser Cancel keeps the typed text")
            << annaAnne << "ann" << decline << "ann" << QStringList{"Anne;Anna|2|ann"};
        QTest::newRow("cancelled text typed twice collapses")
            << annaAnne << "ann;ann" << decline << "ann"
            << QStringList{"Anne;Anna|2|ann", "Anne;Anna|2|ann"};
        QTest::newRow("listed contact is no candidate")
            << annaAnne << "Anna ; ann" << decline << "Anna ; Anne" << QStringList{};
        QTest::newRow("exact name wins over an earlier prefix")
            << QStringList{"Joanne=07700900001", "Jo=07700900002"} << "jo" << decline << "Jo"
            << QStringList{};
        QTest::newRow("single prefix match") << bob << "an" << decline << "Anna" << QStringList{};
        QTest::newRow("stored letter case") << bob << "aNNA" << decline << "Anna" << QStringList{};
        QTest::newRow("same name in two cases collapses")
            << bob << "anna;Anna" << decline << "Anna" << QStringList{};
        QTest::newRow("stored number becomes the name")
            << bob << "07700900123" << decline << "Bob" << QStringList{};
        QTest::newRow("number of a listed name stays a number")
            << bob << "Bob ; 07700900123" << decline << "Bob ; 07700900123" << QStringList{};
        QTest::newRow("number typed twice: name, then number")
            << bob << "07700900123;07700900123" << decline << "Bob ; 07700900123" << QStringList{};
        QTest::newRow("number compared as typed, not normalised")
            << bob << "07700 900123" << decline << "07700900123" << QStringList{};
        QTest::newRow("international UK number")
            << bob << "+44 7700 900999" << decline << "07700900999" << QStringList{};
        QTest::newRow("other country vanishes")
            << bob << "+33 6 12 34 56 78 ; Bob" << decline << "Bob" << QStringList{};
        QTest::newRow("unknown name vanishes")
            << bob << "Zed ; Bob ; Xavier" << decline << "Bob" << QStringList{};
        QTest::newRow("only unknown names leave an empty field")
            << bob << "Zed;Xavier" << decline << "" << QStringList{};
        QTest::newRow("empty pieces leave no empty entry")
            << bob << ";Bob;;Anna;" << decline << "Bob ; Anna" << QStringList{};
        QTest::newRow("spaces trimmed around every entry")
            << bob << "   bob   ;   anna  " << decline << "Bob ; Anna" << QStringList{};
        QTest::newRow("a tab is not trimmed")
            << bob << "\tbob ; anna" << decline << "Anna" << QStringList{};
        QTest::newRow("numbers de-duplicated after normalising")
            << bob << "077 009 00999 ; +447700900999" << decline << "07700900999" << QStringList{};
        QTest::newRow("empty book: numbers only")
            << QStringList{} << "Anna ; 07 1 ; +44 71 ; 071" << decline << "071" << QStringList{};
        QTest::newRow("empty book: nothing usable")
            << QStringList{} << "abc ; +1 202" << decline << "" << QStringList{};
    }
    void normalise() {
        QFETCH(QStringList, book);
        QFETCH(QString, typed);
        QFETCH(QString, answer);
        QFETCH(QString, expected);
        QFETCH(QStringList, questions);

        const ContactStore store = make_store(book);
        ScriptedChooser chooser;
        chooser.answer = answer;
        RecipientsField field(store, &chooser);
        ToFieldHost host;
        host.to = typed;

        field.txtTo_LostFocus(host);

        QCOMPARE(host.to, expected);
        QCOMPARE(chooser.asked, questions);
        QCOMPARE(host.statusRefreshes, 1);
        QVERIFY(!host.to.startsWith(u' ') && !host.to.endsWith(u' '));
    }

    void blank_field_left_alone_data() {
        QTest::addColumn<QString>("typed");
        QTest::newRow("empty") << "";
        QTest::newRow("one space") << " ";
        QTest::newRow("spaces") << "     ";
    }
    void blank_field_left_alone() {
        QFETCH(QString, typed);
        const ContactStore store = make_store({"Anna=071"});
        RecipientsField field(store);
        ToFieldHost host;
        host.to = typed;

        field.txtTo_LostFocus(host);

        QCOMPARE(host.to, typed);
        QCOMPARE(host.statusRefreshes, 0);
    }

    void is_in_list_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("max");
        QTest::addColumn<bool>("expected");
        QTest::newRow("first entry, max 0") << "Anna" << 0 << true;
        QTest::newRow("second entry beyond max") << "Bob" << 0 << false;
        QTest::newRow("second entry within max") << "Bob" << 1 << true;
        QTest::newRow("other letter case") << "anna" << 2 << false;
        QTest::newRow("negative max") << "Anna" << -1 << false;
        QTest::newRow("max past the array") << "Bob" << 500 << true;
        QTest::newRow("empty slot is not a name") << "" << 0 << false;
    }
    void is_in_list() {
        QFETCH(QString, name);
        QFETCH(int, max);
        QFETCH(bool, expected);
        const ContactStore store = make_store({"Anna=071", "Bob=072"});
        RecipientsField field(store);
        QCOMPARE(field.normalise_recipient_text("Anna;Bob;"), QString("Anna ; Bob"));
        QCOMPARE(field.recipients(), QStringList({"Anna", "Bob", ""}));

        QCOMPARE(field.is_in_list(name, max), expected);
    }

    void no_chooser_keeps_the_typed_text() {
        const ContactStore store = make_store({"Anna=071", "Anne=072"});
        RecipientsField field(store);
        QCOMPARE(field.normalise_recipient_text("ann ; anne"), QString("ann ; Anne"));
    }

    // While the chooser waits, window events run; a focus change then must not
    // start a second normalisation over the same list.
    void normalisation_not_reentered_while_choosing() {
        const ContactStore store = make_store({"Anna=071", "Anne=072", "Bob=073"});
        ScriptedChooser chooser;
        chooser.answer = "Anne";
        RecipientsField field(store, &chooser);
        std::optional<QString> nested = QString("not run");
        chooser.during = [&] { nested = field.normalise_recipient_text("bob"); };

        QCOMPARE(field.normalise_recipient_text("bob ; ann ; 074"), QString("Bob ; Anne ; 074"));
        QVERIFY(!nested.has_value());
        // And the field works normally afterwards.
        chooser.during = nullptr;
        QCOMPARE(field.normalise_recipient_text("bob"), QString("Bob"));
    }
};

QTEST_GUILESS_MAIN(TestRecipients)
#include "tst_recipients.moc"
