#include "addressbook_doubles.h"

#include "core/cp1252.h"
#include "support/files.h"
#include "support/other_user.h"

#include <QtTest>
#include <cerrno>
#include <cstring>
#include <optional>

using namespace zemble;
using namespace zemble::test;
using namespace Qt::StringLiterals;

namespace {

// What this copy does between loading the book and saving it, while another program writes to
// the file.
enum class Change { AddAnn, EditBob, DeleteBob };

// What happens to the book between two adds of a batch.
enum class BatchStep { Nothing, DeleteFirst, RenameFirstToJonesAnn, Clear };

// The file as another program left it, this copy's change, and the file saved after.
struct Elsewhere {
    QByteArray changedElsewhere;
    bool sameSizeAndTime = false;
    Change change;
    QByteArray saved;
    bool conflict = false;
};

// Where the program's folder is and who owns it, and where the book is kept.
struct Folder {
    int mode;
    bool ownedByAnother = false, startOwnBook = true, besideProgram = false;
    int timesTold = 1;
};

QStringList textsTold(const AddressBookFixture& fx) {
    QStringList out;
    for (const auto& asked : fx.messages.asked)
        out.append(asked.text);
    return out;
}

} // namespace

Q_DECLARE_METATYPE(Change)
Q_DECLARE_METATYPE(BatchStep)
Q_DECLARE_METATYPE(Elsewhere)
Q_DECLARE_METATYPE(Folder)

class TestContactStore : public QObject {
    Q_OBJECT
    std::optional<AddressBookFixture> fx;

private slots:
    void init() { fx.emplace(); } // the last test's book goes first

    // The entries a file holds: lines end in CR LF or a lone CR (a lone LF ends lines only in a
    // file with no CR), lines that are not entries are skipped, the text is Windows-1252.
    void load_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<Entries>("read");
        QTest::newRow("lines that are not entries skipped")
            << QByteArray("A;071\r\n\r\nB\r\n;072\r\nC;\r\nD;abc\r\nE;+33 1\r\nF;+44 71;x\r\n")
            << Entries{{"A", "071"}, {"F", "071"}};
        QTest::newRow("a lone CR ends a line")
            << QByteArray("A;071\rB;072") << Entries{{"A", "071"}, {"B", "072"}};
        QTest::newRow("a lone LF in a file with CR LF stays in the number")
            << QByteArray("A;07\nB;072\r\n") << Entries{{"A", "07"}};
        QTest::newRow("a lone LF in a file with CR LF becomes a space in the name")
            << QByteArray("A\nB;071\r\n") << Entries{{"A B", "071"}};
        QTest::newRow("a file without CR ends lines at LF")
            << QByteArray("A;071\nB;072\n\nC;073")
            << Entries{{"A", "071"}, {"B", "072"}, {"C", "073"}};
        QTest::newRow("a name twice kept twice")
            << QByteArray("A;071\r\nA;072") << Entries{{"A", "071"}, {"A", "072"}};
        QTest::newRow("spaces kept in the name, dropped from the number")
            << QByteArray(" A ; 07 1 \r\n") << Entries{{" A ", "071"}};
        QTest::newRow("Windows-1252 letters")
            << QByteArray("Zo\xeb \x80;071\r\n")
            << Entries{{QString::fromUtf8("Zo\u00eb \u20ac"), "071"}};
    }
    void load() {
        QFETCH(QByteArray, file);
        QFETCH(Entries, read);
        fx->write("zemble_contacts.txt", file);
        load_contacts();
        QCOMPARE(bookEntries(), read);
        QVERIFY(fx->messages.asked.isEmpty());
        // Saved (with CR LF line ends whatever the file had), the book reads back the same.
        QVERIFY(save_contacts(false));
        const QByteArray saved = fx->read();
        QVERIFY(saved.endsWith("\r\n"));
        contacts() = ContactStore{};
        readContacts(saved);
        QCOMPARE(bookEntries(), read);
    }

    // Comments, lines without ";", names without a number, blank lines: written back byte for
    // byte, in their places among the entries, after an add and after each delete.
    void linesThatAreNotEntriesStay() {
        const QByteArray book = "# family\r\nA;071\r\n\r\nno separator\r\n;072\r\nC;\r\n"
                                "B;073\r\nD;abc\r\nE;+33 1\r\n# end\r\n";
        fx->write("zemble_contacts.txt", book);
        load_contacts();
        QCOMPARE(bookEntries(), (Entries{{"A", "071"}, {"B", "073"}}));
        QVERIFY(add_contact(QStringLiteral("Ann"), QStringLiteral("074"), true));
        QVERIFY(save_contacts(false));
        QCOMPARE(fx->read(), book + "Ann;074\r\n");
        delete_contact(0);
        QCOMPARE(fx->read(), QByteArray("# family\r\n\r\nno separator\r\n;072\r\nC;\r\nB;073\r\n"
                                        "D;abc\r\nE;+33 1\r\n# end\r\nAnn;074\r\n"));
        delete_contact(0);
        delete_contact(0);
        QCOMPARE(fx->read(), QByteArray("# family\r\n\r\nno separator\r\n;072\r\nC;\r\n"
                                        "D;abc\r\nE;+33 1\r\n# end\r\n"));
        QVERIFY(fx->messages.asked.isEmpty());
    }

    // What each save writes when the file was changed elsewhere after loading: the other
    // program's lines and this copy's change, both; a contact edited here but changed or
    // deleted there kept in both versions, with one message naming it.  The store then shows
    // the book as written.
    void changesMadeElsewhereAreKept_data() {
        QTest::addColumn<Elsewhere>("row");
        const auto row = [](const char* name, const Elsewhere& e) { QTest::newRow(name) << e; };
        const QByteArray appended = "Bob;071\r\n# note\r\nCy;072\r\n";
        // clang-format off
        row("a line appended, then an add", {.changedElsewhere = appended,
            .change = Change::AddAnn, .saved = appended + "Ann;073\r\n"});
        row("a line appended, then an edit", {.changedElsewhere = appended,
            .change = Change::EditBob, .saved = "Bobby;079\r\n# note\r\nCy;072\r\n"});
        row("a line appended, then a delete", {.changedElsewhere = appended,
            .change = Change::DeleteBob, .saved = "# note\r\nCy;072\r\n"});
        row("rewritten keeping its size and time, then an add", {.changedElsewhere = "Cyd;072\r\n",
            .sameSizeAndTime = true, .change = Change::AddAnn, .saved = "Cyd;072\r\nAnn;073\r\n"});
        row("the deleted contact deleted there too", {.changedElsewhere = "Cy;072\r\n",
            .change = Change::DeleteBob, .saved = "Cy;072\r\n"});
        row("the edited contact changed there", {.changedElsewhere = "Bob;075\r\n",
            .change = Change::EditBob, .saved = "Bob;075\r\nBobby;079\r\n", .conflict = true});
        row("the edited contact deleted there", {.changedElsewhere = "Cy;072\r\n",
            .change = Change::EditBob, .saved = "Cy;072\r\nBobby;079\r\n", .conflict = true});
        // clang-format on
    }
    void changesMadeElsewhereAreKept() {
        QFETCH(Elsewhere, row);
        const auto& [changedElsewhere, sameSizeAndTime, change, saved, conflict] = row;
        const QString path = fx->write("zemble_contacts.txt", "Bob;071\r\n");
        load_contacts();
        const QDateTime loadedTime = QFileInfo(path).lastModified();
        fx->write("zemble_contacts.txt", changedElsewhere);
        if (sameSizeAndTime) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(loadedTime, QFileDevice::FileModificationTime));
            QCOMPARE(QFileInfo(path).size(), qint64(9));
        }
        switch (change) {
        case Change::AddAnn:
            set_contact(-1, QStringLiteral("Ann"), QStringLiteral("073"));
            QVERIFY(save_contacts(false));
            break;
        case Change::EditBob:
            set_contact(0, QStringLiteral("Bobby"), QStringLiteral("079"));
            QVERIFY(save_contacts(false));
            break;
        case Change::DeleteBob:
            delete_contact(0);
            break;
        }
        QCOMPARE(fx->read(), saved);
        QCOMPARE(contactsFileBytes(), saved);
        const QStringList told =
            conflict ? QStringList{"Another program changed or deleted the contact \"Bob\" while "
                                   "you were editing it.\r\nBoth versions are kept: yours has "
                                   "been added to the address book beside the other program's."}
                     : QStringList{};
        QCOMPARE(textsTold(*fx), told);
        // Saved again with nothing changed anywhere, the file stays as it is, unasked.
        QVERIFY(save_contacts(false));
        QCOMPARE(fx->read(), saved);
        QCOMPARE(textsTold(*fx), told);
    }

    // In a batch of adds (an import) a name is refused exactly when the book holds it in any
    // letter case, also after the book changed in the middle of the batch.  Every batch first
    // adds Lee, Ann; an accepted name is refused when added once more.
    void batchRefusesNamesTheBookHolds_data() {
        QTest::addColumn<QStringList>("book");
        QTest::addColumn<BatchStep>("step");
        QTest::addColumn<QString>("added");
        QTest::addColumn<bool>("accepted");
        const QStringList smith{u"Smith, John"_s};
        const auto none = BatchStep::Nothing;
        QTest::newRow("same name in capitals") << smith << none << u"SMITH, JOHN"_s << false;
        QTest::newRow("accented letters in the other case")
            << QStringList{u"Zoë, Émile"_s} << none << u"ZOË, éMILE"_s << false;
        QTest::newRow("Windows-1252 letters beyond Latin-1 in the other case")
            << QStringList{u"Œuvre, Šárka Ÿ"_s} << none << u"œUVRE, šÁRKA ÿ"_s << false;
        QTest::newRow("a name that only begins the same")
            << smith << none << u"smith, jo"_s << true;
        QTest::newRow("a longer name")
            << QStringList{u"Smith, Jo"_s} << none << u"Smith, John"_s << true;
        QTest::newRow("sharp s is not SS")
            << QStringList{u"Strauß"_s} << none << u"STRAUSS"_s << true;
        QTest::newRow("a picture character held is not its question mark")
            << QStringList{u"Ann \U0001F600"_s} << none << u"ANN ?"_s << true;
        QTest::newRow("added earlier in the same batch") << smith << none << u"LEE, ANN"_s << false;
        QTest::newRow("deleted in the batch")
            << smith << BatchStep::DeleteFirst << u"smith, john"_s << true;
        QTest::newRow("old name of one renamed in the batch")
            << smith << BatchStep::RenameFirstToJonesAnn << u"smith, john"_s << true;
        QTest::newRow("new name of one renamed in the batch")
            << smith << BatchStep::RenameFirstToJonesAnn << u"jones, ann"_s << false;
        QTest::newRow("book emptied in the batch")
            << smith << BatchStep::Clear << u"Smith, John"_s << true;
    }
    void batchRefusesNamesTheBookHolds() {
        QFETCH(QStringList, book);
        QFETCH(BatchStep, step);
        QFETCH(QString, added);
        QFETCH(bool, accepted);
        // Written straight into the store, as a name the file could not hold may be.
        for (qsizetype i = 0; i < book.size(); ++i) {
            contacts().names.append(book.at(i));
            contacts().numbers.append(u"070%1"_s.arg(i + 1));
        }
        contacts().count = qint16(book.size());
        const ContactBatch batch;
        QVERIFY(add_contact(u"Lee, Ann"_s, u"0790"_s, true));
        switch (step) {
        case BatchStep::Nothing:
            break;
        case BatchStep::DeleteFirst:
            delete_contact(0);
            break;
        case BatchStep::RenameFirstToJonesAnn:
            set_contact(0, u"Jones, Ann"_s, u"0701"_s);
            break;
        case BatchStep::Clear:
            clearContacts();
            break;
        }
        const qint16 before = contacts().count;
        QCOMPARE(add_contact(added, u"0791"_s, true), accepted);
        QCOMPARE(contacts().count, qint16(before + (accepted ? 1 : 0)));
        QVERIFY(!add_contact(added.toUpper(), u"0792"_s, true));
    }

    // A book larger than the store: told once, the lines past the limit kept as they were.
    void moreEntriesThanTheLimit() {
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
        QVERIFY(!add_contact(QStringLiteral("Extra"), QStringLiteral("071"), false));
        QCOMPARE(fx->messages.titles(), QStringList{"Address book too large"});
        QCOMPARE(fx->messages.asked[0].text,
                 "The address book holds 40000 entries, but Zemble can show only the first "
                 "32759.\r\nThe other 7241 stay in the file as they are and are kept on every "
                 "save.");
        delete_contact(0);
        QCOMPARE(fx->read(), head.mid(head.indexOf('\n') + 1) + tail);
    }

    // A whole name, else a name beginning with what was typed (in store order), else the
    // number typed; nothing for what is neither.
    void lookup_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("number");
        QTest::newRow("nothing typed") << u""_s << u""_s;
        QTest::newRow("whole name in another case") << u"jO"_s << u"0733"_s;
        QTest::newRow("beginning of a name in another case") << u"jOh"_s << u"0711"_s;
        QTest::newRow("whole name of two words") << u"joan smith"_s << u"0722"_s;
        QTest::newRow("longer than any name") << u"Joan Smithson"_s << u""_s;
        QTest::newRow("+44 typed becomes 0, the rest kept as typed")
            << u"+44 77 12"_s << u"0 77 12"_s;
        QTest::newRow("a number typed, in its normal form") << u"07 1"_s << u"071"_s;
        QTest::newRow("a name after another country's code is not reached") << u"+1"_s << u""_s;
        QTest::newRow("a name after +44 is reached") << u"+44 c"_s << u"0755"_s;
    }
    void lookup() {
        QFETCH(QString, typed);
        QFETCH(QString, number);
        addEntries({{"John", "0711"},
                    {"Joan Smith", "0722"},
                    {"jo", "0733"},
                    {"+1 Club", "0744"},
                    {"+44 Club", "0755"}});
        QCOMPARE(lookup_contact(typed), number);
    }

    // A name is matched letter by letter in either case, also when its letters are not all
    // plain ones, and the look-up follows the book when it changes.
    void lookupMatchesLettersInEitherCase_data() {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("number");
        // The numbers are 0701, 0702, ... in book order.
        const QString grin = QString::fromUtf8("\xF0\x9F\x98\x80");
        QTest::newRow("accented name typed in capitals")
            << QStringList{u"Bob"_s, QString::fromUtf8("Émile Zola")} << QString::fromUtf8("ÉMILE")
            << u"0702"_s;
        QTest::newRow("whole name after a longer one, accented")
            << QStringList{QString::fromUtf8("Zoë Ann"), QString::fromUtf8("Zoë")}
            << QString::fromUtf8("ZOË") << u"0702"_s;
        QTest::newRow("name with a picture character, by its beginning")
            << QStringList{u"Bob"_s, u"Ann "_s + grin} << u"ann"_s << u"0702"_s;
        QTest::newRow("typed picture character, whole name")
            << QStringList{grin + u" Ann"_s, grin} << grin << u"0702"_s;
        QTest::newRow("name with a picture character, after a plain one")
            << QStringList{u"Ann Lee"_s, u"Ann "_s + grin} << u"ann"_s << u"0701"_s;
    }
    void lookupMatchesLettersInEitherCase() {
        QFETCH(QStringList, names);
        QFETCH(QString, typed);
        QFETCH(QString, number);
        contacts() = ContactStore{};
        for (qsizetype i = 0; i < names.size(); ++i) {
            contacts().names.append(names.at(i));
            contacts().numbers.append(u"070%1"_s.arg(i + 1));
        }
        contacts().count = qint16(names.size());
        QCOMPARE(lookup_contact(typed), number);
        // The same book changed: the look-up sees the change.
        contacts().names[contacts().count - 1] = u"Nobody"_s;
        contacts().names[0] = typed;
        QCOMPARE(lookup_contact(typed), u"0701"_s);
        QVERIFY(add_contact(u"Zed"_s, u"0799"_s, false));
        QCOMPARE(lookup_contact(u"zed"_s), u"0799"_s);
        contacts() = ContactStore{};
        QCOMPARE(lookup_contact(typed), QString());
    }

    // A name in another case is refused only when checked; a number without digits is refused;
    // an entry edited is stored as the file can hold it.  A backup leaves the main file alone.
    void addEditAndBackUp() {
        load_contacts(); // no file: an empty book, nothing told
        QVERIFY(save_contacts(false));
        QCOMPARE(fx->read(), QByteArray());
        QVERIFY(add_contact(QStringLiteral("Smith, John"), QStringLiteral("071"), true));
        QVERIFY(!add_contact(QStringLiteral("smith, JOHN"), QStringLiteral("072"), true));
        QVERIFY(add_contact(QStringLiteral("Smith, Jo"), QStringLiteral("073"), true));
        QVERIFY(add_contact(QStringLiteral("smith, JOHN"), QStringLiteral("074"), false));
        set_contact(-1, QStringLiteral("SMITH, JOHN"), QStringLiteral("075"));
        QVERIFY(!add_contact(QStringLiteral("New"), QStringLiteral("no digits"), false));
        QCOMPARE(bookEntries(),
                 (Entries{{"Smith, John", "071"}, {"Smith, Jo", "073"}, {"smith, JOHN", "074"}}));
        set_contact(0, QString::fromUtf8("Zo\u00eb;x\r\ny\nz\u0141"), QStringLiteral("+44 7 9"));
        set_contact(2, QStringLiteral("No number"), QStringLiteral("none"));
        fx->write("zemble_contacts.bak", "old");
        QVERIFY(save_contacts(true));
        QCOMPARE(fx->read("zemble_contacts.bak"),
                 QByteArray("Zo\xeb,x y z?;079\r\nSmith, Jo;073\r\n"));
        QCOMPARE(fx->read(), QByteArray()); // the main file untouched
    }

    // On a full disk the file and the system's reason are told, and the store and the old file
    // stay whole.
    void aSaveOnAFullDiskLeavesTheFile() {
        addEntries(Entries(200, {"Filler", "071"}));
        fx->write("zemble_contacts.txt", "Old;071\r\n");
        QVERIFY(!test::withFileSizeLimit(1000, [] { return save_contacts(false); }));
        QCOMPARE(fx->read(), QByteArray("Old;071\r\n"));
        QCOMPARE(contacts().count, qint16(200));
        QCOMPARE(fx->messages.titles(), QStringList{"Address book not saved"});
        QCOMPARE(fx->messages.asked.last().text,
                 platform::crlfLines(
                     {"Zemble could not save the address book to the file",
                      QDir::toNativeSeparators(fx->dir.filePath("zemble_contacts.txt")),
                      QString::fromLocal8Bit(strerror(EFBIG)), "The file was left as it was."}));
    }

    // A folder in the file's place cannot be read: told, and the store stays.
    void anUnreadableFileLeavesTheStore() {
        addEntries({{"Ann", "071"}});
        QVERIFY(QDir(fx->dir.path()).mkdir(QStringLiteral("zemble_contacts.txt")));
        load_contacts();
        QCOMPARE(bookEntries(), (Entries{{"Ann", "071"}}));
        QCOMPARE(fx->messages.titles(), QStringList{"Address book not read"});
    }

    // The book is kept beside the program only while no one else can write there; else in the
    // user's own data folder.  A book left beside the program is named with the one now in use,
    // over two starts once when the user's own is started empty (the windows), else at each
    // start (zemble-send, which never writes the book).
    void folderOfTheBook_data() {
        QTest::addColumn<Folder>("row");
        const auto row = [](const char* name, const Folder& f) { QTest::newRow(name) << f; };
        row("folder of the user's alone", {.mode = 0755, .besideProgram = true, .timesTold = 0});
        row("group-writable folder", {.mode = 0775});
        row("another user's folder", {.mode = 0755, .ownedByAnother = true});
        row("group-writable, zemble-send", {.mode = 0775, .startOwnBook = false, .timesTold = 2});
    }
    void folderOfTheBook() {
        QFETCH(Folder, row);
        const auto& [mode, ownedByAnother, startOwnBook, besideProgram, timesTold] = row;
        if (ownedByAnother && !test::runAsRoot())
            QSKIP("only root can give a folder to another user");
        const QString program = fx->dir.filePath("bin"), data = fx->dir.filePath("data/Zemble");
        QVERIFY(QDir(fx->dir.path()).mkdir("bin"));
        QCOMPARE(::chmod(QFile::encodeName(program).constData(), mode_t(mode)), 0);
        fx->write("bin/zemble_contacts.txt", "Old;07700900001\r\n");
        if (ownedByAnother)
            test::giveToNobody({program});
        QCOMPARE(test::modeOf(program), mode);
        for (int start = 0; start < 2; ++start)
            QCOMPARE(contactsFolderFor(program, data, startOwnBook),
                     besideProgram ? program : data);
        QCOMPARE(fx->messages.asked.size(), timesTold);
        for (const platform::MessageBoxRequest& told : std::as_const(fx->messages.asked)) {
            QCOMPARE(told.title, "Address book beside the program not used");
            QCOMPARE(told.text,
                     platform::crlfLines(
                         {"Other users can change the files in the folder of the Zemble "
                          "program, so your address book is no longer kept there. This address "
                          "book is not used:",
                          program + "/zemble_contacts.txt",
                          "Zemble keeps your address book in this file instead:",
                          data + "/zemble_contacts.txt",
                          "To keep the old entries, check the old file and copy it over the new "
                          "one while Zemble is not running."}));
        }
        // The user's own folder is made only when used, owner-only; the book in it only when a
        // window starts it.
        QCOMPARE(test::modeOf(data), besideProgram ? -1 : 0700);
        QCOMPARE(test::modeOf(data + "/zemble_contacts.txt"),
                 !besideProgram && startOwnBook ? 0600 : -1);
    }
};

QTEST_GUILESS_MAIN(TestContactStore)
#include "tst_contact_store.moc"
