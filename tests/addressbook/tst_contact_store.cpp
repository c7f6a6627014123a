#include "addressbook/contact_store.h"

#include "support/doubles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

using namespace zemble;

namespace {

// Accepts the first `room` bytes, then refuses every further write, like a
// disk that fills up half way through.
class FailingDevice final : public QIODevice {
public:
    explicit FailingDevice(qint64 room) : room_(room) { open(QIODevice::WriteOnly); }
    QByteArray received;

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override {
        if (received.size() + size > room_) {
            setErrorString(QStringLiteral("No space left on device"));
            return -1;
        }
        received.append(data, size);
        return size;
    }

private:
    qint64 room_;
};

QByteArray read_all(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void write_file(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

// The entries in use as "name=number" joined by "|".
QString entries() {
    QStringList out;
    for (int i = 0; i < contacts().count; ++i)
        out << contacts().names.at(i) + u'=' + contacts().numbers.at(i);
    return out.join(u'|');
}

void fill(const QStringList& names) {
    for (const QString& name : names)
        QVERIFY(add_contact(name, QStringLiteral("07") + QString::number(name.size()), false));
}

} // namespace

class TestContactStore : public QObject {
    Q_OBJECT

    QTemporaryDir* dir_ = nullptr;
    test::QuietPlatform* quiet_ = nullptr;

    QString mainFile() const { return dir_->filePath(QStringLiteral("zemble_contacts.txt")); }
    QString backupFile() const { return dir_->filePath(QStringLiteral("zemble_contacts.bak")); }

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
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("expected");
        QTest::newRow("skipping rules") << QByteArray("A;071\r\n\r\nB\r\n;072\r\nC;\r\nD;abc\r\n"
                                                      "E;+33 1\r\nF;+44 71;x\r\n")
                                        << "A=071|F=071";
        QTest::newRow("lone CR ends a line") << QByteArray("A;071\rB;072\r") << "A=071|B=072";
        QTest::newRow("lone LF stays in the line") << QByteArray("A;07\nB;072\r\n") << "A=07";
        QTest::newRow("LF in the name becomes a space") << QByteArray("A\nB;071\r\n") << "A B=071";
        QTest::newRow("last line without an end") << QByteArray("A;071\r\nB;072") << "A=071|B=072";
        QTest::newRow("same name twice") << QByteArray("A;071\r\nA;072\r\n") << "A=071|A=072";
        QTest::newRow("name kept with its blanks") << QByteArray(" A ; 07 1 \r\n") << " A =071";
        QTest::newRow("Windows-1252 name")
            << QByteArray("Zo\xeb \x80;071\r\n") << QString::fromUtf8("Zoë €=071");
        QTest::newRow("empty file") << QByteArray() << "";
        QTest::newRow("only line ends") << QByteArray("\r\n\r\r\n") << "";
    }
    void load() {
        QFETCH(QByteArray, file);
        QFETCH(QString, expected);
        write_file(mainFile(), file);
        load_contacts();
        QCOMPARE(entries(), expected);
        QVERIFY(quiet_->messages.asked.isEmpty());
        QCOMPARE(read_all(mainFile()), file); // loading never writes
    }

    void missing_file_is_an_empty_book() {
        load_contacts();
        QCOMPARE(contacts().count, qint16(0));
        QVERIFY(quiet_->messages.asked.isEmpty());
        QVERIFY(save_contacts(false));
        QCOMPARE(read_all(mainFile()), QByteArray());
    }

    void unreadable_file_is_told_and_store_kept() {
        fill({QStringLiteral("Kept")});
        QVERIFY(QDir(dir_->path()).mkdir(QStringLiteral("zemble_contacts.txt")));
        load_contacts();
        QCOMPARE(entries(), QStringLiteral("Kept=074"));
        QCOMPARE(quiet_->messages.titles(), QStringList{"Address book not read"});
        QCOMPARE(quiet_->messages.asked.first().icon, platform::Icon::Exclamation);
    }

    void save_writes_entries_in_order() {
        fill({QStringLiteral("Brown"), QString::fromUtf8("Zoë"), QStringLiteral("Adams")});
        set_contact(1, QString::fromUtf8("Zoë"), QStringLiteral("none")); // number now empty
        QVERIFY(save_contacts(false));
        QCOMPARE(read_all(mainFile()), QByteArray("Brown;075\r\nAdams;075\r\n"));
        QVERIFY(!QFile::exists(backupFile()));
        QCOMPARE(contacts().count, qint16(3));
    }

    void backup_leaves_main_file_alone() {
        write_file(mainFile(), "Old;071\r\n");
        fill({QString::fromUtf8("Élan")});
        QVERIFY(save_contacts(true));
        QCOMPARE(read_all(backupFile()), QByteArray("\xc9lan;074\r\n"));
        QCOMPARE(read_all(mainFile()), QByteArray("Old;071\r\n"));
    }

    void empty_store_saves_zero_bytes() {
        write_file(mainFile(), "Old;071\r\n");
        QVERIFY(save_contacts(false));
        QCOMPARE(read_all(mainFile()), QByteArray());
    }

    void storable_name_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain") << "Smith, John"
                               << "Smith, John";
        QTest::newRow("semicolon") << "Smith;John"
                                   << "Smith,John";
        QTest::newRow("CR LF one space") << "A\r\nB"
                                         << "A B";
        QTest::newRow("lone CR and LF") << "A\rB\nC"
                                        << "A B C";
        QTest::newRow("LF CR two spaces") << "A\n\rB"
                                          << "A  B";
    }
    void storable_name() {
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QCOMPARE(storable_contact_name(name), expected);
    }

    void awkward_names_survive_the_file() {
        QVERIFY(add_contact(QStringLiteral("Work;Home"), QStringLiteral("071"), false));
        set_contact(-1, QStringLiteral("Two\r\nLines"), QStringLiteral("072"));
        QVERIFY(add_contact(QStringLiteral("Plain"), QStringLiteral("073"), false));
        set_contact(2, QStringLiteral("Semi;colon"), QStringLiteral("074"));
        QVERIFY(save_contacts(false));
        contacts() = ContactStore{};
        load_contacts();
        QCOMPARE(entries(), QStringLiteral("Work,Home=071|Two Lines=072|Semi,colon=074"));
    }

    void growth() {
        // Leftovers of an emptied store are discarded by the first add.
        contacts().names = QStringList(5, QStringLiteral("junk"));
        contacts().numbers = QStringList(5, QStringLiteral("09"));
        QVERIFY(add_contact(QStringLiteral("N0"), QStringLiteral("070"), false));
        QCOMPARE(contacts().names.size(), 21);
        QCOMPARE(contacts().numbers.size(), 21);
        QCOMPARE(contacts().names.mid(1), QStringList(20));
        for (int i = 1; i < 20; ++i)
            QVERIFY(
                add_contact(QStringLiteral("N%1").arg(i), QStringLiteral("07%1").arg(i), false));
        QCOMPARE(contacts().names.size(), 21);
        QVERIFY(add_contact(QStringLiteral("N20"), QStringLiteral("0720"), false));
        QCOMPARE(contacts().names.size(), 42);
        QCOMPARE(contacts().numbers.size(), 42);
        for (int i = 0; i < 21; ++i) {
            QCOMPARE(contacts().names.at(i), QStringLiteral("N%1").arg(i));
            QCOMPARE(contacts().numbers.at(i), QStringLiteral("07%1").arg(i));
        }
        QCOMPARE(contacts().names.mid(21), QStringList(21));
        QCOMPARE(contacts().numbers.mid(21), QStringList(21));
        // Deleting never shrinks the lists.
        for (int i = 20; i >= 0; --i)
            delete_contact(qint16(i));
        QCOMPARE(contacts().count, qint16(0));
        QCOMPARE(contacts().names.size(), 42);
    }

    void delete_shifts_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("expected");
        QTest::newRow("first of three") << 0 << "B=072|C=072";
        QTest::newRow("middle") << 1 << "A=072|C=072";
        QTest::newRow("last") << 2 << "A=072|B=072";
    }
    void delete_shifts() {
        QFETCH(int, index);
        QFETCH(QString, expected);
        write_file(mainFile(), "A;072\r\nB;072\r\nC;072\r\n");
        load_contacts();
        delete_contact(qint16(index));
        QCOMPARE(entries(), expected);
        QCOMPARE(contacts().names.at(2), QString());
        QCOMPARE(contacts().numbers.at(2), QString());
        QByteArray file = expected.toLatin1().replace('=', ';').replace('|', "\r\n") + "\r\n";
        QCOMPARE(read_all(mainFile()), file);
    }

    void duplicate_test() {
        QVERIFY(add_contact(QStringLiteral("Smith, John"), QStringLiteral("071"), true));
        QVERIFY(!add_contact(QStringLiteral("smith, JOHN"), QStringLiteral("072"), true));
        QVERIFY(add_contact(QStringLiteral("Smith, Jo"), QStringLiteral("073"), true));
        QVERIFY(add_contact(QStringLiteral("smith, JOHN"), QStringLiteral("074"), false));
        QCOMPARE(entries(), QStringLiteral("Smith, John=071|Smith, Jo=073|smith, JOHN=074"));
        // A refused add through the details dialog's path is silent.
        set_contact(-1, QStringLiteral("SMITH, JOHN"), QStringLiteral("075"));
        QCOMPARE(contacts().count, qint16(3));
        // A name with ";" is compared in the form it would be stored in.
        QVERIFY(add_contact(QStringLiteral("A;B"), QStringLiteral("076"), true));
        QVERIFY(!add_contact(QStringLiteral("a,b"), QStringLiteral("077"), true));
        // A number without digits is refused before anything else.
        QVERIFY(!add_contact(QStringLiteral("New"), QStringLiteral("none"), false));
        QCOMPARE(contacts().count, qint16(4));
        QVERIFY(quiet_->messages.asked.isEmpty());
        QVERIFY(!QFile::exists(mainFile())); // adding never writes
    }

    void set_existing_entry() {
        fill({QStringLiteral("A"), QStringLiteral("B")});
        set_contact(1, QStringLiteral("a"), QStringLiteral("+44 7 9"));
        QCOMPARE(entries(), QStringLiteral("A=071|a=079"));
        set_contact(5, QStringLiteral("X"), QStringLiteral("070")); // outside the book: ignored
        QCOMPARE(entries(), QStringLiteral("A=071|a=079"));
    }

    void lookup_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("prefix, first in order wins") << "jo"
                                                     << "0711";
        QTest::newRow("prefix in capitals") << "JOA"
                                            << "0722";
        QTest::newRow("full name") << "Joan Smith"
                                   << "0722";
        QTest::newRow("longer than every name") << "Joan Smithson"
                                                << "";
        QTest::newRow("digits in a name") << "4"
                                          << "0744";
        QTest::newRow("+44 kept as typed") << "+44 77 12"
                                           << "0 77 12";
        QTest::newRow("+44 with letters") << "+447a"
                                          << "07a";
        QTest::newRow("national number") << "07 1"
                                         << "071";
        QTest::newRow("other country") << "+1 202"
                                       << "";
        QTest::newRow("other country matching a name") << "+1"
                                                       << "";
        QTest::newRow("no digits") << "nobody"
                                   << "";
    }
    void lookup() {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QVERIFY(add_contact(QStringLiteral("John"), QStringLiteral("0711"), false));
        QVERIFY(add_contact(QStringLiteral("Joan Smith"), QStringLiteral("0722"), false));
        QVERIFY(add_contact(QStringLiteral("jo"), QStringLiteral("0733"), false));
        QVERIFY(add_contact(QStringLiteral("4 Seasons"), QStringLiteral("0744"), false));
        QVERIFY(add_contact(QStringLiteral("+1 Club"), QStringLiteral("0755"), false));
        QCOMPARE(lookup_contact(text), expected);
    }

    void limit_refuses() {
        auto& store = contacts();
        for (int i = 0; i < kMaxContacts; ++i)
            QVERIFY(add_contact(QStringLiteral("N"), QStringLiteral("07"), false));
        QCOMPARE(store.count, kMaxContacts);
        QCOMPARE(store.names.size(), 32760); // highest slot index 32759
        QVERIFY(!add_contact(QStringLiteral("Extra"), QStringLiteral("071"), false));
        QCOMPARE(store.count, kMaxContacts);
        QCOMPARE(store.names.size(), 32760);
        set_contact(-1, QStringLiteral("Extra"), QStringLiteral("071"));
        QCOMPARE(store.count, kMaxContacts);
        QCOMPARE(store.names.at(kMaxContacts - 1), QStringLiteral("N"));
        QCOMPARE(store.names.at(kMaxContacts), QString());
    }

    void write_fails_half_way() {
        for (int i = 0; i < 5000; ++i)
            QVERIFY(add_contact(QStringLiteral("Name %1").arg(i),
                                QStringLiteral("07700900%1").arg(i), false));
        FailingDevice device(100000);
        QVERIFY(!write_contacts(device));
        QVERIFY(device.received.size() > 0);
        FailingDevice roomy(1 << 20);
        QVERIFY(write_contacts(roomy));
        QVERIFY(roomy.received.startsWith("Name 0;077009000\r\nName 1;077009001\r\n"));
        QVERIFY(roomy.received.endsWith("Name 4999;077009004999\r\n"));
    }

    void failed_save_keeps_old_file() {
        // The file system refuses to grow any file past 1000 bytes.
        const QByteArray old("Old;071\r\n");
        write_file(mainFile(), old);
        for (int i = 0; i < 200; ++i)
            QVERIFY(add_contact(QStringLiteral("Name %1").arg(i), QStringLiteral("071"), false));
        rlimit saved{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved;
        small.rlim_cur = 1000;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        const bool saved_ok = save_contacts(false);
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);

        QVERIFY(!saved_ok);
        QCOMPARE(read_all(mainFile()), old);
        QCOMPARE(QDir(dir_->path()).entryList(QDir::Files), QStringList{"zemble_contacts.txt"});
        QCOMPARE(contacts().count, qint16(200));
        QCOMPARE(quiet_->messages.asked.size(), 1);
        const auto& told = quiet_->messages.asked.first();
        QCOMPARE(told.icon, platform::Icon::Exclamation);
        QCOMPARE(told.title, QStringLiteral("Address book not saved"));
        QVERIFY(told.text.contains(QStringLiteral("zemble_contacts.txt")));
        // The next save, with room again, writes the whole book.
        QVERIFY(save_contacts(false));
        QVERIFY(read_all(mainFile()).endsWith("Name 199;071\r\n"));
    }

    void save_into_read_only_folder() {
        const QByteArray old("Old;071\r\n");
        write_file(mainFile(), old);
        fill({QStringLiteral("New")});
        QFile::setPermissions(dir_->path(), QFile::ReadOwner | QFile::ExeOwner);
        QFile probe(dir_->filePath(QStringLiteral("probe")));
        if (probe.open(QIODevice::WriteOnly)) {
            probe.remove();
            QFile::setPermissions(dir_->path(),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QSKIP("this user may write into read-only folders");
        }
        const bool saved = save_contacts(false);
        QFile::setPermissions(dir_->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(!saved);
        QCOMPARE(read_all(mainFile()), old);
        QCOMPARE(quiet_->messages.titles(), QStringList{"Address book not saved"});
        QCOMPARE(entries(), QStringLiteral("New=073"));
    }

    void deletion_that_cannot_be_saved_is_told() {
        // A folder that is really a file cannot hold the address book.
        write_file(dir_->filePath(QStringLiteral("plain")), "x");
        set_contacts_folder(dir_->filePath(QStringLiteral("plain")));
        fill({QStringLiteral("A"), QStringLiteral("B")});
        delete_contact(0);
        QCOMPARE(entries(), QStringLiteral("B=071"));
        QCOMPARE(quiet_->messages.titles(), QStringList{"Address book not saved"});
    }
};

QTEST_GUILESS_MAIN(TestContactStore)
#include "tst_contact_store.moc"
