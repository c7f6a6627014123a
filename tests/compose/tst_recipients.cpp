#include "addressbook/contact_store.h"
#include "compose/name_chooser.h"
#include "compose/recipients.h"
#include "session/send_job.h"
#include "support/doubles.h"
#include "support/fake_compose_host.h"

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
ContactStore makeStore(const QStringList& entries) {
    ContactStore store{.count = qint16(entries.size())};
    for (const QString& entry : entries + QStringList(5)) {
        store.names.append(entry.section(u'=', 0, 0));
        store.numbers.append(entry.section(u'=', 1));
    }
    return store;
}

} // namespace

class TestRecipients : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(u"en_GB"_s)); } // the book's order

    // "book|typed|expected|answer"; `answer`: the chooser's to the Anne/Anna question,
    // "cancel", "none" (no chooser: left as typed), or empty: none may come.  A focus change
    // while the chooser waits must not start a second normalisation over the same list.
    void normalise_data() {
        QTest::addColumn<QString>("row");
        const auto row = [](const char* name, const char* r) { QTest::newRow(name) << QString(r); };
        row("chooser OK", "Anne=071 Anna=072|ann|Anna|Anna");
        row("chooser Cancel", "Anne=071 Anna=072|ann|ann|cancel");
        row("no chooser", "Anne=071 Anna=072|ann|ann|none");
        row("listed is no candidate", "Anne=071 Anna=072|Anna ; ann|Anna ; Anne|");
        row("exact beats prefix", "Joanne=071 Jo=072|jo|Jo|");
        row("prefix, stored case", "Bob=0789 Anna=072|aN ; BOB|Anna ; Bob|");
        row("anna ; Anna", "Bob=0789 Anna=072|anna;Anna|Anna|");
        row("number to name, then number", "Bob=0789 Anna=072|0789;0789|Bob ; 0789|");
        row("number matched as typed", "Bob=0789 Anna=072|07 89|0789|");
        row("UK international, duplicate", "Bob=0789 Anna=072|+44 71 ; 0 71|071|");
        row("no digits or foreign", "Bob=0789 Anna=072|Zed ; Bob ; +33 6|Bob|");
        row("empty pieces, spaces trimmed, tab kept",
            "Bob=0789 Anna=072|;Bob;;  anna ;\tbob;|Bob ; Anna|");
        row("empty book", "|Anna ; 07 1 ; +44 71|071|");
        row("blank left alone", "Bob=0789 Anna=072|   |   |");
    }
    void normalise() {
        QFETCH(QString, row);
        const QStringList c = row.split(u'|');
        const ContactStore store = makeStore(c[0].split(u' ', Qt::SkipEmptyParts));
        ScriptedChooser chooser;
        chooser.answer = c[3] == "cancel" ? QString() : c[3];
        RecipientsField field(store, c[3] == "none" ? nullptr : &chooser);
        std::optional<QString> nested = QString();
        chooser.during = [&] { nested = field.normaliseRecipientText(u"bob"_s); };
        test::FakeComposeHost host;
        host.to = c[1];
        field.txtTo_LostFocus(host);
        QCOMPARE(host.to, c[2]);
        const bool asked = !c[3].isEmpty() && c[3] != "none";
        QCOMPARE(chooser.asked, asked ? QStringList{"Anne;Anna|2|ann"} : QStringList());
        QCOMPARE(nested.has_value(), !asked);
        QCOMPARE(host.calls, c[1].trimmed().isEmpty()
                                 ? QStringList{}
                                 : QStringList({"set_to", "update_status_bar"}));
    }

    // A name typed in the To field reaches its own contact's number when sent, whichever of
    // two names that begin alike was stored first.
    void sentToTheNamedContact_data() {
        QTest::addColumn<QStringList>("namesInBookOrder");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("resolved");
        QTest::addColumn<QString>("number");
        QTest::newRow("Jo after Joanne")
            << QStringList{"Joanne", "Jo"} << u"jo"_s << u"Jo"_s << u"07700900002"_s;
        QTest::newRow("Jo before Joanne")
            << QStringList{"Jo", "Joanne"} << u"jo"_s << u"Jo"_s << u"07700900002"_s;
        QTest::newRow("Ann after Anna")
            << QStringList{"Anna", "Ann"} << u"ann"_s << u"Ann"_s << u"07700900004"_s;
        QTest::newRow("Ann before Anna")
            << QStringList{"Ann", "Anna"} << u"ann"_s << u"Ann"_s << u"07700900004"_s;
    }
    void sentToTheNamedContact() {
        QFETCH(QStringList, namesInBookOrder);
        QFETCH(QString, typed);
        QFETCH(QString, resolved);
        QFETCH(QString, number);
        const QHash<QString, QString> numbers{{u"Joanne"_s, u"07700900001"_s},
                                              {u"Jo"_s, u"07700900002"_s},
                                              {u"Anna"_s, u"07700900003"_s},
                                              {u"Ann"_s, u"07700900004"_s}};
        contacts() = ContactStore{};
        for (const QString& name : namesInBookOrder)
            QVERIFY(add_contact(name, numbers.value(name), true));
        ScriptedChooser chooser;
        RecipientsField field(contacts(), &chooser);
        test::FakeComposeHost host;
        host.to = typed;
        field.txtTo_LostFocus(host);
        QCOMPARE(host.to, resolved);
        QVERIFY(chooser.asked.isEmpty());
        QCOMPARE(recipientNumber(contacts(), host.to), number);
        contacts() = ContactStore{};
    }

    // An entry resolves to the first contact whose whole name it is (in either case) or whose
    // number it is, else to the one name it begins, letters that are not plain ones included;
    // the field follows the book when the book changes.
    void resolvedAgainstTheCurrentBook_data() {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("numbers");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("resolved");
        const QString dottedI = QString::fromUtf8("İ"); // lower case: two characters
        QTest::newRow("accented name by its beginning, other case")
            << QStringList{u"Bob"_s, QString::fromUtf8("Émile Zola")}
            << QStringList{u"071"_s, u"072"_s} << QString::fromUtf8("éMI")
            << QString::fromUtf8("Émile Zola");
        QTest::newRow("name lowering to more letters, typed whole")
            << QStringList{dottedI + u"pek Ay"_s, dottedI + u"pek"_s}
            << QStringList{u"071"_s, u"072"_s} << dottedI + u"PEK"_s << dottedI + u"pek"_s;
        QTest::newRow("name lowering to more letters, by its beginning")
            << QStringList{u"Bob"_s, dottedI + u"pek Ay"_s} << QStringList{u"071"_s, u"072"_s}
            << dottedI + u"p"_s << dottedI + u"pek Ay"_s;
        QTest::newRow("number before a later whole name")
            << QStringList{u"Ann"_s, u"0789"_s} << QStringList{u"0789"_s, u"071"_s} << u"0789"_s
            << u"Ann"_s;
        QTest::newRow("whole name before a later number")
            << QStringList{u"0789"_s, u"Ann"_s} << QStringList{u"071"_s, u"0789"_s} << u"0789"_s
            << u"0789"_s;
        QTest::newRow("sharp s is not ss") << QStringList{QString::fromUtf8("Strauß")}
                                           << QStringList{u"071"_s} << u"STRAUSS"_s << QString();
    }
    void resolvedAgainstTheCurrentBook() {
        QFETCH(QStringList, names);
        QFETCH(QStringList, numbers);
        QFETCH(QString, typed);
        QFETCH(QString, resolved);
        ContactStore store{.names = names, .numbers = numbers, .count = qint16(names.size())};
        RecipientsField field(store);
        QCOMPARE(field.normaliseRecipientText(typed), resolved);
        // The same book changed: the old name is gone, the new one found.
        store.names[0] = u"Zed"_s;
        store.names[1 % store.names.size()] = u"Zed"_s;
        QCOMPARE(field.normaliseRecipientText(u"zed"_s), u"Zed"_s);
        store.names.append(u"Yvonne"_s);
        store.numbers.append(u"0799"_s);
        ++store.count;
        QCOMPARE(field.normaliseRecipientText(u"yvo ; 0799"_s), u"Yvonne ; 0799"_s);
    }

    // The first `num` names in the address book's order (the locale's, accents second), then
    // each way of answering with "Anne" selected, as "how|answer"; a second question meanwhile
    // is refused and keeps its typed text.
    void answers_data() {
        QTest::addColumn<QString>("row");
        for (const char* row : {"cmdOk|Anne", "Space|Anne", "cmdHelp|Ånna", "cmdCancel|ann",
                                "close|ann", "nothing selected|ann", "second question|Anne"})
            QTest::newRow(row) << QString::fromUtf8(row);
    }
    void answers() {
        QFETCH(QString, row);
        const QString how = row.section(u'|', 0, 0);
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
            if (how == "nothing selected")
                list->clearSelection();
            if (how == "second question")
                nested = w.Main("Bob;Bert", 2, "b");
            if (how.startsWith("cmd"))
                QTest::mouseClick(w.findChild<QPushButton*>(how), Qt::LeftButton);
            else if (how == "Space")
                QTest::keyClick(list, Qt::Key_Space);
            else if (how == "close")
                w.close();
            else
                w.cmdOk_Click();
            if (how == "cmdHelp" && w.choiceState() == NameChooserWindow::Waiting) {
                list->setCurrentRow(0);
                w.cmdOk_Click();
            }
            // A missed answer is cancelled so that the test fails instead of hanging.
            if (w.choiceState() == NameChooserWindow::Waiting)
                QTimer::singleShot(2000, &w, [&] { w.cmdCancel_Click(); });
        });
        QCOMPARE(w.Main(u"Anne;bob;Ånna;BEN;Al"_s, 4, "ann"), row.section(u'|', 1));
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
