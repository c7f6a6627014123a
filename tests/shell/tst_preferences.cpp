#include "shell/preferences_dialog.h"

#include "core/settings.h"
#include "prefs_about_doubles.h"
#include "support/fake_compose_host.h"
#include "support/temp_settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

using namespace zemble;

namespace {

const QString kAbsent = QStringLiteral("<absent>");
const QString kClipFixed = QStringLiteral("the quick brown fox jumps over th");
const QString kSigFixed = QStringLiteral("brown fox jumps over the lazy dog");

QString stored(const char* key) {
    return get_setting(QLatin1String(key), kAbsent);
}

void put(const char* key, const QString& value) {
    save_setting(QLatin1String(key), value);
}

// The user moves the caret out of a field.
void leave(QWidget* field) {
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(field, &out);
}

// One run's preferences dialog over a temporary store and a fake compose window.
struct Fixture {
    test::TempSettings settings;
    test::FakeComposeHost host;
    test::prefs::RecordingFileDialog chooser;
    test::prefs::RecordingHelp help;
    platform::ScopedService<platform::FileDialogService> chooserGuard{&chooser};
    platform::ScopedService<platform::HelpService> helpGuard{&help};
    PreferencesWindow window{&host};

    PreferencesDialog* open() {
        window.show();
        return window.dialog();
    }
    template <class T> T* get(const char* name) {
        T* found = window.dialog()->findChild<T*>(QLatin1String(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }
    QLineEdit* edit(const char* name) { return get<QLineEdit>(name); }
    QCheckBox* tick(const char* name) { return get<QCheckBox>(name); }
    QString label(const char* name) { return get<QLabel>(name)->text(); }
    void press(const char* name) { QTest::mouseClick(get<QPushButton>(name), Qt::LeftButton); }
};

} // namespace

class TestPreferences : public QObject {
    Q_OBJECT
private slots:
    void emptyStoreShowsDefaults() {
        Fixture f;
        QCOMPARE(f.open()->windowTitle(), QStringLiteral("Preferences"));
        auto* tabs = f.get<QTabWidget>("SSTab1");
        QCOMPARE(tabs->tabText(0) + tabs->tabText(1) + tabs->tabText(2),
                 QStringLiteral(" Identification  Sending  Miscellaneous "));
        auto* confirm = f.get<QComboBox>("cmbConfirm");
        QCOMPARE(confirm->count(), 3);
        QCOMPARE(confirm->currentText(),
                 QStringLiteral("Confirm if a composed SMS hasn't been sent"));
        for (QCheckBox* box : f.window.dialog()->findChildren<QCheckBox*>())
            QVERIFY2(!box->isChecked(), qPrintable(box->objectName()));
        for (const char* name : {"txtClip", "txtSignature", "txtSMSLog"}) {
            QVERIFY2(!f.edit(name)->isEnabled(), name);
            QCOMPARE(f.edit(name)->palette().color(QPalette::Base),
                     f.window.dialog()->palette().color(QPalette::Window));
        }
        QVERIFY(!f.get<QPushButton>("cmdBrowserSMSLogPath")->isEnabled());
        QCOMPARE(f.label("lblClipSample"), kClipFixed);
        QCOMPARE(f.label("lblSigSample"), kSigFixed);
        QLineEdit* password = f.edit("txtPassword");
        QCOMPARE(password->echoMode(), QLineEdit::Password);
        QCOMPARE(
            password->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, password),
            int('*'));
    }

    void loadsStoredValues_data() {
        QTest::addColumn<QString>("quitconfirm");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("switchValue");
        QTest::addColumn<bool>("ticked");
        QTest::newRow("end, yes") << "end" << 0 << "yes" << true;
        QTest::newRow("confirm, no") << "confirm" << 1 << "no" << false;
        QTest::newRow("ask, Yes") << "ask" << 2 << "Yes" << false;
        QTest::newRow("ASK, empty") << "ASK" << 1 << "" << false;
    }
    void loadsStoredValues() {
        QFETCH(QString, quitconfirm);
        QFETCH(int, index);
        QFETCH(QString, switchValue);
        QFETCH(bool, ticked);
        Fixture f;
        put("quitconfirm", quitconfirm);
        for (const char* key : {"showiewindow", "appendsignature", "defaultsmsconf",
                                "hidesplashscreen", "systemtray", "logsent", "dontlogout"})
            put(key, switchValue);
        put("wispusername", QStringLiteral(" ann "));
        put("wisppassword", scramble_password(QStringLiteral("p ~x")));
        put("textclipchar", QStringLiteral(".."));
        put("signature", QStringLiteral("-Ann"));
        f.open();
        QCOMPARE(f.get<QComboBox>("cmbConfirm")->currentIndex(), index);
        for (const char* name :
             {"chkShowWindow", "chkSignature", "chkDefaultSMSConf", "chkHideSplashScreen",
              "chkSystemTray", "chkLogSent", "chkDontLogout"})
            QCOMPARE(f.tick(name)->isChecked(), ticked);
        QCOMPARE(f.edit("txtUsername")->text(), QStringLiteral(" ann "));
        QCOMPARE(f.edit("txtPassword")->text(), QStringLiteral("p ~x"));
        QVERIFY(f.tick("chkTextClip")->isChecked());
        QCOMPARE(f.label("lblClipSample"), kClipFixed + "..");
        QCOMPARE(f.label("lblSigSample"), ticked ? kSigFixed + "-Ann" : kSigFixed);
        QCOMPARE(f.edit("txtSMSLog")->isEnabled(), ticked);
        QCOMPARE(f.get<QPushButton>("cmdBrowserSMSLogPath")->isEnabled(), ticked);
    }

    // The compose window's confirmation tick follows the number at once, and
    // Cancel neither saves the number nor takes the change back.
    void confNumberCleanedOnLeaving_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("cleaned");
        QTest::newRow("international UK") << "+44 7 1"
                                          << "071";
        QTest::newRow("national with text") << "07-1 (mobile)"
                                            << "071";
        QTest::newRow("other country") << "+33 6 12 34"
                                       << "";
        QTest::newRow("cleared") << ""
                                 << "";
    }
    void confNumberCleanedOnLeaving() {
        QFETCH(QString, typed);
        QFETCH(QString, cleaned);
        Fixture f;
        put("confnumber", QStringLiteral("070"));
        f.open();
        QLineEdit* number = f.edit("txtConfNumber");
        number->selectAll();
        QTest::keyClick(number, Qt::Key_Delete);
        QTest::keyClicks(number, typed);
        leave(number);
        QCOMPARE(number->text(), cleaned);
        QCOMPARE(f.host.confirmationEnabled, !cleaned.isEmpty());
        QCOMPARE(f.host.calls,
                 QStringList({"disable", cleaned.isEmpty() ? "confirmation_disabled"
                                                           : "confirmation_enabled"}));
        f.press("cmdCancel");
        QCOMPARE(f.host.confirmationEnabled, !cleaned.isEmpty());
        QCOMPARE(stored("confnumber"), QStringLiteral("070"));
    }

    void clipCleanedOnLeaving_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("cleaned");
        QTest::newRow("square brackets") << "[..]"
                                         << "..";
        QTest::newRow("underscore, bar, tilde, backquote") << "_|~`x"
                                                           << "x";
        QTest::newRow("backslash and caret") << "a\\^b"
                                             << "ab";
        QTest::newRow("round brackets, dot, plus, minus") << "(.+-)"
                                                          << "(.+-)";
        QTest::newRow("braces, letters, digits, space") << "{a Z9}"
                                                        << "{a Z9}";
        QTest::newRow("line breaks and tab") << "a\nb\r\tc"
                                             << "a bc";
        QTest::newRow("outside plain ASCII") << QStringLiteral("\u00e9\u20ac\u0142?") << "?";
    }
    void clipCleanedOnLeaving() {
        QFETCH(QString, typed);
        QFETCH(QString, cleaned);
        Fixture f;
        f.open();
        QTest::mouseClick(f.tick("chkTextClip"), Qt::LeftButton);
        QLineEdit* clip = f.edit("txtClip");
        QVERIFY(clip->isEnabled());
        clip->insert(typed); // as typed or pasted
        QCOMPARE(f.label("lblClipSample"), kClipFixed + typed);
        leave(clip);
        QCOMPARE(clip->text(), cleaned);
        QCOMPARE(f.label("lblClipSample"), kClipFixed + cleaned);
    }

    void untickedClipDeletesKeyOnOk() {
        Fixture f;
        put("textclipchar", QStringLiteral("+"));
        f.open();
        QTest::mouseClick(f.tick("chkTextClip"), Qt::LeftButton);
        QCOMPARE(f.label("lblClipSample"), kClipFixed);
        f.press("cmdOkay");
        QCOMPARE(stored("textclipchar"), kAbsent);
        QCOMPARE(f.edit("txtClip")->text(), QStringLiteral("+"));
        QVERIFY(!f.edit("txtClip")->isEnabled());
        // A later run fills the dialog with the indicator off and empty.
        PreferencesDialog later(nullptr);
        QVERIFY(!later.controlValues().clipTicked);
        QVERIFY(later.controlValues().clip.isEmpty());
    }

    void signatureKeptWhenUnticked() {
        Fixture f;
        put("appendsignature", QStringLiteral("yes"));
        put("signature", QStringLiteral("-Cy"));
        f.open();
        QTest::keyClicks(f.edit("txtSignature"), "!");
        QCOMPARE(f.label("lblSigSample"), kSigFixed + "-Cy!");
        QTest::mouseClick(f.tick("chkSignature"), Qt::LeftButton);
        QVERIFY(!f.edit("txtSignature")->isEnabled());
        QCOMPARE(f.label("lblSigSample"), kSigFixed);
        f.press("cmdOkay");
        QCOMPARE(stored("appendsignature"), QStringLiteral("no"));
        QCOMPARE(stored("signature"), QStringLiteral("-Cy!"));
    }

    void cancelSavesNothingButKeepsEdits_data() {
        QTest::addColumn<int>("how");
        QTest::newRow("Cancel button") << 0;
        QTest::newRow("window frame") << 1;
        QTest::newRow("Escape") << 2;
    }
    void cancelSavesNothingButKeepsEdits() {
        QFETCH(int, how);
        Fixture f;
        PreferencesDialog* first = f.open();
        QVERIFY(!f.host.enabled);
        QTest::keyClicks(f.edit("txtUsername"), "dee");
        QTest::mouseClick(f.tick("chkSystemTray"), Qt::LeftButton);
        if (how == 0)
            f.press("cmdCancel");
        else if (how == 1)
            first->close();
        else
            QTest::keyClick(first, Qt::Key_Escape);
        QVERIFY(!first->isVisible());
        QCOMPARE(f.host.calls,
                 QStringList({"disable", "enable", "raise", "update_status_bar", "repaint"}));
        QCOMPARE(stored("wispusername"), kAbsent);
        QCOMPARE(stored("systemtray"), kAbsent);

        QCOMPARE(f.open(), first);
        QCOMPARE(f.edit("txtUsername")->text(), QStringLiteral("dee"));
        QVERIFY(f.tick("chkSystemTray")->isChecked());
        f.press("cmdOkay");
        QCOMPARE(stored("wispusername"), QStringLiteral("dee"));
        QCOMPARE(stored("systemtray"), QStringLiteral("yes"));
        QVERIFY(f.host.enabled);
    }

    void okRewritesScrambledPassword() {
        Fixture f;
        put("wisppassword", scramble_password(QStringLiteral("~ pass")));
        f.open();
        // Changed behind the dialog's back: OK writes the field back anyway.
        put("wisppassword", QStringLiteral("other"));
        f.press("cmdOkay");
        QCOMPARE(stored("wisppassword"), scramble_password(QStringLiteral("~ pass")));
        QVERIFY(stored("wisppassword") != QStringLiteral("~ pass"));
    }

    void okWritesEveryKey() {
        Fixture f;
        f.open();
        QTest::keyClicks(f.edit("txtUsername"), "fay ");
        QTest::keyClicks(f.edit("txtPassword"), "secret");
        for (const char* name :
             {"chkTextClip", "chkSignature", "chkShowWindow", "chkDefaultSMSConf",
              "chkHideSplashScreen", "chkSystemTray", "chkDontLogout"})
            QTest::mouseClick(f.tick(name), Qt::LeftButton);
        QTest::keyClick(f.tick("chkLogSent"), Qt::Key_Space); // ticked from the keyboard
        QTest::keyClicks(f.edit("txtClip"), "..");
        QTest::keyClicks(f.edit("txtSignature"), "-Fay");
        QTest::keyClicks(f.edit("txtConfNumber"), "072");
        QTest::keyClicks(f.edit("txtSMSLog"), "/tmp/sent.txt");
        f.get<QComboBox>("cmbConfirm")->setCurrentIndex(2);
        f.press("cmdOkay");
        const QStringList expected = {"wispusername=fay ",
                                      "wisppassword=" + scramble_password("secret"),
                                      "textclipchar=..",
                                      "showiewindow=yes",
                                      "quitconfirm=ask",
                                      "appendsignature=yes",
                                      "confnumber=072",
                                      "signature=-Fay",
                                      "defaultsmsconf=yes",
                                      "hidesplashscreen=yes",
                                      "systemtray=yes",
                                      "logsent=yes",
                                      "smsloglocation=/tmp/sent.txt",
                                      "dontlogout=yes"};
        for (const QString& pair : expected) {
            const QString key = pair.section(u'=', 0, 0);
            QCOMPARE(key + u'=' + stored(qPrintable(key)), pair);
        }
        // A later run fills the dialog with the same values.
        PreferencesDialog later(nullptr);
        QCOMPARE(later.controlValues(), f.window.dialog()->controlValues());

        f.open();
        f.get<QComboBox>("cmbConfirm")->setCurrentIndex(0);
        QTest::mouseClick(f.tick("chkShowWindow"), Qt::LeftButton);
        f.press("cmdOkay");
        QCOMPARE(stored("quitconfirm"), QStringLiteral("end"));
        QCOMPARE(stored("showiewindow"), QStringLiteral("no"));
    }

    void okFromTheKeyboardCleansTheFieldItLeaves() {
        Fixture f;
        put("textclipchar", QStringLiteral("x"));
        PreferencesDialog* dialog = f.open();
        QLineEdit* number = f.edit("txtConfNumber");
        number->setFocus();
        QTest::keyClicks(number, "+44 7 9");
        QTest::keyClick(number, Qt::Key_Return);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(stored("confnumber"), QStringLiteral("079"));
        QVERIFY(f.host.confirmationEnabled);

        f.open();
        QLineEdit* clip = f.edit("txtClip");
        clip->setFocus();
        QTest::keyClicks(clip, "[]");
        QTest::keyClick(clip, Qt::Key_Enter);
        QCOMPARE(stored("textclipchar"), QStringLiteral("x"));
    }

    void hiddenDialogForTheConfirmationNumber() {
        Fixture f;
        put("confnumber", QStringLiteral("073"));
        QCOMPARE(f.window.dialog(), nullptr);
        QCOMPARE(f.window.confNumberFieldText(), QStringLiteral("073"));
        QVERIFY(f.window.dialog());
        QVERIFY(!f.window.dialog()->isVisible());
        QVERIFY(f.host.calls.isEmpty());
        // The dialog is filled once: a later store change does not reach it.
        put("confnumber", QStringLiteral("074"));
        PreferencesDialog* dialog = f.window.dialog();
        QCOMPARE(f.open(), dialog);
        QCOMPARE(f.window.confNumberFieldText(), QStringLiteral("073"));
        f.press("cmdHelp");
        QCOMPARE(f.help.topics, QStringList{"prefs.html"});
        QVERIFY(dialog->isVisible());
    }

    void logFileChooser_data() {
        QTest::addColumn<QString>("picked");
        QTest::addColumn<QString>("expected");
        QTest::newRow("picked") << "/home/u/sent log.txt"
                                << "/home/u/sent log.txt";
        QTest::newRow("cancelled") << ""
                                   << "/old.txt";
    }
    void logFileChooser() {
        QFETCH(QString, picked);
        QFETCH(QString, expected);
        Fixture f;
        put("logsent", QStringLiteral("yes"));
        put("smsloglocation", QStringLiteral("/old.txt"));
        f.open();
        f.chooser.answer = picked;
        f.press("cmdBrowserSMSLogPath");
        QCOMPARE(f.chooser.kinds, QStringList{"save"});
        QCOMPARE(f.chooser.filterLists,
                 QStringList{"Text documents (*.txt)|*.txt|All files (*.*)|*.*"});
        QCOMPARE(f.edit("txtSMSLog")->text(), expected);
    }
};

QTEST_MAIN(TestPreferences)
#include "tst_preferences.moc"
