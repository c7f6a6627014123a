#include "addressbook/access_window.h"
#include "addressbook/contact_info_dialog.h"
#include "addressbook/contacts_window.h"
#include "addressbook/csv_import.h"
#include "addressbook/import_window.h"
#include "addressbook_doubles.h"
#include "support/contacts_source_double.h"
#include "support/fake_compose_host.h"
#include "support/keys.h"

#include <optional>

using namespace zemble;
using namespace zemble::test;

namespace {

QStringList texts(const QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out.append(list->item(i)->text());
    return out;
}

void selectRows(QListWidget* list, const QList<int>& rows) {
    list->clearSelection();
    for (int row : rows)
        list->setCurrentRow(row, QItemSelectionModel::Select);
}

// One exported line of 120 fields: the raw first name (1), last name (3) and
// mobile phone (40), the other fields filler.
QByteArray csvLine(const QByteArray& first, const QByteArray& last, const QByteArray& mobile) {
    QList<QByteArray> fields(120, QByteArray("x"));
    fields[1] = first;
    fields[3] = last;
    fields[40] = mobile;
    return fields.join(',');
}

QString progress(int found, int added) {
    return QStringLiteral("Accessing contacts list ... (%1 found, %2 added)").arg(found).arg(added);
}

} // namespace

class TestContactsWindow : public QObject {
    Q_OBJECT
    struct Env {
        Env() {} // clang uses a nested class's member initialisers only through one
        AddressBookFixture fx;
        FakeComposeHost host;
        AddressBook book{host};
    };
    std::optional<Env> e;

    ContactsWindow* w() const { return e->book.window(); }
    template <class W = QPushButton> W* find(const char* n) const { return w()->findChild<W*>(n); }
    void click(const char* name) const { QTest::mouseClick(find(name), Qt::LeftButton); }
    QListWidget* contactsList() const { return find<QListWidget>("lstContacts"); }
    QListWidget* recepsList() const { return find<QListWidget>("lstReceps"); }
    QString label(const char* name) const { return find<QLabel>(name)->text(); }
    ContactInfoDialog* details() const { return w()->contactInfo(); }
    QLineEdit* detailsField(const char* n) const { return details()->findChild<QLineEdit*>(n); }
    void open(const QString& to) {
        e->host.to = to;
        e->book.show();
        e->host.calls.clear();
    }
    ImportWindow* importer() const { return w()->importWindow(); }
    void runImport(int source, bool append) {
        if (!w())
            open("");
        click("cmdUpdate");
        importer()->findChild<QListWidget*>("lstImport")->setCurrentRow(source);
        const char* mode = append ? "optAppend" : "optOverwrite";
        importer()->findChild<QRadioButton*>(mode)->setChecked(true);
        QTest::mouseClick(importer()->findChild<QPushButton*>("cmdOk"), Qt::LeftButton);
    }
    // The first line is always taken as the header, whatever it holds.
    void importCsv(const QList<QByteArray>& lines, bool append = true) {
        const QByteArray header = csvLine("Lost", "First", "07700900000");
        e->fx.files.answers.enqueue(e->fx.write("in.csv", header + "\r\n" + lines.join("\r\n")));
        runImport(1, append);
    }
    AccessWindow* access() const { return importer()->accessWindow(); }
    QString status() const { return access()->findChild<QLabel*>("lblStatus")->text(); }
    QPushButton* accessCancel() const { return access()->findChild<QPushButton*>("cmdCancel"); }

private slots:
    void init() { e.emplace(); } // the last test's windows and book go first

    // Recipients sorted by the locale (case, then accents; ties kept), back in To only on OK.
    // A row is "locale#To#listed, joined by '|'#count#how the window is closed".
    void sortedListsAndTheToField_data() {
        QTest::addColumn<QString>("row");
        const QString many = QStringList(65537, "a").join(" ; "); // past a 16-bit count
        for (const QString row : QStringList{
                 "C###0 recipients#cmdOk", "C#Ann#Ann#1 recipient#cmdOk",
                 "en_GB#bob ; Ann ; Bob ; Ann#Ann|Ann|bob|Bob#4 recipients#cmdOk",
                 "en_GB#zed ; Øyvind ; Émile ; Emile ; Smithers ; Smith, Jo ; _u#"
                 "_u|Emile|Émile|Øyvind|Smith, Jo|Smithers|zed#7 recipients#cmdOk",
                 "sv_SE#Øyvind ; zed#zed|Øyvind#2 recipients#cmdOk",
                 "C#" + many + "#" + QString(many).replace(" ; ", "|") + "#65537 recipients#cmdOk",
                 "C# x  ;  y# x | y#2 recipients#cmdOk",
                 "C#Bob ; 077#077|Bob#2 recipients#cmdCancel",
                 "C#Bob ; 077#077|Bob#2 recipients#frame"})
            QTest::newRow(qPrintable(row.left(40))) << row;
    }
    void sortedListsAndTheToField() {
        QFETCH(QString, row);
        const QStringList c = row.split(u'#');
        const QStringList listed = c[2].isEmpty() ? QStringList() : c[2].split(u'|');
        const QLocale before;
        const auto restore = qScopeGuard([&] { QLocale::setDefault(before); });
        QLocale::setDefault(QLocale(c[0]));
        addEntries({"bob;071", "Ann;072", "Carl;073", "alice;074", "ann;075"});
        open(c[1]);
        QVERIFY(w()->isVisible() && !e->host.enabled);
        QCOMPARE(texts(contactsList()), (QStringList{"alice", "Ann", "ann", "bob", "Carl"}));
        QCOMPARE(texts(recepsList()) << label("lblNum"), QStringList(listed) << c[3]);
        c[4] == "frame" ? void(w()->close()) : click(qPrintable(c[4]));
        const bool ok = c[4] == "cmdOk";
        QCOMPARE(e->host.to, ok ? listed.join(" ; ") : c[1]);
        QCOMPARE(e->host.calls.join(' '),
                 (ok ? "set_to " : "") + QString("enable raise update_status_bar"));
        // Hidden, the window comes back; closed from its frame, a new one is made.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(!w(), c[4] == "frame");
        open("Bob");
        QCOMPARE(texts(recepsList()), QStringList{"Bob"});
    }

    void addAndRemove() {
        addEntries({"Bob;071", "Zed;072", "Emil;073"});
        open("BOB ; 079 ; c ; emma");
        QCOMPARE(texts(contactsList()), (QStringList{"Bob", "Emil", "Zed"}));
        selectRows(recepsList(), {2});
        selectRows(contactsList(), {0, 1, 2});
        QCOMPARE(label("lblContacts"), QStringLiteral("3 contacts (3 selected)"));
        click("cmdAdd"); // Bob is listed already, as BOB
        QCOMPARE(texts(recepsList()), (QStringList{"079", "BOB", "c", "Emil", "emma", "Zed"}));
        QCOMPARE(label("lblNum"), QStringLiteral("6 recipients"));
        QVERIFY(contactsList()->selectedItems().isEmpty() && !find("cmdAdd")->isEnabled());
        QCOMPARE(recepsList()->selectedItems().size(), 1); // still chosen: c

        selectRows(recepsList(), {0, 2, 3});
        QTest::keyClick(recepsList(), Qt::Key_Return); // Enter in a list acts as its button
        QCOMPARE(texts(recepsList()), (QStringList{"BOB", "emma", "Zed"}));
        QVERIFY(!find("cmdRemove")->isEnabled());
    }

    // Edit and Del act on the selected contact, not the current item; Edit splits the name at
    // commas, Escape cancels; Del asks first, and Yes writes the file at once.  Then New.
    void editAndDeleteTheSelectedContact() {
        addEntries({"Smith, Jr., John;073", "Smith;+44 7700 900002", "Cy;074"});
        open("");
        const auto edit = [&](int row) {
            selectRows(contactsList(), {row});
            contactsList()->setCurrentRow(0, QItemSelectionModel::NoUpdate); // not selected
            click("cmdEdit");
            return details()->windowTitle() + "|" + detailsField("txtSurname")->text() + "|" +
                   detailsField("txtForename")->text() + "|" + detailsField("txtNumber")->text();
        };
        QCOMPARE(edit(2), "Edit details|Smith|Jr.|073"); // Smith, Jr., John
        QVERIFY(details()->isVisible() && !w()->isEnabled());
        QTest::mouseClick(details()->findChild<QPushButton*>("cmdOk"), Qt::LeftButton);
        QVERIFY(!details()->isVisible() && w()->isEnabled());
        QCOMPARE(edit(1), "Edit details|Smith||07700900002");
        detailsField("txtSurname")->setText(QStringLiteral("Changed"));
        QTest::keyClick(details(), Qt::Key_Escape);
        QVERIFY(!details()->isVisible() && w()->isEnabled());
        QCOMPARE(e->fx.read(), QByteArray("Smith, Jr.;073\r\nSmith;07700900002\r\nCy;074\r\n"));

        selectRows(contactsList(), {0, 2}); // Del wants exactly one contact
        click("cmdDelete");
        e->fx.messages.answers << platform::Answer::No << platform::Answer::Yes;
        for (const bool yes : {false, true}) {
            selectRows(contactsList(), {1});
            contactsList()->setCurrentRow(2, QItemSelectionModel::NoUpdate);
            click("cmdDelete");
            QCOMPARE(e->fx.messages.asked.last().text,
                     "Are you really sure you want to delete this entry?\r\n\r\nName :  "
                     "Smith\r\nNumber :  07700900002");
            QCOMPARE(texts(contactsList()), (yes ? QStringList{"Cy", "Smith, Jr."}
                                                 : QStringList{"Cy", "Smith", "Smith, Jr."}));
        }
        // New: no name, then no UK mobile number, then only a forename and Enter in a field.
        click("cmdNew");
        QCOMPARE(details()->windowTitle(), QStringLiteral("New details"));
        detailsField("txtSurname")->setText(QStringLiteral("   "));
        detailsField("txtNumber")->setText(QStringLiteral("+44 7700 900001"));
        details()->cmdOk_Click();
        detailsField("txtForename")->setText(QStringLiteral("  Ann "));
        detailsField("txtNumber")->setText(QStringLiteral("+33 1 23"));
        details()->cmdOk_Click();
        QVERIFY(details()->isVisible() && !w()->isEnabled());
        QCOMPARE(e->fx.read(), QByteArray("Smith, Jr.;073\r\nCy;074\r\n"));
        QCOMPARE(e->fx.messages.titles(),
                 (QStringList{"Edit contact", "Delete confirmation", "Delete confirmation",
                              "Missing data", "Missing data"}));
        QCOMPARE(e->fx.messages.asked[0].icon, platform::Icon::Exclamation);
        QCOMPARE(e->fx.messages.asked[1].buttons, platform::Buttons::YesNo);
        QCOMPARE(e->fx.messages.asked[3].text, "You need to enter a name for this entry");
        QCOMPARE(e->fx.messages.asked[4].text, "You need to enter a valid UK mobile phonenumber");
        QCOMPARE(e->fx.messages.asked[4].icon, platform::Icon::Information);
        detailsField("txtNumber")->setText(QStringLiteral("+44 7700 900001"));
        QTest::keyClick(detailsField("txtNumber"), Qt::Key_Return);
        QVERIFY(!details()->isVisible());
        QCOMPARE(texts(contactsList()), (QStringList{"Ann", "Cy", "Smith, Jr."}));
        // A new entry under a name already there (another case) is dropped silently.
        click("cmdNew");
        detailsField("txtSurname")->setText(QStringLiteral("ANN"));
        detailsField("txtNumber")->setText(QStringLiteral("079"));
        details()->cmdOk_Click();
        QCOMPARE(e->fx.read(), QByteArray("Smith, Jr.;073\r\nCy;074\r\nAnn;07700900001\r\n"));
        QCOMPARE(e->fx.messages.asked.size(), 5);
    }

    // A large field of doubled quotes is split whole, the fields of the line before emptied
    // (the fuzz target checks the split against a reference on every other line).  Then an
    // import appended, one overwriting, and one cancelled.
    void csvAppendThenOverwrite() {
        const QString quotes(200000, u'"');
        CsvFields split;
        split.fill("stale");
        QVERIFY(splitCsvLine('"' + quotes + "\",x", split));
        QCOMPARE(QStringList(split.begin(), split.end()).join(u'|'),
                 quotes.left(100000) + "|x" + QString(kCsvFieldCount - 2, u'|'));
        addEntries({"smith, JOHN;071"});
        const QList<QByteArray> lines{csvLine("John", "Smith", "07700 900001"),
                                      csvLine("John", "\"Smith, Jr.\"", "\"+44 7700 900002\""),
                                      csvLine(" Ann\nx", "Lee ", "07700900005"), // LF in a field
                                      csvLine("Ann", "", "07700900006"),         // no last name
                                      csvLine("Ann", "\"\"", "07700900007"), // one of two quotes
                                      csvLine("Ann", "Lee", ""),
                                      csvLine("Ann", "Lee", "+33 1 23 45"),
                                      csvLine("JOHN", "SMITH", "074")};
        importCsv(lines, true);
        QCOMPARE(entries(),
                 QStringLiteral(
                     "smith, JOHN;071|Smith, Jr., John;07700900002|Lee ,  Ann x;07700900005"));
        QCOMPARE(e->fx.read("zemble_contacts.bak"), QByteArray("smith, JOHN;071\r\n"));
        QCOMPARE(status(), progress(8, 2));
        QCOMPARE(e->fx.messages.titles(), QStringList{"Backup information"});
        QCOMPARE(e->fx.messages.asked.first().text,
                 "Import complete.\r\n\r\nYour previous address book has been backed up to "
                 "'zemble_contacts.bak'.\r\nIf you wish to go to the backup, close Zemble, rename "
                 "this to 'zemble_contacts.txt'\r\nand then re-run Zemble.");
        QVERIFY(!importer()->isVisible() && !access()->isVisible());
        QVERIFY(w()->isEnabled() && contactsList()->count() == 3); // given back, refreshed

        importCsv(lines, false);
        QCOMPARE(e->fx.read(),
                 QByteArray("Smith, John;07700900001\r\nSmith, Jr., John;07700900002\r\n"
                            "Lee ,  Ann x;07700900005\r\nSMITH, JOHN;074\r\n"));
        QVERIFY(e->fx.read("zemble_contacts.bak").startsWith("smith, JOHN;071\r\nSmith, Jr."));
        QCOMPARE(status(), progress(8, 4));

        // Cancel, pressed while a long line is split, stops before its record is taken.
        const QByteArray line = csvLine("Ann", "Lee", "071") + ',' + QByteArray(100000, 'y');
        QMetaObject::invokeMethod(
            this, [this] { accessCancel()->click(); }, Qt::QueuedConnection);
        const qsizetype paused = e->fx.pauses.blocked.size();
        importCsv({line, line}, false);
        QCOMPARE(e->fx.read(), QByteArray());
        QVERIFY(e->fx.read("zemble_contacts.bak").startsWith("Smith, John;07700900001\r\n"));
        QCOMPARE(e->fx.pauses.blocked.mid(paused), QList<int>{500}); // no record taken
        QCOMPARE(e->fx.messages.titles(), QStringList(3, "Backup information"));
    }

    // Escape, or a close from the frame, stops an import; the next starts afresh.
    void cancelKeepsWhatWasAddedAndTheNextStartsAfresh() {
        for (const bool fromFrame : {false, true}) {
            e.emplace();
            e->fx.pauses.onPause = [&](int index, int) {
                QVERIFY(!importer()->isEnabled()); // no second import from the options meanwhile
                if (index == 1)                    // the window stays till the end
                    fromFrame ? void(access()->close()) : QTest::keyClick(access(), Qt::Key_Escape);
            };
            importCsv({csvLine("John", "Smith", "071"), csvLine("B", "", "072"),
                       csvLine("C", "Three", "073")});
            QCOMPARE(status(), progress(2, 1));
            QCOMPARE(e->fx.pauses.blocked, (QList<int>{100, 100, 500}));
            QCOMPARE(accessCancel()->text(), QStringLiteral("Cancelling.."));
            QCOMPARE(e->fx.read(), QByteArray("Smith, John;071\r\n"));
            QCOMPARE(e->fx.messages.titles(), QStringList{"Backup information"});
            QVERIFY(!access()->isVisible() && importer()->isEnabled());
        }

        // The direct import, its items with and without the properties read.
        e->fx.pauses.onPause = nullptr;
        FakeContactsSource source;
        platform::ScopedService<platform::ContactsSourceService> guard(&source);
        source.addContact("07700 900001", "Jones", "Mary");
        source.addContact(QString(), "Nomobile", "Ann");
        source.addContact("+44 7700 900002", QString(), "Ann");
        source.addContact("073", QString(), QString());
        source.addContact("+33 1 23 45", "Dupont", "Jean");
        source.addContact("074", "smith", "JOHN"); // already there
        source.items.append({{"Unrelated", "x"}});
        QStringList atStart;
        source.onItem = [&](int) { atStart << status() << accessCancel()->text(); };
        runImport(0, true);
        QCOMPARE(atStart.mid(0, 2), (QStringList{progress(0, 0), "Cancel"}));
        QCOMPARE(entries(),
                 QStringLiteral("Smith, John;071|Jones, Mary;07700900001|, Ann;07700900002"));
        QCOMPARE(status(), progress(7, 2));
        QCOMPARE(source.releases, 1);
        // The names are read only for items with a mobile number.
        QCOMPARE(source.propertiesRead.count("LastName"), 5);
        QCOMPARE(e->fx.messages.titles(), QStringList(2, QStringLiteral("Backup information")));
    }

    // Overwrite from a source out of reach, one after another: the direct one (no contacts
    // program to reach), a missing file, a cancelled chooser.  The book and its files stay.
    void overwriteFromAnUnreachableSource() {
        addEntries({"Old;071", "Older;072"});
        const QString gone = e->fx.dir.filePath("gone.csv");
        for (const auto& [source, file] : {std::pair{0, QString()}, {1, gone}, {1, QString()}}) {
            if (source)
                e->fx.files.answers.enqueue(file);
            runImport(source, false);
            QCOMPARE(entries(), QStringLiteral("Old;071|Older;072"));
            QCOMPARE(e->fx.read() + e->fx.read("zemble_contacts.bak"),
                     QByteArray("<missing><missing>"));
            QVERIFY(e->fx.pauses.blocked.isEmpty() && !access()->isVisible());
            QCOMPARE(importer()->isVisible(), source && file.isEmpty());
        }
        QCOMPARE(e->fx.messages.titles(), QStringList(2, "Contacts error"));
        QCOMPARE(e->fx.messages.asked[0].text,
                 "Zemble was unable to access your contacts. This is probably because you don't "
                 "have Outlook installed.\r\n\r\n");
        QCOMPARE(e->fx.messages.asked[1].text,
                 crlfLines({"Zemble was unable to open the contacts file",
                            QDir::toNativeSeparators(gone), "No such file or directory",
                            "Your address book has not been changed."}));
        for (const platform::MessageBoxRequest& box : e->fx.messages.asked)
            QCOMPARE(box.icon, platform::Icon::Information);
        // A cancelled chooser keeps the options open, and the address book waits for them.
        QVERIFY(!w()->isEnabled());
        w()->close();
        QVERIFY(w()->isVisible());
        importer()->close(); // from the frame: the window is discarded
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!importer() && w()->isEnabled());
    }

    // The contacts list reached from the keyboard gives what a click gives: its label's mnemonic
    // selects the contact with the focus frame (also when the list has the caret already, as when
    // the window opens), and Enter or Space adds it, selected or not.
    void keyboardReachesAContactAsAClickDoes_data() {
        QTest::addColumn<QString>("caretOn");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("contactsLine");
        QTest::addColumn<QStringList>("recipients");
        QTest::newRow("Alt+C in the list as it opens")
            << "lstContacts"
            << "Alt+C"
            << "3 contacts (1 selected)" << QStringList();
        QTest::newRow("Alt+C from Help") << "cmdHelp"
                                         << "Alt+C"
                                         << "3 contacts (1 selected)" << QStringList();
        // Adding clears the selection, as the > button does.
        QTest::newRow("Alt+C then Enter adds the contact")
            << "lstContacts"
            << "Alt+C Return"
            << "3 contacts (0 selected)" << QStringList{"Ann"};
        QTest::newRow("Space on the framed contact adds it")
            << "lstContacts"
            << "Space"
            << "3 contacts (0 selected)" << QStringList{"Ann"};
        QTest::newRow("Enter on the framed contact adds it")
            << "lstContacts"
            << "Return"
            << "3 contacts (0 selected)" << QStringList{"Ann"};
    }
    void keyboardReachesAContactAsAClickDoes() {
        QFETCH(QString, caretOn);
        QFETCH(QString, keys);
        QFETCH(QString, contactsLine);
        QFETCH(QStringList, recipients);
        addEntries({"Ann;071", "Bob;072", "Cy;073"});
        open("");
        QVERIFY(QTest::qWaitForWindowActive(w()));
        // The caret as the window's opening puts it: the list shows a focus frame on its
        // first contact, none selected.
        QWidget* start = find<QWidget>(qPrintable(caretOn));
        start->setFocus(Qt::ActiveWindowFocusReason);
        QTRY_VERIFY(start->hasFocus());
        QCOMPARE(label("lblContacts"), "3 contacts (0 selected)");
        press(keys);
        QCOMPARE(label("lblContacts"), contactsLine);
        QCOMPARE(texts(recepsList()), recipients);
    }

    // Escape in the details window gives the caret back to the button that opened it.
    void escapeFromDetailsReturnsTheCaret_data() {
        QTest::addColumn<QString>("opener");
        QTest::newRow("Edit") << "cmdEdit";
        QTest::newRow("New") << "cmdNew";
    }
    void escapeFromDetailsReturnsTheCaret() {
        QFETCH(QString, opener);
        addEntries({"Ann;071", "Bob;072"});
        open("");
        selectRows(contactsList(), {1});
        QWidget* button = find<QWidget>(qPrintable(opener));
        focusAndWait(button);
        press("Return");
        QVERIFY(details() && details()->isVisible());
        QVERIFY(QTest::qWaitForWindowActive(details()));
        QTRY_VERIFY(QApplication::focusWidget() &&
                    QApplication::focusWidget()->window() == details());
        press("Esc");
        QVERIFY(!details()->isVisible());
        QVERIFY(QTest::qWaitForWindowActive(w()));
        QTRY_COMPARE(QApplication::focusWidget(), button);
    }

    // Keys pressed with the caret first on a control of the address book, or of the window its
    // button opens.  A row is "opener#control#keys#after": the windows shown, the compose
    // window's calls, help and messages, "saved" when the file was written, the recipients
    // when they changed.  Enter on a button presses that button.
    void keysInEachWindow_data() {
        QTest::addColumn<QString>("row");
        for (const char* row :
             {"#lstContacts#Esc#enable raise update_status_bar",
              "#cmdCancel#Return#enable raise update_status_bar",
              "#cmdHelp#Return#frmContacts contacts.html",
              "#cmdNew#Return#frmContactInfo frmContacts",
              "#cmdUpdate#Return#frmContacts frmImport",
              "#cmdHelp#Tab Ctrl+Down Ctrl+Down Ctrl+Space Return#frmContacts 077 Ann Bob Cy",
              "cmdNew#cmdCancel#Return#frmContacts", "cmdUpdate#lstImport#Esc#frmContacts",
              "cmdUpdate#cmdCancel#Return#frmContacts",
              "cmdUpdate#cmdHelp#Return#frmContacts frmImport import.html",
              "cmdUpdate#cmdHelp#Tab Space#frmContacts Contacts error"})
            QTest::newRow(row) << QString(row);
    }
    void keysInEachWindow() {
        QFETCH(QString, row);
        const QStringList c = row.split(u'#');
        const QString &opener = c[0], &control = c[1], &keys = c[2], &after = c[3];
        addEntries({"Ann;071", "Bob;072", "Cy;073"});
        open("Bob ; 077");
        if (!opener.isEmpty())
            click(qPrintable(opener));
        QWidget* window = opener.isEmpty()     ? static_cast<QWidget*>(w())
                          : opener == "cmdNew" ? static_cast<QWidget*>(details())
                                               : importer();
        focusAndWait(window->findChild<QWidget*>(control));
        press(keys);
        QStringList state;
        for (QWidget* shown : QApplication::topLevelWidgets())
            if (shown->isVisible() && shown->objectName().startsWith("frm"))
                state << shown->objectName();
        state.sort();
        state << e->host.calls << e->fx.help.topics << e->fx.messages.titles();
        if (e->fx.read() != "<missing>")
            state << "saved";
        if (texts(recepsList()) != QStringList{"077", "Bob"})
            state << texts(recepsList());
        QCOMPARE(state.join(' '), after);
    }
};

QTEST_MAIN(TestContactsWindow)
#include "tst_contacts_window.moc"
