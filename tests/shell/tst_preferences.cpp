#include "shell/preferences_dialog.h"

#include "core/settings.h"
#include "support/doubles.h"
#include "support/fake_compose_host.h"
#include "support/keys.h"
#include "support/temp_settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

using namespace zemble;

namespace {

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
    QString samples() { return label("lblClipSample") + "|" + label("lblSigSample"); }
    void click(const char* name) { QTest::mouseClick(get<QAbstractButton>(name), Qt::LeftButton); }
    static QString stored(const QString& key) { return get_setting(key, "<absent>"); }
};

// The user moves the caret out of a field.
void leave(QWidget* field) {
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(field, &out);
}

} // namespace

class TestPreferences : public QObject {
    Q_OBJECT
private slots:
    // The send job's first look at the number creates the dialog hidden, filled
    // from the store (empty but for the number) once: later changes do not reach it.
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
        QCOMPARE(f.samples(), kClipFixed + "|" + kSigFixed);
        QCOMPARE(f.edit("txtPassword")->echoMode(), QLineEdit::Password);
        test::focus_and_wait(f.get("cmdHelp"));
        test::press("Return"); // Enter on Help is Help, not OK
        QCOMPARE(f.quiet.help.topics, QStringList{"prefs.html"});
        QVERIFY(hidden->isVisible());
    }

    // OK writes every key back as loaded (switches on only for "yes"), the
    // password scrambled again, even after the store was emptied meanwhile;
    // or the "When quitting:" entry picked by its text.
    void okWritesWhatWasLoaded_data() {
        QTest::addColumn<QString>("quitconfirm");
        QTest::addColumn<QString>("switchValue");
        QTest::addColumn<QString>("saved"); // quit choice and switches as written back
        QTest::addColumn<QString>("picked");
        QTest::newRow("end, yes") << "end" << QString("yes") << "end yes" << QString();
        QTest::newRow("ask, Yes") << "ask" << QString("Yes") << "ask no" << QString();
        QTest::newRow("ASK, empty") << "ASK" << QString() << "confirm no" << QString();
        QTest::newRow("always ask picked") << "end" << QString() << "ask no"
                                           << "Always ask for confirmation";
    }
    void okWritesWhatWasLoaded() {
        QFETCH(QString, quitconfirm);
        QFETCH(QString, switchValue);
        QFETCH(QString, saved);
        QFETCH(QString, picked);
        Fixture f;
        QStringList expected = {
            "confnumber=071",  "signature=-Ann",     "smsloglocation=/l.txt",
            "textclipchar=..", "wispusername= ann ", "wisppassword=" + scramble_password("p ~x")};
        for (const QString& pair : expected)
            save_setting(pair.section(u'=', 0, 0), pair.section(u'=', 1));
        save_setting("quitconfirm", quitconfirm);
        expected << "quitconfirm=" + saved.section(u' ', 0, 0);
        for (const QString& key : kSwitches) {
            save_setting(key, switchValue);
            expected << key + "=" + saved.section(u' ', 1);
        }
        f.open();
        if (!picked.isEmpty())
            f.get<QComboBox>("cmbConfirm")->setCurrentText(picked);
        QVERIFY(QFile::remove(f.settings.path()));
        f.click("cmdOkay");
        for (const QString& pair : expected)
            QCOMPARE(pair.section(u'=', 0, 0) + "=" + f.stored(pair.section(u'=', 0, 0)), pair);
    }

    // The compose window's tick follows the number at once, even past Cancel; the
    // sample follows the indicator; OK from the Enter key cleans the field too.
    void fieldCleaned_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("cleaned");
        QTest::addColumn<bool>("enter");
        QTest::newRow("international UK") << "number" << QString("+44 7 1") << "071" << false;
        QTest::newRow("number cleared") << "number" << QString() << "" << false;
        QTest::newRow("number, Enter") << "number" << QString("+44 7 9") << "079" << true;
        QTest::newRow("clip, removed") << "clip" << QString("[]_|~`\\^\u00e9\t") << "" << false;
        QTest::newRow("clip, kept") << "clip" << QString("(.+-)\na 9") << "(.+-) a 9" << false;
        QTest::newRow("clip, Enter") << "clip" << QString("x[]") << "x" << true;
    }
    void fieldCleaned() {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, cleaned);
        QFETCH(bool, enter);
        const bool number = field == "number";
        Fixture f;
        save_setting("confnumber", "070");
        f.open();
        if (!number)
            f.click("chkTextClip");
        QLineEdit* box = f.edit(number ? "txtConfNumber" : "txtClip");
        box->setFocus();
        box->selectAll();
        box->insert(typed); // as typed or pasted
        if (enter)
            QTest::keyClick(box, Qt::Key_Return);
        else
            leave(box);
        QCOMPARE(box->text(), cleaned);
        const char* tick = cleaned.isEmpty() ? "confirmation_disabled" : "confirmation_enabled";
        QCOMPARE(f.host.calls.filter("confirmation").value(0), number ? tick : "");
        if (!number)
            QCOMPARE(f.label("lblClipSample"), kClipFixed + cleaned);
        if (!enter)
            f.click("cmdCancel");
        QCOMPARE(f.host.confirmationEnabled, !number || !cleaned.isEmpty());
        QCOMPARE(f.stored(number ? "confnumber" : "textclipchar"),
                 enter ? cleaned : QString(number ? "070" : "<absent>"));
    }

    // Clearing a tick keeps the text under it: the indicator's key is deleted,
    // the signature is kept.  A long signature does not widen the dialog.
    void untickingKeepsTheTexts() {
        Fixture f;
        save_setting("textclipchar", "+");
        save_setting("appendsignature", "yes");
        save_setting("signature", "-Cy");
        const int width = f.open()->width();
        QTest::keyClicks(f.edit("txtSignature"), "!" + QString(36, u'w'));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QCOMPARE(f.window.dialog()->width(), width);
        QCOMPARE(f.label("lblSigSample"), kSigFixed + "-Cy!" + QString(36, u'w'));
        f.click("chkTextClip");
        f.click("chkSignature");
        QCOMPARE(f.samples(), kClipFixed + "|" + kSigFixed);
        f.click("cmdOkay");
        QCOMPARE(f.stored("textclipchar") + "|" + f.edit("txtClip")->text(), "<absent>|+");
        QCOMPARE(f.stored("appendsignature") + "|" + f.stored("signature"),
                 "no|-Cy!" + QString(36, u'w'));
    }

    // Cancel, a close from the window frame, Escape and Enter on Cancel.
    void cancelSavesNothingButKeepsEdits() {
        for (int how : {0, 1, 2, 3}) {
            Fixture f;
            PreferencesDialog* first = f.open();
            QTest::keyClicks(f.edit("txtUsername"), "dee");
            f.click("chkSystemTray");
            if (how == 0)
                f.click("cmdCancel");
            else if (how == 1)
                first->close();
            else if (how == 2)
                QTest::keyClick(first, Qt::Key_Escape);
            else {
                test::focus_and_wait(f.get("cmdCancel"));
                test::press("Return");
            }
            QVERIFY(!first->isVisible());
            QCOMPARE(f.host.calls,
                     QStringList({"disable", "enable", "raise", "update_status_bar", "repaint"}));
            QVERIFY(!QFile::exists(f.settings.path()));
            QCOMPARE(f.open(), first);
            QCOMPARE(f.edit("txtUsername")->text(), "dee");
            f.click("cmdOkay");
            QCOMPARE(f.stored("wispusername") + "|" + f.stored("systemtray"), "dee|yes");
        }
    }

    void logFileChooser() {
        Fixture f;
        save_setting("logsent", "yes");
        save_setting("smsloglocation", "/old.txt");
        f.open();
        f.quiet.files.answers << QString() << "/home/u/sent log.txt"; // cancelled, then picked
        f.click("cmdBrowserSMSLogPath");
        QCOMPARE(f.edit("txtSMSLog")->text(), "/old.txt");
        test::focus_and_wait(f.get("cmdBrowserSMSLogPath"));
        test::press("Return"); // the chooser, not OK
        QVERIFY(f.window.dialog()->isVisible());
        QCOMPARE(f.edit("txtSMSLog")->text(), "/home/u/sent log.txt");
        QCOMPARE(f.quiet.files.kinds, QStringList({"save", "save"}));
        QCOMPARE(f.quiet.files.filterLists.first(),
                 "Text documents (*.txt)|*.txt|All files (*.*)|*.*");
    }
};

QTEST_MAIN(TestPreferences)
#include "tst_preferences.moc"
