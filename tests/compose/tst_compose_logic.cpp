#include "compose/compose_logic.h"
#include "core/settings.h"

#include <QTest>

using namespace zemble;

class TestComposeLogic : public QObject {
    Q_OBJECT
private slots:
    void stats_data() {
        QTest::addColumn<int>("characters");
        QTest::addColumn<int>("parts");
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty") << 0 << 0 << "0 characters used (split over 0 messages)";
        QTest::newRow("one") << 1 << 1 << "1 character used (split over 1 message)";
        QTest::newRow("two") << 2 << 1 << "2 characters used (split over 1 message)";
        QTest::newRow("two parts") << 116 << 2 << "116 characters used (split over 2 messages)";
        QTest::newRow("most") << 32767 << 285 << "32767 characters used (split over 285 messages)";
    }
    void stats() {
        QFETCH(int, characters);
        QFETCH(int, parts);
        QFETCH(QString, expected);
        QCOMPARE(stats_text(characters, qint16(parts)), expected);
    }

    void cleanUp_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("cleaned");
        QTest::newRow("two lines") << "hello\r\nworld"
                                   << "hello world";
        QTest::newRow("bare line feed") << "a\nb"
                                        << "a b";
        QTest::newRow("tab dropped") << "a\tb"
                                     << "ab";
        QTest::newRow("brackets and tilde") << "[x]~\\^_`"
                                            << "x";
        QTest::newRow("braces bar pound") << "{a|b} \u00a3"
                                          << "{a|b} \u00a3";
        QTest::newRow("accents dropped") << "caf\u00e9 \u20ac5"
                                         << "caf 5";
        QTest::newRow("delete code") << "a\u007fb"
                                     << "ab";
        QTest::newRow("question mark kept") << "why?"
                                            << "why?";
        QTest::newRow("outside the code page") << "ok \u4e2d\U0001F600!"
                                               << "ok !";
        QTest::newRow("printable ends") << " Zaz}"
                                        << " Zaz}";
        QTest::newRow("empty") << ""
                               << "";
    }
    void cleanUp() {
        QFETCH(QString, typed);
        QFETCH(QString, cleaned);
        QCOMPARE(clean_message_text(typed), cleaned);
    }

    void sendState_data() {
        QTest::addColumn<QString>("signature");
        QTest::addColumn<QString>("lastKey");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("notSent");
        QTest::newRow("fresh window") << "sig"
                                      << "sig"
                                      << ""
                                      << "sig" << true;
        QTest::newRow("same as sent") << ""
                                      << "0771hello"
                                      << "0771"
                                      << "hello" << false;
        QTest::newRow("edited") << ""
                                << "0771hello"
                                << "0771"
                                << "hello!" << true;
        QTest::newRow("case matters") << ""
                                      << "0771hello"
                                      << "0771"
                                      << "Hello" << true;
        QTest::newRow("signature equals key") << "0771hello"
                                              << "0771hello"
                                              << "0771"
                                              << "hello" << true;
    }
    void sendState() {
        QFETCH(QString, signature);
        QFETCH(QString, lastKey);
        QFETCH(QString, to);
        QFETCH(QString, message);
        QFETCH(bool, notSent);
        QCOMPARE(message_not_sent(signature, lastKey, to, message), notSent);
    }

    void informationTexts() {
        QCOMPARE(information_text(true, QStringLiteral("x")),
                 QStringLiteral("       You have not sent this text message yet"));
        QCOMPARE(information_text(false, QStringLiteral("Thursday 22 May 2003, 07:03:09 pm")),
                 QStringLiteral(
                     "       You sent this text message on Thursday 22 May 2003, 07:03:09 pm"));
    }

    void quota_data() {
        QTest::addColumn<int>("free");
        QTest::addColumn<int>("paid");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("red");
        QTest::newRow("unknown") << -1 << -1 << "Unknown free && unknown paid"
                                 << "Unknown free & unknown paid" << false;
        QTest::newRow("figures") << 12 << 0 << "12 free && 0 paid"
                                 << "12 free & 0 paid" << false;
        QTest::newRow("both zero") << 0 << 0 << "0 free && 0 paid"
                                   << "0 free & 0 paid" << true;
        QTest::newRow("unknown free") << -1 << 0 << "Unknown free && 0 paid"
                                      << "Unknown free & 0 paid" << false;
        QTest::newRow("negative") << -5 << 3 << "-5 free && 3 paid"
                                  << "-5 free & 3 paid" << false;
    }
    void quota() {
        QFETCH(int, free);
        QFETCH(int, paid);
        QFETCH(QString, caption);
        QFETCH(QString, shown);
        QFETCH(bool, red);
        QCOMPARE(quota_caption(qint16(free), qint16(paid)), caption);
        QCOMPARE(accelerator_display(caption), shown);
        QCOMPARE(quota_is_red(qint16(free), qint16(paid)), red);
    }

    void acceleratorMarks_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("shown");
        QTest::newRow("marker dropped") << "&File"
                                        << "File";
        QTest::newRow("three in a row") << "a &&& b"
                                        << "a & b";
        QTest::newRow("trailing marker") << "end&"
                                         << "end";
    }
    void acceleratorMarks() {
        QFETCH(QString, caption);
        QFETCH(QString, shown);
        QCOMPARE(accelerator_display(caption), shown);
    }

    void refusal_data() {
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("reasons");
        const QString noNumber = QStringLiteral("   \u2022  No phone number has been entered.\r\n");
        const QString noMessage = QStringLiteral("   \u2022  No message has been entered.\r\n");
        QTest::newRow("both missing") << ""
                                      << "" << noNumber + noMessage;
        QTest::newRow("no recipient") << ""
                                      << "hi" << noNumber;
        QTest::newRow("no message") << "0771"
                                    << "" << noMessage;
        QTest::newRow("spaces pass") << "  "
                                     << " "
                                     << "";
    }
    void refusal() {
        QFETCH(QString, to);
        QFETCH(QString, message);
        QFETCH(QString, reasons);
        QCOMPARE(send_refusal_reasons(to, message), reasons);
    }

    void refusalText() {
        const QString reasons = send_refusal_reasons({}, {});
        QCOMPARE(send_refusal_text(reasons),
                 QStringLiteral("Zemble is going to be unable to send your text message because of "
                                "the following reason(s):\r\n\r\n") +
                     reasons + QStringLiteral("\r\nPlease check your details and try again"));
    }

    void quitQuestion_data() {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<bool>("differs");
        QTest::addColumn<QString>("question");
        const QString unsent =
            QStringLiteral("This SMS has not been sent yet.\r\nAre you sure you want to quit?");
        const QString always = QStringLiteral("Are you sure you want to quit?");
        QTest::newRow("confirm unsent") << "confirm" << true << unsent;
        QTest::newRow("confirm sent") << "confirm" << false << "";
        QTest::newRow("ask unsent") << "ask" << true << always;
        QTest::newRow("ask sent") << "ask" << false << always;
        QTest::newRow("end") << "end" << true << "";
        QTest::newRow("other value") << "Confirm" << true << "";
    }
    void quitQuestion() {
        QFETCH(QString, setting);
        QFETCH(bool, differs);
        QFETCH(QString, question);
        QCOMPARE(quit_question(setting, differs), question);
    }

    void credentials_data() {
        QTest::addColumn<QString>("sessionUser");
        QTest::addColumn<QString>("sessionPassword");
        QTest::addColumn<QString>("storedUser");
        QTest::addColumn<QString>("storedPassword");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::newRow("nothing") << ""
                                 << ""
                                 << ""
                                 << ""
                                 << ""
                                 << "";
        QTest::newRow("remembered wins") << "typed"
                                         << "tp"
                                         << "kept"
                                         << "pw"
                                         << "kept"
                                         << "pw";
        QTest::newRow("typed stays") << "typed"
                                     << "tp"
                                     << ""
                                     << ""
                                     << "typed"
                                     << "tp";
        QTest::newRow("user only") << ""
                                   << ""
                                   << "kept"
                                   << ""
                                   << "kept"
                                   << "";
        QTest::newRow("password only") << ""
                                       << ""
                                       << ""
                                       << "p w~"
                                       << ""
                                       << "p w~";
    }
    void credentials() {
        QFETCH(QString, sessionUser);
        QFETCH(QString, sessionPassword);
        QFETCH(QString, storedUser);
        QFETCH(QString, storedPassword);
        QFETCH(QString, user);
        QFETCH(QString, password);
        const Credentials merged = merge_credentials({sessionUser, sessionPassword}, storedUser,
                                                     scramble_password(storedPassword));
        QCOMPARE(merged.username, user);
        QCOMPARE(merged.password, password);
        QCOMPARE(merged.complete(), !user.isEmpty() && !password.isEmpty());
    }
};

QTEST_APPLESS_MAIN(TestComposeLogic)
#include "tst_compose_logic.moc"
