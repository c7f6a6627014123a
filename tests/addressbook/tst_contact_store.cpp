#include "addressbook_doubles.h"

#include <QBuffer>
#include <QDir>
#include <optional>

#include <csignal>
#include <sys/resource.h>

using namespace zemble;
using namespace zemble::test;

namespace {

// Refuses the one write that goes past `room` bytes and takes the others.
struct FailingDevice final : QIODevice {
    explicit FailingDevice(qint64 room) : room(room) { open(QIODevice::WriteOnly); }
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64 size) override {
        return (room -= size) >= 0 || room + size < 0 ? size : -1;
    }
    qint64 room;
};

// Saves while no file may grow past 1000 bytes, as on a full disk.
bool save_on_full_disk() {
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const rlimit small{1000, saved.rlim_max};
    setrlimit(RLIMIT_FSIZE, &small);
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    const bool ok = save_contacts(false);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, handler);
    return ok;
}

void add_numbered(int n) {
    for (int i = 0; i < n; ++i)
        QVERIFY(add_contact(QStringLiteral("N%1").arg(i), QStringLiteral("07%1").arg(i), false));
}

} // namespace

class TestContactStore : public QObject {
    Q_OBJECT
    std::optional<AddressBookFixture> fx;

private slots:
    void init() { fx.emplace(); }
    void cleanup() { fx.reset(); }

    // What a file loads as, and the file the next save writes.
    void load_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QByteArray>("saved");
        row("skipping rules",
            QByteArray("A;071\r\n\r\nB\r\n;072\r\nC;\r\nD;abc\r\nE;+33 1\r\nF;+44 71;x\r\n"),
            "A;071|F;071", QByteArray("A;071\r\nF;071\r\n"));
        row("lone CR ends a line", QByteArray("A;071\rB;072"), "A;071|B;072",
            QByteArray("A;071\r\nB;072\r\n"));
        row("lone LF does not", QByteArray("A;07\nB;072\r\n"), "A;07", QByteArray("A;07\r\n"));
        row("LF in a name", QByteArray("A\nB;071\r\n"), "A B;071", QByteArray("A B;071\r\n"));
        row("LF-only file", QByteArray("A;071\nB;072\n\nC;073"), "A;071|B;072|C;073",
            QByteArray("A;071\r\nB;072\r\nC;073\r\n"));
        row("same name twice", QByteArray("A;071\r\nA;072"), "A;071|A;072",
            QByteArray("A;071\r\nA;072\r\n"));
        row("blanks kept", QByteArray(" A ; 07 1 \r\n"), " A ;071", QByteArray(" A ;071\r\n"));
        row("Windows-1252", QByteArray("Zo\xeb \x80;071\r\n"), "Zoë €;071",
            QByteArray("Zo\xeb \x80;071\r\n"));
    }
    void load() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        QFETCH(QByteArray, saved);
        fx->write("zemble_contacts.txt", bytes);
        load_contacts();
        QCOMPARE(entries(), expected);
        QVERIFY(fx->messages.asked.isEmpty());
        QVERIFY(save_contacts(false));
        QCOMPARE(fx->read(), saved);
    }

    // A book larger than the store: told once, the lines past the limit kept as they were.
    void more_entries_than_the_limit() {
        QByteArray head, tail;
        for (int i = 0; i < 40000; ++i) {
            (i < kMaxContacts ? head : tail) +=
                QByteArray::number(i) + ";07" + QByteArray::number(i) + "\r\n";
            if (i == 39000)
                tail += "\r\nno separator\r\n"; // kept too, though not entries
        }
        fx->write("zemble_contacts.txt", head + tail);
        load_contacts();
        QCOMPARE(contacts().count, kMaxContacts);
        QCOMPARE(contacts().names.size(), 32760); // highest slot index 32759
        QVERIFY(!add_contact(QStringLiteral("Extra"), QStringLiteral("071"), false));
        QCOMPARE(fx->messages.titles(), QStringList{"Address book too large"});
        QCOMPARE(fx->messages.asked[0].text,
                 "The address book holds 40000 entries, but Zemble can show only the first "
                 "32759.\r\nThe other 7241 stay in the file as they are and are kept on every "
                 "save.");
        QCOMPARE(fx->messages.asked[0].icon, platform::Icon::Exclamation);
        delete_contact(0);
        QCOMPARE(fx->read(), head.mid(head.indexOf('\n') + 1) + tail);
        QCOMPARE(fx->read().count(";07"), 39999);
    }

    void save() {
        load_contacts(); // no file: an empty book, nothing told
        QVERIFY(save_contacts(false));
        QCOMPARE(fx->read(), QByteArray());
        add_numbered(3);
        set_contact(0, QString::fromUtf8("Zoë;x\r\ny\nzŁ"), QStringLiteral("+44 7 9"));
        set_contact(1, QStringLiteral("No number"), QStringLiteral("none"));
        QVERIFY(save_contacts(true));
        QCOMPARE(fx->read("zemble_contacts.bak"), QByteArray("Zo\xeb,x y z?;079\r\nN2;072\r\n"));
        QCOMPARE(fx->read(), QByteArray()); // the main file untouched
    }

    void growth() {
        contacts().names = QStringList(50, QStringLiteral("old")); // discarded by the first add
        add_numbered(20);
        QCOMPARE(contacts().names.size(), 21);
        add_numbered(1);
        QCOMPARE(contacts().numbers.size(), 42);
        QCOMPARE(contacts().names.mid(19, 3), (QStringList{"N19", "N0", ""}));
        QCOMPARE(contacts().names.mid(21), QStringList(21));
    }

    void delete_shifts() {
        add_numbered(4);
        delete_contact(3); // the last: nothing moves
        QCOMPARE(fx->read(), QByteArray("N0;070\r\nN1;071\r\nN2;072\r\n"));
        delete_contact(0);
        QCOMPARE(entries(), QStringLiteral("N1;071|N2;072"));
        QCOMPARE(contacts().names.at(2) + contacts().numbers.at(2), QString());
        QCOMPARE(fx->read(), QByteArray("N1;071\r\nN2;072\r\n"));
    }

    void duplicates() {
        QVERIFY(add_contact(QStringLiteral("Smith, John"), QStringLiteral("071"), true));
        QVERIFY(!add_contact(QStringLiteral("smith, JOHN"), QStringLiteral("072"), true));
        QVERIFY(add_contact(QStringLiteral("Smith, Jo"), QStringLiteral("073"), true));
        QVERIFY(add_contact(QStringLiteral("smith, JOHN"), QStringLiteral("074"), false));
        set_contact(-1, QStringLiteral("SMITH, JOHN"), QStringLiteral("075"));
        QVERIFY(!add_contact(QStringLiteral("New"), QStringLiteral("no digits"), false));
        QCOMPARE(entries(), QStringLiteral("Smith, John;071|Smith, Jo;073|smith, JOHN;074"));
    }

    void lookup_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        row("empty", "", "");
        row("first prefix in order", "jO", "0711");
        row("full name", "joan smith", "0722");
        row("longer than names", "Joan Smithson", "");
        row("+44 as typed", "+44 77 12", "0 77 12");
        row("national", "07 1", "071");
        row("other country", "+1 202", "");
        row("other country, name too", "+1", "");
        row("a name before the +44 rule", "+44 c", "0755");
    }
    void lookup() {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        add_entries({"John;0711", "Joan Smith;0722", "jo;0733", "+1 Club;0744", "+44 Club;0755"});
        QCOMPARE(lookup_contact(text), expected);
    }

    void write_failures() {
        add_numbered(10000); // several writes
        QBuffer roomy;
        QVERIFY(roomy.open(QIODevice::WriteOnly) && write_contacts(roomy));
        QCOMPARE(roomy.data().count("\r\n"), 10000);
        FailingDevice atTheEnd(roomy.size() - 1), halfWay(40000);
        QVERIFY(!write_contacts(atTheEnd) && !write_contacts(halfWay));

        // A full disk, for a book that fits the write buffer and one that does not.
        fx->write("zemble_contacts.txt", "Old;071\r\n");
        for (const int size : {200, 5000}) {
            contacts() = ContactStore{};
            add_numbered(size);
            QVERIFY(!save_on_full_disk());
            QCOMPARE(fx->read(), QByteArray("Old;071\r\n"));
            QCOMPARE(QDir(fx->dir.path()).entryList(QDir::Files).size(), 1); // nothing left aside
            QCOMPARE(contacts().count, qint16(size));
        }
        QVERIFY(fx->messages.asked.first().text.contains(QLatin1String("zemble_contacts.txt")));

        // A folder in the file's place can be neither read nor replaced.
        QFile::remove(fx->dir.filePath(QStringLiteral("zemble_contacts.txt")));
        QVERIFY(QDir(fx->dir.path()).mkdir(QStringLiteral("zemble_contacts.txt")));
        load_contacts();
        QVERIFY(!save_contacts(false));
        QCOMPARE(contacts().count, qint16(5000));
        QCOMPARE(fx->messages.titles().count("Address book not saved"), 3);
        QCOMPARE(fx->messages.titles().at(2), QStringLiteral("Address book not read"));
    }
};

QTEST_GUILESS_MAIN(TestContactStore)
#include "tst_contact_store.moc"
