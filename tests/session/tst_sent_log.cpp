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

const QString kWhen = QStringLiteral("Thursday 22 May 2003, 07:03:09 pm");

QByteArray numbered_lines(int count) {
    QByteArray bytes;
    for (int i = 1; i <= count; ++i)
        bytes += "line " + QByteArray::number(i) + "\r\n";
    return bytes;
}

QByteArray read_all(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void write_file(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

// The file's lines; every line must end in CR LF.
QList<QByteArray> crlf_lines_of(const QByteArray& bytes) {
    if (!bytes.endsWith("\r\n"))
        return {"<no CR LF at the end>"};
    QList<QByteArray> lines = bytes.chopped(2).split('\n');
    for (QByteArray& line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
        else if (&line != &lines.last())
            return {"<lone LF>"};
    }
    return lines;
}

} // namespace

class TestSentLog : public QObject {
    Q_OBJECT

    test::TempSettings* settings_ = nullptr;
    test::QuietPlatform* quiet_ = nullptr;

    QString logPath() const { return settings_->dir.filePath(QStringLiteral("sent.log")); }

private slots:
    void init() {
        settings_ = new test::TempSettings;
        quiet_ = new test::QuietPlatform;
        save_setting(QStringLiteral("smsloglocation"), logPath());
    }
    void cleanup() {
        delete quiet_;
        delete settings_;
    }

    void keeps_last_lines_data() {
        QTest::addColumn<int>("oldLines");
        QTest::addColumn<int>("firstKept");
        QTest::newRow("no file yet") << -1 << 0;
        QTest::newRow("empty file") << 0 << 1;
        QTest::newRow("10 lines") << 10 << 1;
        QTest::newRow("200 lines") << 200 << 1;
        QTest::newRow("201 lines") << 201 << 2;
        QTest::newRow("230 lines") << 230 << 31;
    }
    void keeps_last_lines() {
        QFETCH(int, oldLines);
        QFETCH(int, firstKept);
        if (oldLines >= 0)
            write_file(logPath(), numbered_lines(oldLines));
        log_sent_message(QStringLiteral("Bob ; 07700900123"), QStringLiteral("Hello"), kWhen);

        const QList<QByteArray> lines = crlf_lines_of(read_all(logPath()));
        const int kept = oldLines < 0 ? 0 : oldLines - firstKept + 1;
        QCOMPARE(lines.size(), kept + 4);
        for (int i = 0; i < kept; ++i)
            QCOMPARE(lines.at(i), "line " + QByteArray::number(firstKept + i));
        QCOMPARE(lines.mid(kept), (QList<QByteArray>{"To: Bob ; 07700900123",
                                                     "Date: Thursday 22 May 2003, 07:03:09 pm",
                                                     "Message: Hello", ""}));
        QVERIFY(quiet_->messages.asked.isEmpty());
    }

    void line_breaks_data() {
        QTest::addColumn<QByteArray>("old");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("two-line message, CR LF")
            << QByteArray() << "Hi\r\nthere"
            << QByteArray("To: A\r\nDate: D\r\nMessage: Hi\r\nthere\r\n\r\n");
        QTest::newRow("two-line message, LF")
            << QByteArray() << "Hi\nthere"
            << QByteArray("To: A\r\nDate: D\r\nMessage: Hi\r\nthere\r\n\r\n");
        QTest::newRow("blank line in the message")
            << QByteArray() << "Hi\r\r\nthere"
            << QByteArray("To: A\r\nDate: D\r\nMessage: Hi\r\n\r\nthere\r\n\r\n");
        QTest::newRow("old lines ending in LF or CR")
            << QByteArray("a\nb\rc\r\nd") << "x"
            << QByteArray("a\r\nb\r\nc\r\nd\r\nTo: A\r\nDate: D\r\nMessage: x\r\n\r\n");
        QTest::newRow("dashes and empty lines kept")
            << QByteArray("--\r\n\r\n-- \r\n") << "--"
            << QByteArray("--\r\n\r\n-- \r\nTo: A\r\nDate: D\r\nMessage: --\r\n\r\n");
        QTest::newRow("Windows-1252")
            << QByteArray("\xa3\x31\r\n") << QString::fromUtf8("£5 € ü")
            << QByteArray("\xa3\x31\r\nTo: A\r\nDate: D\r\nMessage: \xa3\x35 \x80 \xfc\r\n\r\n");
    }
    void line_breaks() {
        QFETCH(QByteArray, old);
        QFETCH(QString, message);
        QFETCH(QByteArray, expected);
        if (!old.isEmpty())
            write_file(logPath(), old);
        log_sent_message(QStringLiteral("A"), message, QStringLiteral("D"));
        QCOMPARE(read_all(logPath()), expected);
    }

    void dashes_survive_the_cut() {
        QByteArray old = numbered_lines(250);
        old.replace("line 240\r\n", "--\r\n");
        write_file(logPath(), old);
        log_sent_message(QStringLiteral("A"), QStringLiteral("m"), QStringLiteral("D"));
        const QList<QByteArray> lines = crlf_lines_of(read_all(logPath()));
        QCOMPARE(lines.size(), 204);
        QCOMPARE(lines.first(), QByteArray("line 51"));
        QCOMPARE(lines.at(189), QByteArray("--"));
        QCOMPARE(lines.count("--"), 1);
    }

    void empty_path_writes_nothing() {
        save_setting(QStringLiteral("logsent"), QStringLiteral("yes"));
        save_setting(QStringLiteral("smsloglocation"), QString());
        const QStringList before = QDir(settings_->dir.path()).entryList(QDir::Files);
        log_sent_message(QStringLiteral("A"), QStringLiteral("m"), kWhen);
        QCOMPARE(QDir(settings_->dir.path()).entryList(QDir::Files), before);
        QVERIFY(quiet_->messages.asked.isEmpty());
    }

    void failed_write_keeps_old_log() {
        // The file system refuses to grow any file past the old log's size.
        const QByteArray old = numbered_lines(180);
        write_file(logPath(), old);
        rlimit saved{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved;
        small.rlim_cur = rlim_t(old.size() + 10);
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        log_sent_message(QStringLiteral("A"), QStringLiteral("m"), kWhen);
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);

        QCOMPARE(read_all(logPath()), old);
        QCOMPARE(QDir(settings_->dir.path()).entryList({QStringLiteral("sent*")}, QDir::Files),
                 QStringList{"sent.log"});
        QCOMPARE(quiet_->messages.asked.size(), 1);
        const auto& told = quiet_->messages.asked.first();
        QCOMPARE(told.title, QStringLiteral("Save error"));
        QCOMPARE(told.icon, platform::Icon::Exclamation);
        QVERIFY(told.text.startsWith(
            QStringLiteral("Unable to save out your SMS to the log file.\r\n")));
        QVERIFY(told.text.size() > 47); // the system's reason follows
    }

    void unwritable_place_is_told() {
        // A folder that is really a file cannot hold the log.
        write_file(settings_->dir.filePath(QStringLiteral("plain")), "x");
        save_setting(QStringLiteral("smsloglocation"),
                     settings_->dir.filePath(QStringLiteral("plain/sent.log")));
        log_sent_message(QStringLiteral("A"), QStringLiteral("m"), kWhen);
        QCOMPARE(quiet_->messages.titles(), QStringList{"Save error"});
        QCOMPARE(read_all(settings_->dir.filePath(QStringLiteral("plain"))), QByteArray("x"));
    }
};

QTEST_GUILESS_MAIN(TestSentLog)
#include "tst_sent_log.moc"
