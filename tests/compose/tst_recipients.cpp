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

// One question put to the chooser.
struct Question {
    QString names;
    int num;
    QString original;
    bool operator==(const Question&) const = default;
};
char* toString(const Question& q) {
    return qstrdup(qPrintable(u"%1 of \"%2\" for \"%3\""_s.arg(q.num).arg(q.names, q.original)));
}

// Records each question and answers with `answer` (null: Cancel).
class ScriptedChooser final : public NameChooser {
public:
    QString Main(const QString& names, int num, const QString& original) override {
        asked.append({names, num, original});
        if (during)
            during();
        return answer.isNull() ? original : answer;
    }
    QList<Question> asked;
    QString answer;
    std::function<void()> during;
};

// The chooser behind the To field, asked which of Anne and Anna "ann" means.
enum class Chooser { MustNotAsk, PicksAnna, Cancelled, Absent };

// How a person answers the chooser's window, with "Anne" selected.
enum class Answering {
    OkButton,
    SpaceKey,
    HelpThenOk,
    CancelButton,
    Closed,
    NothingSelected,
    SecondQuestion
};

} // namespace

Q_DECLARE_METATYPE(Chooser)
Q_DECLARE_METATYPE(Answering)

class TestRecipients : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(u"en_GB"_s)); } // the book's order

    // Leaving the To field puts each entry in its stored form: a contact's name, a number as
    // typed without spaces or in its national form, empty and unknown entries and duplicates
    // dropped.  A focus change while the chooser waits must not start a second normalisation
    // over the same list.
    void normalise_data() {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("numbers");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("resolved");
        QTest::addColumn<Chooser>("chooser");
        const QStringList annes{u"Anne"_s, u"Anna"_s}, bobAnna{u"Bob"_s, u"Anna"_s};
        const QStringList numbers{u"071"_s, u"072"_s}, bobsFirst{u"0789"_s, u"072"_s};
        const auto row = [](const char* name, const QStringList& names, const QStringList& numbers,
                            const QString& typed, const QString& resolved,
                            Chooser chooser = Chooser::MustNotAsk) {
            QTest::newRow(name) << names << numbers << typed << resolved << chooser;
        };
        row("the chooser picks one", annes, numbers, u"ann"_s, u"Anna"_s, Chooser::PicksAnna);
        row("the chooser cancelled", annes, numbers, u"ann"_s, u"ann"_s, Chooser::Cancelled);
        row("no chooser leaves it as typed", annes, numbers, u"ann"_s, u"ann"_s, Chooser::Absent);
        row("a name listed already is no candidate", annes, numbers, u"Anna ; ann"_s,
            u"Anna ; Anne"_s);
        row("beginnings in any case, stored case", bobAnna, bobsFirst, u"aN ; BOB"_s,
            u"Anna ; Bob"_s);
        row("one name twice in two cases", bobAnna, bobsFirst, u"anna;Anna"_s, u"Anna"_s);
        row("a number to its name, then as a number", bobAnna, bobsFirst, u"0789;0789"_s,
            u"Bob ; 0789"_s);
        row("a number is matched without its spaces", bobAnna, bobsFirst, u"07 89"_s, u"0789"_s);
        row("unknown names and foreign numbers dropped", bobAnna, bobsFirst, u"Zed ; Bob ; +33 6"_s,
            u"Bob"_s);
        row("empty pieces dropped, spaces trimmed, a tab kept", bobAnna, bobsFirst,
            u";Bob;;  anna ;\tbob;"_s, u"Bob ; Anna"_s);
        row("an empty book keeps numbers only", {}, {}, u"Anna ; 07 1 ; +44 71"_s, u"071"_s);
        row("blanks left alone", bobAnna, bobsFirst, u"   "_s, u"   "_s);
    }
    void normalise() {
        QFETCH(QStringList, names);
        QFETCH(QStringList, numbers);
        QFETCH(QString, typed);
        QFETCH(QString, resolved);
        QFETCH(Chooser, chooser);
        const ContactStore store{names + QStringList(5), numbers + QStringList(5),
                                 qint16(names.size())};
        ScriptedChooser scripted;
        scripted.answer = chooser == Chooser::PicksAnna ? u"Anna"_s : QString();
        RecipientsField field(store, chooser == Chooser::Absent ? nullptr : &scripted);
        std::optional<QString> nested = QString();
        scripted.during = [&] { nested = field.normaliseRecipientText(u"bob"_s); };
        test::FakeComposeHost host;
        host.to = typed;
        field.txtTo_LostFocus(host);
        QCOMPARE(host.to, resolved);
        const bool asked = chooser == Chooser::PicksAnna || chooser == Chooser::Cancelled;
        const Question annQuestion{u"Anne;Anna"_s, 2, u"ann"_s};
        QCOMPARE(scripted.asked, asked ? QList{annQuestion} : QList<Question>{});
        QCOMPARE(nested.has_value(), !asked);
        QCOMPARE(host.calls, typed.trimmed().isEmpty()
                                 ? QStringList{}
                                 : QStringList({"set_to", "update_status_bar"}));
    }

    // A name typed in the To field reaches its own contact's number when sent, whichever of
    // two names that begin alike was stored first.
    void sentToTheNamedContact_data() {
        QTest::addColumn<QStringList>("namesInBookOrder");
        QTest::newRow("Jo after Joanne") << QStringList{"Joanne", "Jo"};
        QTest::newRow("Jo before Joanne") << QStringList{"Jo", "Joanne"};
    }
    void sentToTheNamedContact() {
        QFETCH(QStringList, namesInBookOrder);
        const QHash<QString, QString> numbers{{u"Joanne"_s, u"07700900001"_s},
                                              {u"Jo"_s, u"07700900002"_s}};
        contacts() = ContactStore{};
        for (const QString& name : namesInBookOrder)
            QVERIFY(add_contact(name, numbers.value(name), true));
        ScriptedChooser chooser;
        RecipientsField field(contacts(), &chooser);
        test::FakeComposeHost host;
        host.to = u"jo"_s;
        field.txtTo_LostFocus(host);
        QCOMPARE(host.to, u"Jo"_s);
        QVERIFY(chooser.asked.isEmpty());
        QCOMPARE(recipientNumber(contacts(), host.to), u"07700900002"_s);
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

    // The chooser lists the first `num` names in the address book's order (the locale's, accents
    // second) and gives back the name picked, or the typed text when nothing is; a second
    // question meanwhile is refused and keeps its typed text.
    void answers_data() {
        QTest::addColumn<Answering>("answering");
        QTest::addColumn<QString>("answer");
        QTest::newRow("OK") << Answering::OkButton << u"Anne"_s;
        QTest::newRow("Space on the list") << Answering::SpaceKey << u"Anne"_s;
        QTest::newRow("Help, then OK on the first") << Answering::HelpThenOk << u"\u00c5nna"_s;
        QTest::newRow("Cancel") << Answering::CancelButton << u"ann"_s;
        QTest::newRow("closed from the frame") << Answering::Closed << u"ann"_s;
        QTest::newRow("OK with nothing selected") << Answering::NothingSelected << u"ann"_s;
        QTest::newRow("a second question meanwhile") << Answering::SecondQuestion << u"Anne"_s;
    }
    void answers() {
        QFETCH(Answering, answering);
        QFETCH(QString, answer);
        test::QuietPlatform quiet;
        test::FakeComposeHost host;
        NameChooserWindow w(host);
        QString nested, question, description;
        QStringList seen;
        QTimer::singleShot(0, &w, [&] {
            auto* list = w.findChild<QListWidget*>("lstContacts");
            for (int i = 0; i < list->count(); ++i)
                seen.append(list->item(i)->text());
            question = w.findChild<QLabel*>("lblSelect")->text();
            // The question is also the list's description, for a screen reader reaching it.
            description =
                QAccessible::queryAccessibleInterface(list)->text(QAccessible::Description);
            list->setCurrentRow(1);
            const auto click = [&](const char* name) {
                QTest::mouseClick(w.findChild<QPushButton*>(name), Qt::LeftButton);
            };
            switch (answering) {
            case Answering::OkButton:
                click("cmdOk");
                break;
            case Answering::SpaceKey:
                QTest::keyClick(list, Qt::Key_Space);
                break;
            case Answering::HelpThenOk:
                click("cmdHelp");
                list->setCurrentRow(0);
                click("cmdOk");
                break;
            case Answering::CancelButton:
                click("cmdCancel");
                break;
            case Answering::Closed:
                w.close();
                break;
            case Answering::NothingSelected:
                list->clearSelection();
                w.cmdOk_Click();
                break;
            case Answering::SecondQuestion:
                nested = w.Main("Bob;Bert", 2, "b");
                w.cmdOk_Click();
                break;
            }
            // A missed answer is cancelled so that the test fails instead of hanging.
            if (w.choiceState() == NameChooserWindow::Waiting)
                QTimer::singleShot(2000, &w, [&] { w.cmdCancel_Click(); });
        });
        QCOMPARE(w.Main(u"Anne;bob;\u00c5nna;BEN;Al"_s, 4, "ann"), answer);
        QCOMPARE(seen, QStringList({u"\u00c5nna"_s, "Anne", "BEN", "bob"}));
        QCOMPARE(question, u"Please select whom you mean by 'ann' .."_s);
        QCOMPARE(description, question);
        QVERIFY(!w.isVisible());
        QCOMPARE(nested, answering == Answering::SecondQuestion ? u"b"_s : QString());
        QCOMPARE(quiet.help.topics,
                 answering == Answering::HelpThenOk ? QStringList{"multiple.html"} : QStringList{});
        QCOMPARE(host.calls, QStringList({"disable", "enable", "raise", "update_status_bar"}));
    }
};

QTEST_MAIN(TestRecipients)
#include "tst_recipients.moc"
