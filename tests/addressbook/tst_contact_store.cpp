#include "addressbook/contact_store.h"

#include "support/doubles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

using namespace zemble;

namespace {

// Accepts `room` bytes, then refuses every write, like a disk filling up.
class FailingDevice final : public QIODevice {
public:
    explicit FailingDevice(qint64 room) : room_(room) { open(QIODevice::WriteOnly); }
    QByteArray got;

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override {
        if (got.size() + size > room_)
            return -1;
        got.append(data, size);
        return size;
    }
    qint64 room_;
};

// While alive, no file may grow past `bytes` (as on a full disk).
struct FileSizeLimit {
    explicit FileSizeLimit(rlim_t bytes) : handler(std::signal(SIGXFSZ, SIG_IGN)) {
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit small = saved;
        small.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, handler);
    }
    rlimit saved{};
    void (*handler)(int);
};

QByteArray read_all(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void write_file(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

// The entries in use as "name=number" joined by "|".
QString entries() {
    QStringList out;
    for (int i = 0; i < contacts().count; ++i)
        out << contacts().names.at(i) + u'=' + contacts().numbers.at(i);
    return out.join(u'|');
}

void add_numbered(int n) {
    for (int i = 0; i < n; ++i)
        QVERIFY(add_contact(QStringLiteral("N%1").arg(i), QStringLiteral("07%1").arg(i), false));
}

template <class... T> void row(const char* name, T... values) {
    (QTest::newRow(name) << ... << values);
}

} // namespace

class TestContactStore : public QObject {
    Q_OBJECT
    QTemporaryDir* dir_ = nullptr;
    test::QuietPlatform* quiet_ = nullptr;
    QString file(const char* name) const { return dir_->filePath(QLatin1String(name)); }

private slots:
    void init() {
        dir_ = new QTemporaryDir;
        quiet_ = new test::QuietPlatform;
        set_contacts_folder(dir_->path());
        contacts() = ContactStore{};
    }
    void cleanup() {
        delete quiet_;
        delete dir_;
    }

    void load_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected");
        row("skipping rules",
            QByteArray("A;071\r\n\r\nB\r\n;072\r\nC;\r\nD;abc\r\nE;+33 1\r\n"
                       "F;+44 71;x\r\n"),
            QStringLiteral("A=071|F=071"));
        row("lone CR ends a line", QByteArray("A;071\rB;072"), QStringLiteral("A=071|B=072"));
        row("lone LF does not", QByteArray("A;07\nB;072\r\n"), QStringLiteral("A=07"));
        row("LF in a name", QByteArray("A\nB;071\r\n"), QStringLiteral("A B=071"));
        row("same name twice", QByteArray("A;071\r\nA;072"), QStringLiteral("A=071|A=072"));
        row("blanks kept", QByteArray(" A ; 07 1 \r\n"), QStringLiteral(" A =071"));
        row("Windows-1252", QByteArray("Zo\xeb \x80;071\r\n"), QString::fromUtf8("Zoë €=071"));
    }
    void load() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        write_file(file("zemble_contacts.txt"), bytes);
        load_contacts();
        QCOMPARE(entries(), expected);
        QVERIFY(quiet_->messages.asked.isEmpty());
    }

    void save() {
        load_contacts(); // no file: empty book, nothing told
        QVERIFY(save_contacts(false));
        QCOMPARE(read_all(file("zemble_contacts.txt")), QByteArray());
        add_numbered(3);
        set_contact(0, QString::fromUtf8("Zoë;x\r\ny\nzŁ"), QStringLiteral("+44 7 9"));
        QCOMPARE(contacts().names.at(0), QString::fromUtf8("Zoë,x y z?")); // as the file holds it
        set_contact(1, QStringLiteral("No number"), QStringLiteral("none"));
        QVERIFY(save_contacts(true));
        QCOMPARE(read_all(file("zemble_contacts.bak")),
                 QByteArray("Zo\xeb,x y z?;079\r\nN2;072\r\n"));
        QCOMPARE(read_all(file("zemble_contacts.txt")), QByteArray()); // untouched
        contacts() = ContactStore{};
        QFile::remove(file("zemble_contacts.txt"));
        QFile::rename(file("zemble_contacts.bak"), file("zemble_contacts.txt"));
        load_contacts();
        QCOMPARE(entries(), QString::fromUtf8("Zoë,x y z?=079|N2=072"));
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
        QCOMPARE(read_all(file("zemble_contacts.txt")),
                 QByteArray("N0;070\r\nN1;071\r\nN2;072\r\n"));
        delete_contact(0);
        QCOMPARE(entries(), QStringLiteral("N1=071|N2=072"));
        QCOMPARE(contacts().names.at(2), QString());
        QCOMPARE(contacts().numbers.at(2), QString());
        QCOMPARE(read_all(file("zemble_contacts.txt")), QByteArray("N1;071\r\nN2;072\r\n"));
        QCOMPARE(contacts().names.size(), 21); // never shrinks
    }

    void duplicates() {
        QVERIFY(add_contact(QStringLiteral("Smith, John"), QStringLiteral("071"), true));
        QVERIFY(!add_contact(QStringLiteral("smith, JOHN"), QStringLiteral("072"), true));
        QVERIFY(add_contact(QStringLiteral("Smith, Jo"), QStringLiteral("073"), true));
        QVERIFY(add_contact(QStringLiteral("smith, JOHN"), QStringLiteral("074"), false));
        set_contact(-1, QStringLiteral("SMITH, JOHN"), QStringLiteral("075"));
        QVERIFY(!add_contact(QStringLiteral("New"), QStringLiteral("no digits"), false));
        QCOMPARE(entries(), QStringLiteral("Smith, John=071|Smith, Jo=073|smith, JOHN=074"));
        QVERIFY(quiet_->messages.asked.isEmpty());
    }

    void lookup_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        row("empty", QString(), QString());
        row("first prefix in order", QStringLiteral("jO"), QStringLiteral("0711"));
        row("full name", QStringLiteral("joan smith"), QStringLiteral("0722"));
        row("longer than names", QStringLiteral("Joan Smithson"), QString());
        row("+44 as typed", QStringLiteral("+44 77 12"), QStringLiteral("0 77 12"));
        row("national", QStringLiteral("07 1"), QStringLiteral("071"));
        row("other country", QStringLiteral("+1 202"), QString());
        row("other country, name too", QStringLiteral("+1"), QString());
    }
    void lookup() {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        for (const char* entry : {"John=0711", "Joan Smith=0722", "jo=0733", "+1 Club=0744"}) {
            const QString e = QLatin1String(entry);
            add_contact(e.section(u'=', 0, 0), e.section(u'=', 1), false);
        }
        QCOMPARE(lookup_contact(text), expected);
    }

    void limit() {
        for (int i = 0; i < kMaxContacts; ++i)
            add_contact(QStringLiteral("N"), QStringLiteral("07"), false);
        QCOMPARE(contacts().count, kMaxContacts);
        QVERIFY(!add_contact(QStringLiteral("Extra"), QStringLiteral("071"), false));
        QCOMPARE(contacts().count, kMaxContacts);
        QCOMPARE(contacts().names.size(), 32760); // highest slot index 32759
    }

    void write_failures() {
        add_numbered(5000);
        FailingDevice half(30000);
        QVERIFY(!write_contacts(half));
        FailingDevice roomy(1 << 20);
        QVERIFY(write_contacts(roomy));
        QVERIFY(roomy.got.startsWith("N0;070\r\nN1;071\r\n") &&
                roomy.got.endsWith("N4999;074999\r\n"));

        // A full disk, for a book that fits the write buffer and one that does not.
        const QByteArray old("Old;071\r\n");
        write_file(file("zemble_contacts.txt"), old);
        for (const int size : {200, 5000}) {
            contacts() = ContactStore{};
            add_numbered(size);
            bool saved = true;
            {
                FileSizeLimit full(1000);
                saved = save_contacts(false);
            }
            QVERIFY(!saved);
            QCOMPARE(read_all(file("zemble_contacts.txt")), old);
            QCOMPARE(QDir(dir_->path()).entryList(QDir::Files).size(), 1); // nothing left aside
            QCOMPARE(contacts().count, qint16(size));
        }
        QCOMPARE(quiet_->messages.titles(),
                 QStringList(2, QStringLiteral("Address book not saved")));
        QCOMPARE(quiet_->messages.asked.first().icon, platform::Icon::Exclamation);
        QVERIFY(quiet_->messages.asked.first().text.contains(QLatin1String("zemble_contacts.txt")));
    }

    void read_only_folder() {
        const QByteArray old("Old;071\r\n");
        write_file(file("zemble_contacts.txt"), old);
        add_numbered(1);
        QFile::setPermissions(dir_->path(), QFile::ReadOwner | QFile::ExeOwner);
        if (QFile(file("probe")).open(QIODevice::WriteOnly)) {
            QFile::setPermissions(dir_->path(),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QSKIP("this user may write into read-only folders");
        }
        const bool saved = save_contacts(false);
        QFile::setPermissions(dir_->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(!saved);
        QCOMPARE(read_all(file("zemble_contacts.txt")), old);
        QCOMPARE(quiet_->messages.titles(), QStringList{"Address book not saved"});
    }

    void unreadable_file() {
        add_numbered(1);
        QVERIFY(QDir(dir_->path()).mkdir(QStringLiteral("zemble_contacts.txt")));
        load_contacts();
        QCOMPARE(entries(), QStringLiteral("N0=070"));
        QCOMPARE(quiet_->messages.titles(), QStringList{"Address book not read"});
    }
};

QTEST_GUILESS_MAIN(TestContactStore)
#include "tst_contact_store.moc"
