#include "shell/preferences_dialog.h"

#include "core/settings.h"
#include "support/doubles.h"
#include "support/fake_compose_host.h"
#include "support/keys.h"
#include "support/temp_settings.h"

#include <QtTest>
#include <QtWidgets>

using namespace zemble;
using KeyringOutcome = platform::KeyringOutcome;

namespace {

const QStringList kGatewayKeys = {"sendroute",       "gatewayurl",    "gatewayusername",
                                  "gatewaypassword", "gatewaysender", "gatewaysmsc"};

const QString kClipFixed = QStringLiteral("the quick brown fox jumps over th");
const QString kSigFixed = QStringLiteral("brown fox jumps over the lazy dog");
const QStringList kSwitches = QString("showiewindow appendsignature defaultsmsconf "
                                      "hidesplashscreen systemtray logsent dontlogout")
                                  .split(u' ');

struct Fixture {
    test::TempSettings settings;
    test::QuietPlatform quiet;
    test::FakeComposeHost host;
    PreferencesHolder window{&host};

    PreferencesDialog* open() { return window.show(), window.dialog(); }
    template <class T = QWidget> T* get(const char* n) { return window.dialog()->findChild<T*>(n); }
    QLineEdit* edit(const char* name) { return get<QLineEdit>(name); }
    QString label(const char* name) { return get<QLabel>(name)->text(); }
    void click(const char* name) { QTest::mouseClick(get<QAbstractButton>(name), Qt::LeftButton); }
    void type(const char* name, const QString& text) {
        edit(name)->clear();
        QTest::keyClicks(edit(name), text);
    }
    // An option button is clicked on its round mark, at its left end.
    static void choose(QRadioButton* option) {
        QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(6, option->height() / 2));
    }
    // The route's tab brought up and laid out, as a person sees it before clicking in it.
    void showRouteTab() {
        get<QTabWidget>("SSTab1")->setCurrentWidget(get("tabRoute"));
        QVERIFY(QTest::qWaitForWindowExposed(window.dialog()));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    }
    bool shown(const char* name) { return get(name)->isVisibleTo(window.dialog()); }
    static QString stored(const QString& key) { return get_setting(key, "<absent>"); }
};

// The field typed into, and how the dialog is then left.
enum class Field { ConfirmationNumber, TextClip };
enum class Leaving { CancelButton, ClosedFromFrame, Escape, EnterOnCancel, EnterInField };

} // namespace

Q_DECLARE_METATYPE(Field)
Q_DECLARE_METATYPE(Leaving)

class TestPreferences : public QObject {
    Q_OBJECT
private slots:
    // The first look at the number fills the hidden dialog once; later changes do not reach it.
    // Everything starts unticked, and Enter on Help is Help, not OK.
    void filledOnceWithDefaults() {
        Fixture f;
        save_setting("confnumber", "073");
        QCOMPARE(f.window.confNumberFieldText(), "073");
        QVERIFY(!f.window.dialog()->isVisible() && f.host.calls.isEmpty());
        save_setting("systemtray", "yes");
        PreferencesDialog* hidden = f.window.dialog();
        QCOMPARE(f.open(), hidden);
        QCOMPARE(f.get<QComboBox>("cmbConfirm")->currentText(),
                 "Confirm if a composed SMS hasn't been sent");
        for (QCheckBox* box : hidden->findChildren<QCheckBox*>())
            QVERIFY2(!box->isChecked(), qPrintable(box->objectName()));
        for (const char* name : {"txtClip", "txtSignature", "txtSMSLog", "cmdBrowserSMSLogPath"})
            QVERIFY2(!f.get(name)->isEnabled(), name);
        QCOMPARE(f.label("lblClipSample"), kClipFixed);
        QCOMPARE(f.label("lblSigSample"), kSigFixed);
        QCOMPARE(f.edit("txtPassword")->echoMode(), QLineEdit::Password);
        test::focusAndWait(f.get("cmdHelp"));
        test::press("Return");
        QCOMPARE(f.quiet.help.topics, QStringList{"prefs.html"});
        QVERIFY(hidden->isVisible());
    }

    // The log file's chooser asks for a text file to save to; cancelled, it keeps the old
    // path; Enter on its button picks one.
    void logFileChosen() {
        Fixture f;
        PreferencesDialog* dialog = f.open();
        f.click("chkLogSent");
        f.edit("txtSMSLog")->setText("/old.txt");
        f.quiet.files.answers << QString() << "/home/u/sent log.txt";
        f.click("cmdBrowserSMSLogPath");
        QCOMPARE(f.edit("txtSMSLog")->text(), "/old.txt");
        test::focusAndWait(f.get("cmdBrowserSMSLogPath"));
        test::press("Return");
        QVERIFY(dialog->isVisible());
        QCOMPARE(f.edit("txtSMSLog")->text(), "/home/u/sent log.txt");
        QCOMPARE(f.quiet.files.kinds, QStringList({"save", "save"}));
        QCOMPARE(f.quiet.files.filterLists.first(),
                 "Text documents (*.txt)|*.txt|All files (*.*)|*.*");
    }

    // Clearing a tick keeps its text, stored with the tick off; a long signature does not
    // widen the dialog.
    void clearedTicksKeepTheirText() {
        Fixture f;
        PreferencesDialog* dialog = f.open();
        const int width = dialog->width();
        const QString signature = "-Cy!" + QString(36, u'W');
        f.click("chkTextClip");
        QTest::keyClicks(f.edit("txtClip"), "+");
        f.click("chkSignature");
        QTest::keyClicks(f.edit("txtSignature"), signature);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QCOMPARE(dialog->width(), width);
        QCOMPARE(f.label("lblSigSample"), kSigFixed + signature);
        f.click("chkTextClip");
        f.click("chkSignature");
        QCOMPARE(f.label("lblClipSample"), kClipFixed);
        QCOMPARE(f.label("lblSigSample"), kSigFixed);
        f.click("cmdOkay");
        QCOMPARE(f.stored("textclipchar"), "<absent>");
        QCOMPARE(f.edit("txtClip")->text(), "+");
        QCOMPARE(f.stored("appendsignature"), "no");
        QCOMPARE(f.stored("signature"), signature);
    }

    // OK writes every key back as loaded, the switches as "yes" or "no" and the "When quitting:"
    // choice in its own form, or the entry picked.
    void okWritesWhatWasLoaded_data() {
        QTest::addColumn<QString>("quitConfirm");
        QTest::addColumn<QString>("switches"); // stored for every switch
        QTest::addColumn<std::optional<QString>>("picked");
        QTest::addColumn<QString>("quitConfirmAfter");
        QTest::addColumn<QString>("switchesAfter");
        const auto row = [](const char* name, const char* quitConfirm, const char* switches,
                            std::optional<QString> picked, const char* quitConfirmAfter,
                            const char* switchesAfter) {
            QTest::newRow(name) << QString(quitConfirm) << QString(switches) << picked
                                << QString(quitConfirmAfter) << QString(switchesAfter);
        };
        row("as loaded", "end", "yes", {}, "end", "yes");
        row("only the exact yes is on", "ask", "Yes", {}, "ask", "no");
        row("an unknown choice reads as confirm", "ASK", "", {}, "confirm", "no");
        row("the entry picked", "end", "", QString("Always ask for confirmation"), "ask", "no");
    }
    void okWritesWhatWasLoaded() {
        QFETCH(QString, quitConfirm);
        QFETCH(QString, switches);
        QFETCH(std::optional<QString>, picked);
        QFETCH(QString, quitConfirmAfter);
        QFETCH(QString, switchesAfter);
        Fixture f;
        QMap<QString, QString> kept{
            {"confnumber", "071"},        {"signature", "-Ann"},
            {"smsloglocation", "/l.txt"}, {"textclipchar", ".."},
            {"wispusername", " ann "},    {"wisppassword", scramble_password("p ~x")}};
        for (const auto& [key, value] : kept.asKeyValueRange())
            save_setting(key, value);
        save_setting("quitconfirm", quitConfirm);
        for (const QString& key : kSwitches)
            save_setting(key, switches);
        f.open();
        if (picked)
            f.get<QComboBox>("cmbConfirm")->setCurrentText(*picked);
        QVERIFY(QFile::remove(f.settings.path()));
        f.click("cmdOkay");
        kept.insert("quitconfirm", quitConfirmAfter);
        for (const QString& key : kSwitches)
            kept.insert(key, switchesAfter);
        QMap<QString, QString> written;
        for (const QString& key : kept.keys())
            written.insert(key, f.stored(key));
        QCOMPARE(written, kept);
    }

    // The tick follows the number at once, even past Cancel; the sample follows the clip.
    // Cancel, a close from the frame, Escape and Enter on Cancel save nothing and keep the edit
    // for the next showing; Enter in the field is OK.
    void fieldCleaned_data() {
        QTest::addColumn<Field>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("cleaned");
        QTest::addColumn<Leaving>("leaving");
        const auto row = [](const char* name, Field field, const QString& typed,
                            const char* cleaned, Leaving leaving) {
            QTest::newRow(name) << field << typed << QString(cleaned) << leaving;
        };
        using enum Field;
        using enum Leaving;
        row("number in international form, Cancel", ConfirmationNumber, "+44 7 1", "071",
            CancelButton);
        row("number emptied, closed from the frame", ConfirmationNumber, "", "", ClosedFromFrame);
        row("number, Enter in the field", ConfirmationNumber, "+44 7 9", "079", EnterInField);
        row("clip of characters the site drops, Escape", TextClip,
            QString::fromUtf8("[]_|~`\\^\u00e9\t"), "", Escape);
        row("clip with a line break, Enter on Cancel", TextClip, "(.+-)\na 9", "(.+-) a 9",
            EnterOnCancel);
        row("clip, Enter in the field", TextClip, "x[]", "x", EnterInField);
    }
    void fieldCleaned() {
        QFETCH(Field, field);
        QFETCH(QString, typed);
        QFETCH(QString, cleaned);
        QFETCH(Leaving, leaving);
        const bool number = field == Field::ConfirmationNumber;
        const char* key = number ? "confnumber" : "textclipchar";
        Fixture f;
        save_setting("confnumber", "070");
        const QString before = f.stored(key);
        PreferencesDialog* dialog = f.open();
        if (!number)
            f.click("chkTextClip");
        QLineEdit* box = f.edit(number ? "txtConfNumber" : "txtClip");
        box->setFocus();
        box->selectAll();
        box->insert(typed);                                    // as typed or pasted
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason); // the caret leaves the field
        leaving == Leaving::EnterInField ? QTest::keyClick(box, Qt::Key_Return)
                                         : void(QCoreApplication::sendEvent(box, &out));
        QCOMPARE(box->text(), cleaned);
        QCOMPARE(f.label("lblClipSample"), kClipFixed + (number ? QString() : cleaned));
        switch (leaving) {
        case Leaving::CancelButton:
            f.click("cmdCancel");
            break;
        case Leaving::ClosedFromFrame:
            dialog->close();
            break;
        case Leaving::Escape:
            QTest::keyClick(dialog, Qt::Key_Escape);
            break;
        case Leaving::EnterOnCancel:
            test::focusAndWait(f.get("cmdCancel"));
            test::press("Return");
            break;
        case Leaving::EnterInField:
            break;
        }
        QVERIFY(!dialog->isVisible());
        // Only the number's field tells the compose window whether a copy can be asked for.
        const QStringList tick{cleaned.isEmpty() ? "confirmation_disabled"
                                                 : "confirmation_enabled"};
        QCOMPARE(f.host.calls,
                 QStringList{"disable"} + (number ? tick : QStringList()) +
                     QStringList({"enable", "raise", "update_status_bar", "repaint"}));
        QCOMPARE(f.host.confirmationEnabled, !number || !cleaned.isEmpty());
        QCOMPARE(f.stored(key), leaving == Leaving::EnterInField ? cleaned : before);
        QCOMPARE(f.stored("wispusername"), leaving == Leaving::EnterInField ? "" : "<absent>");
        QCOMPARE(f.open(), dialog);
        QCOMPARE(box->text(), cleaned);
        f.click("cmdOkay");
        QCOMPARE(f.stored(key), cleaned);
    }

    // The password box shows the keyring's item; OK keeps the typed password in the keyring (the
    // file then holds none) or, without one or when it refuses, scrambled in the file with no
    // older item left to win over it; an emptied box forgets it.  The line under the box says
    // where it is kept.
    void passwordKeptInTheKeyring_data() {
        QTest::addColumn<KeyringOutcome>("keyringAnswers"); // to a store
        QTest::addColumn<QString>("inKeyringBefore");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("inKeyringAfter");
        QTest::addColumn<QString>("inFileAfter"); // plain; "" for none
        QTest::addColumn<QString>("lineBefore");
        QTest::addColumn<QString>("lineAfter");
        const QString keyring = "Kept in the desktop keyring";
        const QString file = "Kept in the settings file (no keyring available)";
        const auto row = [](const char* name, KeyringOutcome answer, const char* before,
                            const char* typed, const char* after, const char* inFile,
                            const QString& lineBefore, const QString& lineAfter) {
            QTest::newRow(name) << answer << QString(before) << QString(typed) << QString(after)
                                << QString(inFile) << lineBefore << lineAfter;
        };
        row("changed in the keyring", KeyringOutcome::Done, "old", "new", "new", "", keyring,
            keyring);
        row("forgotten by emptying the box", KeyringOutcome::Done, "old", "", "", "", keyring,
            keyring);
        row("no keyring", KeyringOutcome::Unavailable, "", "p ~x", "", "p ~x", file, file);
        row("keyring refuses", KeyringOutcome::Refused, "old", "new", "", "new", keyring, file);
    }
    void passwordKeptInTheKeyring() {
        QFETCH(KeyringOutcome, keyringAnswers);
        QFETCH(QString, inKeyringBefore);
        QFETCH(QString, typed);
        QFETCH(QString, inKeyringAfter);
        QFETCH(QString, inFileAfter);
        QFETCH(QString, lineBefore);
        QFETCH(QString, lineAfter);
        Fixture f;
        const QString label = "Zemble: O2 portal password for ann";
        f.quiet.keyring.reachable = keyringAnswers != KeyringOutcome::Unavailable;
        f.quiet.keyring.storeAnswer = keyringAnswers;
        if (!inKeyringBefore.isEmpty())
            f.quiet.keyring.items.insert({label, "ann"}, inKeyringBefore);
        save_setting("wispusername", "ann");
        f.open();
        QCOMPARE(f.edit("txtPassword")->text(), inKeyringBefore);
        QCOMPARE(f.label("lblPasswordPlace"), lineBefore);
        f.edit("txtPassword")->setText(typed);
        f.click("cmdOkay");
        QCOMPARE(f.quiet.keyring.items.value({label, "ann"}), inKeyringAfter);
        QCOMPARE(f.quiet.keyring.items.size(), inKeyringAfter.isEmpty() ? 0 : 1);
        QCOMPARE(unscramble_password(f.stored("wisppassword")), inFileAfter);
        QCOMPARE(f.label("lblPasswordPlace"), lineAfter);
    }

    // Choosing the gateway enables its fields; OK stores them and the next program run reads
    // them back; the password goes to the keyring under the gateway's own label, or scrambled
    // to the settings file when there is no keyring.  Going back to the operator's site keeps
    // the gateway's details.
    void gatewayRoundTrip_data() {
        QTest::addColumn<bool>("keyringThere");
        QTest::addColumn<QString>("inKeyring");
        QTest::addColumn<QString>("inFile"); // plain; "" for none
        QTest::addColumn<QString>("placeLine");
        const QString keyring = "Kept in the desktop keyring";
        const QString file = "Kept in the settings file (no keyring available)";
        QTest::newRow("with a keyring") << true << QString("s3cret pw") << QString() << keyring;
        QTest::newRow("without a keyring") << false << QString() << QString("s3cret pw") << file;
    }
    void gatewayRoundTrip() {
        QFETCH(bool, keyringThere);
        QFETCH(QString, inKeyring);
        QFETCH(QString, inFile);
        QFETCH(QString, placeLine);
        Fixture f;
        f.quiet.keyring.reachable = keyringThere;
        f.open();
        f.showRouteTab();
        QVERIFY(f.get<QRadioButton>("optRouteOperator")->isChecked());
        QVERIFY(!f.get("fraGateway")->isEnabled());
        f.choose(f.get<QRadioButton>("optRouteGateway"));
        QVERIFY(f.get("fraGateway")->isEnabled());
        f.type("txtGatewayUrl", "http://sms.example.net:13013");
        QVERIFY(f.shown("lblGatewayClearText"));
        QCOMPARE(f.label("lblGatewayClearText"),
                 "The password travels unencrypted to this address.");
        f.type("txtGatewayUrl", "http://localhost:13013");
        QVERIFY(!f.shown("lblGatewayClearText"));
        f.type("txtGatewayUsername", "gw");
        f.type("txtGatewayPassword", "s3cret pw");
        f.type("txtGatewaySender", "447700900001");
        f.type("txtGatewaySmsc", "smsc1");
        f.click("cmdOkay");

        QCOMPARE(f.stored("sendroute"), "kannel");
        QCOMPARE(f.stored("gatewayurl"), "http://localhost:13013");
        QCOMPARE(f.stored("gatewayusername"), "gw");
        QCOMPARE(f.stored("gatewaysender"), "447700900001");
        QCOMPARE(f.stored("gatewaysmsc"), "smsc1");
        QCOMPARE(f.quiet.keyring.item("Zemble: Kannel gateway password for gw", "gw"), inKeyring);
        QCOMPARE(unscramble_password(get_setting("gatewaypassword", "")), inFile);
        QCOMPARE(f.label("lblGatewayPasswordPlace"), placeLine);

        PreferencesHolder nextRun{&f.host};
        nextRun.show();
        QDialog* again = nextRun.dialog();
        QVERIFY(again->findChild<QRadioButton*>("optRouteGateway")->isChecked());
        QVERIFY(again->findChild<QWidget*>("fraGateway")->isEnabled());
        QCOMPARE(again->findChild<QLineEdit*>("txtGatewayUrl")->text(), "http://localhost:13013");
        QCOMPARE(again->findChild<QLineEdit*>("txtGatewayUsername")->text(), "gw");
        QCOMPARE(again->findChild<QLineEdit*>("txtGatewayPassword")->text(), "s3cret pw");
        QCOMPARE(again->findChild<QLineEdit*>("txtGatewaySender")->text(), "447700900001");
        QCOMPARE(again->findChild<QLineEdit*>("txtGatewaySmsc")->text(), "smsc1");

        f.choose(again->findChild<QRadioButton*>("optRouteOperator"));
        QVERIFY(!again->findChild<QWidget*>("fraGateway")->isEnabled());
        QTest::mouseClick(again->findChild<QPushButton*>("cmdOkay"), Qt::LeftButton);
        QCOMPARE(f.stored("sendroute"), "operator");
        QCOMPARE(f.stored("gatewayurl"), "http://localhost:13013");
        QCOMPARE(f.stored("gatewayusername"), "gw");
        QCOMPARE(f.quiet.keyring.item("Zemble: Kannel gateway password for gw", "gw"), inKeyring);
    }

    // A profile from before the route existed reads as the operator's site, the gateway's
    // fields disabled and no warning shown; OK leaves it without any of the new keys and the
    // keyring without a gateway item.  Only the exact stored word chooses the gateway.
    void profileWithoutRouteStaysOperator_data() {
        QTest::addColumn<QString>("storedRoute");   // "" for no key at all
        QTest::addColumn<QString>("storedAfterOk"); // "<absent>" for no key
        QTest::newRow("no route key") << ""
                                      << "<absent>";
        QTest::newRow("other spelling") << "Kannel"
                                        << "operator";
    }
    void profileWithoutRouteStaysOperator() {
        QFETCH(QString, storedRoute);
        QFETCH(QString, storedAfterOk);
        Fixture f;
        save_setting("wispusername", "ann");
        save_setting("signature", "-Ann");
        if (!storedRoute.isEmpty())
            save_setting("sendroute", storedRoute);
        f.open();
        f.showRouteTab();
        QVERIFY(!f.get<QRadioButton>("optRouteGateway")->isChecked());
        QVERIFY(f.get<QRadioButton>("optRouteOperator")->isChecked());
        QVERIFY(!f.get("fraGateway")->isEnabled());
        QVERIFY(!f.shown("lblGatewayClearText"));
        f.click("cmdOkay");
        QCOMPARE(f.stored("sendroute"), storedAfterOk);
        for (const QString& key : kGatewayKeys.mid(1))
            QVERIFY2(f.stored(key) == "<absent>", qPrintable(key));
        for (const auto& [label, account] : f.quiet.keyring.items.keys())
            QVERIFY2(!label.contains("gateway"), qPrintable(label));
        QCOMPARE(f.stored("wispusername"), "ann");
    }
};

QTEST_MAIN(TestPreferences)
#include "tst_preferences.moc"
