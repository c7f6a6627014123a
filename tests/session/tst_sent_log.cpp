#include "session/sent_log.h"

#include "core/settings.h"
#include "support/doubles.h"
#include "support/temp_settings.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

using namespace zemble;

namespace {

QByteArray numbered_lines(int first, int last) {
    QByteArray bytes;
    for (int i = first; i <= last; ++i)
        bytes += "line " + QByteArray::number(i) + "\r\n";
    return bytes;
}

QByteArray read_all(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void write_file(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

const QByteArray
    kRecord("To: A ; 071\r\nDate: Thursday 22 May 2003, 07:03:09 pm\r\nMessage: m\r\n\r\n");

} // namespace

class TestSentLog : public QObject {
    Q_OBJECT
    test::TempSettings* settings_ = nullptr;
    test::QuietPlatform* quiet_ = nullptr;
    QString log() const { return settings_->dir.filePath(QStringLiteral("sent.log")); }
    void send(const QString& message = QStringLiteral("m")) {
        log_sent_message(QStringLiteral("A ; 071"), message,
                         QStringLiteral("Thursday 22 May 2003, 07:03:09 pm"));
    }

private slots:
    void init() {
        settings_ = new test::TempSettings;
        quiet_ = new test::QuietPlatform;
        save_setting(QStringLiteral("smsloglocation"), log());
    }
    void cleanup() {
        delete quiet_;
        delete settings_;
    }

    void appends_data() {
        QTest::addColumn<QByteArray>("old");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QByteArray>("expected");
        const QString m = QStringLiteral("m");
        QTest::newRow("no old log") << QByteArray() << m << kRecord;
        QTest::newRow("10 lines grow to 14")
            << numbered_lines(1, 10) << m << numbered_lines(1, 10) + kRecord;
        QTest::newRow("230 lines become 204")
            << numbered_lines(1, 230) << m << numbered_lines(31, 230) + kRecord;
        QTest::newRow("lone LF and CR end lines")
            << QByteArray("a\nb\rc") << m << QByteArray("a\r\nb\r\nc\r\n") + kRecord;
        QTest::newRow("dash lines and empty lines kept")
            << QByteArray("--\r\n\r\n") << m << QByteArray("--\r\n\r\n") + kRecord;
        QByteArray two = kRecord;
        QTest::newRow("two-line message, five lines")
            << QByteArray() << QStringLiteral("m\nx")
            << two.replace("Message: m\r\n", "Message: m\r\nx\r\n");
        QByteArray coded = kRecord;
        QTest::newRow("Windows-1252") << QByteArray() << QString::fromUtf8("m£€")
                                      << coded.replace("Message: m\r\n", "Message: m\xa3\x80\r\n");
    }
    void appends() {
        QFETCH(QByteArray, old);
        QFETCH(QString, message);
        QFETCH(QByteArray, expected);
        if (!old.isEmpty())
            write_file(log(), old);
        send(message);
        QCOMPARE(read_all(log()), expected);
        QVERIFY(quiet_->messages.asked.isEmpty());
    }

    void empty_path_writes_nothing() {
        save_setting(QStringLiteral("logsent"), QStringLiteral("yes"));
        save_setting(QStringLiteral("smsloglocation"), QString());
        const QStringList before = QDir(settings_->dir.path()).entryList(QDir::Files);
        send();
        QCOMPARE(QDir(settings_->dir.path()).entryList(QDir::Files), before);
        QVERIFY(quiet_->messages.asked.isEmpty());
    }

    void failed_write_keeps_old_log() {
        const QByteArray old = numbered_lines(1, 180);
        write_file(log(), old);
        // No file may grow past the old log's size, as on a full disk.
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        const auto handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved;
        small.rlim_cur = rlim_t(old.size() + 10);
        setrlimit(RLIMIT_FSIZE, &small);
        send();
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, handler);

        QCOMPARE(read_all(log()), old);
        QCOMPARE(QDir(settings_->dir.path()).entryList({QStringLiteral("sent*")}, QDir::Files),
                 QStringList{"sent.log"});
        QCOMPARE(quiet_->messages.titles(), QStringList{"Save error"});
        const auto& told = quiet_->messages.asked.first();
        QCOMPARE(told.icon, platform::Icon::Exclamation);
        QVERIFY(told.text.startsWith(
            QLatin1String("Unable to save out your SMS to the log file.\r\n")));
        QVERIFY(told.text.size() > 47); // the system's reason follows
    }
};

QTEST_GUILESS_MAIN(TestSentLog)
#include "tst_sent_log.moc"
