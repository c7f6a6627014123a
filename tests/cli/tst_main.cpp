// The real zemble-send process against the simulator: what reaches the site, what it says.

#include "core/settings.h"
#include "platform/keyring.h"
#include "platform/remembered_password.h"

#include "support/bad_site_settings.h"
#include "support/kannel.h"
#include "support/opsim.h"
#include "support/other_user.h"
#include "support/secret_service.h"

#include <QtTest>

#include <csignal>
#include <grp.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace zemble;
using namespace zemble::test;

namespace {

const QString kSend = "/webOriginate/action/sendMessage";
// The address space of a run that must not grow with its input: a few times what the program
// needs for a message.  AddressSanitizer reserves terabytes of address space for its own
// bookkeeping, so the checked build runs without the limit; the ordinary build keeps it.
constexpr rlim_t kAddressSpace = 256 * 1024 * 1024;
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSpaceLimited = false;
#elif defined(__has_feature)
constexpr bool kAddressSpaceLimited = !__has_feature(address_sanitizer);
#else
constexpr bool kAddressSpaceLimited = true;
#endif

// A text the site took.
struct Sent {
    QString number;
    QString text;
    bool operator==(const Sent&) const = default;
};
char* toString(const Sent& s) {
    return QTest::toString(s.number + ": " + s.text);
}

// The site misbehaving once for `path`: after `skip` requests of it that pass, the next gets
// `kind` ("drop", "slow", "wrongpage", ...), answered after `delayMs` when slow.
struct Fault {
    QString kind;
    QString path;
    int skip = 0;
    int delayMs = 0;
};

// How many requests of `path` the site received.
struct Asked {
    QString path;
    int times;
};

// One run of the program and what it must leave behind.
struct Run {
    QStringList args;
    QByteArray input = {};           // standard input
    QString password = "secret";     // ZEMBLE_PASSWORD; "" leaves it unset
    std::optional<Fault> fault = {}; // armed before the run
    int exit = 0;
    QList<Sent> outbox = {};                // every text the site took, in order
    QStringList told = {};                  // found on standard error
    QString printed = {}, logged = {};      // all of standard output; the log's To line ("" no log)
    std::optional<QList<Asked>> paths = {}; // requests counted by path; empty: none at all
    QList<int> interrupts = {};             // signals sent once two texts were asked for
    bool asNobody = false;                  // run as "nobody" when the test runs as root
    QStringList untold = {};                // never on standard error
};

// The program copied beside an address book, with settings of its own pointing at the simulator,
// run as a script would run it, without a display.  The test's settings store is the program's
// settings file while the fixture lives.
struct Fixture {
    Fixture() { setSettingsFilePath(dir.filePath("config/Zemble/Zemble.ini")); }
    ~Fixture() { setSettingsFilePath({}); }
    QTemporaryDir dir;
    OpSim sim{{{"alice", "secret", "Alice", 20, 5}}};
    QString program = dir.filePath("zemble-send"), log = dir.filePath("sent.log");
    bool prepare() {
        QFile book(dir.filePath("zemble_contacts.txt"));
        if (!sim.start() || !QFile::copy(ZEMBLE_SEND_PATH, program) ||
            !book.open(QIODevice::WriteOnly) ||
            !book.write("Anna;07700900001\r\nAnne;07700900003\r\nBob;07700900456\r\n"))
            return false;
        sim.applyToSettings();
        save_setting("logsent", "yes");
        save_setting("confnumber", "07700900999");
        save_setting("smsloglocation", log);
        return true;
    }
    QProcessEnvironment environment(const QString& password) const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name :
             {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "ZEMBLE_PASSWORD"})
            env.remove(name);
        env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
        env.insert("XDG_DATA_HOME", dir.filePath("data"));
        if (!password.isEmpty())
            env.insert("ZEMBLE_PASSWORD", password);
        return env;
    }
    void setUp(QProcess& process, const Run& r) {
        process.setProcessEnvironment(environment(r.password));
        if (r.asNobody && runAsRoot())
            process.setChildProcessModifier([uid = nobodyUid()] {
                if (::setgroups(0, nullptr) != 0 || ::setgid(uid) != 0 || ::setuid(uid) != 0)
                    ::_exit(126);
                // A changed user makes the process undumpable, and the leak checker of the
                // checked build cannot then look at it.
                ::prctl(PR_SET_DUMPABLE, 1);
            });
    }
    int run(const Run& r, QByteArray* out, QByteArray* err) {
        QProcess process;
        setUp(process, r);
        process.start(program, r.args);
        process.write(r.input);
        process.closeWriteChannel();
        if (!r.interrupts.isEmpty() &&
            !QTest::qWaitFor([&] { return sim.requestPaths().count(kSend) == 2; }, 20000))
            return -2;
        for (int signal : r.interrupts)
            ::kill(pid_t(process.processId()), signal);
        if (!process.waitForFinished(60000))
            return -1;
        *out = process.readAllStandardOutput();
        *err = process.readAllStandardError();
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
};

// A text as a phone received it through the gateway.
struct Delivered {
    QString to;
    QString text;
    bool operator==(const Delivered&) const = default;
};

// One run through a Kannel gateway and what must come of it.
struct GatewayRun {
    QStringList args;                   // "{gateway}" stands for the gateway's address
    bool routeInSettings = false;       // Zemble's preferences send through the gateway
    QString password = "kannel-s3cret"; // ZEMBLE_PASSWORD
    int exit = 0;
    QList<Delivered> delivered = {}; // every text the gateway delivered, in order
    QStringList told = {};           // found on standard error
};

// The password in each place the program may read it from ("": none there), and the run's end.
struct Passwords {
    QString inKeyring = {}, inEnvironment = {}, inFile = {};
    int exit = 0;
};

} // namespace

Q_DECLARE_METATYPE(Run)
Q_DECLARE_METATYPE(GatewayRun)
Q_DECLARE_METATYPE(Passwords)

class TestZembleSend : public QObject {
    Q_OBJECT
private slots:
    void runs_data() {
        QTest::addColumn<Run>("r");
        const auto row = [](const char* name, const Run& r) { QTest::newRow(name) << r; };
        const auto as = [](const QStringList& args) { return QStringList{"-u", "alice"} + args; };
        const QString m = QString(110, u'x') + "0123456789", a = "07700900001", bob = "07700900456",
                      n2 = "07700900002";
        const QList<Asked> logOn = {{"/login/mblogin", 1}, {"/login/bglogin", 1}}, noRequest = {};
        const QString sentAnna = "zemble-send: sent to Anna (07700900001)\n";
        QStringList eleven;
        QList<Sent> hiToEleven;
        for (int i = 101; i <= 111; ++i) {
            eleven.append(QString("07700900%1").arg(i));
            hiToEleven.append({eleven.last(), "hi"});
        }
        // clang-format off
        row("two parts to a name and a number", {.args = as({"-m", m, "Bob", "07700900002"}),
            .outbox = {{bob, m.left(115)}, {bob, m.mid(115)}, {n2, m.left(115)}, {n2, m.mid(115)}},
            .told = {"Logging onto O2 as 'alice' ...", "Sending message part 2 of 2 to Bob ...",
                     "Checking text message quota ...", "Logging out of O2 ..."},
            .logged = "Bob ; 07700900002",
            .paths = logOn + QList<Asked>{{kSend, 4}, {"/logout.html", 1}}});
        row("message from standard input, copy to the user's phone", {.args = as({"--confirm",
            "anna"}), .input = "Tea at 4?\nBring cake\n", .outbox = {{a, "Tea at 4? Bring cake"},
            {"07700900999", "The following message was sent to 1 recipient: Tea at 4? Bring cake"}},
            .logged = "Anna"});
        row("quota", {.args = {"--quota", "-u", "alice"}, .printed = "20 free, 5 paid\n",
            .paths = logOn + QList<Asked>{{kSend, 0}, {"/logout.html", 1}}});
        row("wrong password", {.args = as({"-m", "hi", "Anna"}), .password = "wrong", .exit = 2,
            .told = {"the username or password you entered is not correct"},
            .paths = QList<Asked>{{"/login/mblogin", 1}, {"/login/bglogin", 0}, {kSend, 0}}});
        // A part is never sent again, whatever --retries says; the run still logs off.
        row("connection dropped after the first recipient", {.args = as({"--retries", "2", "-m",
            "hi", "Anna", "Bob"}), .fault = Fault{"drop", kSend, 1}, .exit = 3,
            .outbox = {{a, "hi"}},
            .told = {sentAnna, "zemble-send: not sent to Bob (07700900456); part 1 of 1 may have "
            "arrived"},
            .paths = QList<Asked>{{kSend, 2}, {"/logout.html", 1}}});
        row("log-on retried", {.args = as({"--retries", "1", "-q", "-m", "hi", "Anna"}),
            .fault = Fault{"wrongpage", "/login/mblogin"}, .outbox = {{a, "hi"}},
            .told = {"/login/mblogin: This service is not available at the moment. Please come "
                     "back later.; trying again"}, .logged = "Anna",
            .paths = QList<Asked>{{"/login/mblogin", 2}}});
        row("dry run", {.args = {"-n", "-m", "hi", "Anna", "07700900002"}, .password = "",
            .printed = "2 recipients:\n  Anna 07700900001\n  07700900002\n1 part, sent as free "
                       "texts:\n  1 of 1: hi\n", .paths = noRequest});
        row("message warning", {.args = as({"-m", "hi"}) + eleven, .exit = 2, .told = {
            "zemble-send: Message warning: You have requested that Zemble send 11 text messages "
            "via O2."}, .paths = noRequest});
        row("message warning answered by --yes", {.args = as({"--yes", "-q", "-m", "hi"}) + eleven,
            .outbox = hiToEleven,
            .logged = eleven.join(" ; ")});
        // What the clean-up leaves out is named in one line; the rest is sent.
        row("characters the site cannot take", {.args = as({"-q", "-m", "caf\u00e9 ~_^ "
            "\U0001F600 ok", "Anna"}), .outbox = {{a, "caf   ok"}}, .told = {"zemble-send: left "
            "out of the message, as the site cannot take them: \"\u00e9\", \"~\", \"_\", \"^\", "
            "\"\U0001F600\"\n"}, .logged = "Anna"});
        row("bytes that are not UTF-8 and a tab on standard input", {.args = as({"-q", "Anna"}),
            .input = "Hi\xff\tthere\r\n", .outbox = {{a, "Hithere"}}, .told = {"zemble-send: "
            "left out of the message, as the site cannot take them: U+FFFD (bytes that are not "
            "UTF-8), tab\n"}, .logged = "Anna"});
        // Input errors: a one-line reason, status 1 and no request at all.
        const auto bad = [&](const char* name, const QStringList& args, const QStringList& told) {
            row(name, {.args = args, .exit = 1, .told = told, .paths = noRequest});
        };
        bad("ambiguous name", as({"-m", "hi", "ann", "Bob"}),
            {"zemble-send: 'ann' fits several contacts: Anna, Anne"});
        bad("unreadable message file", as({"-f", "/nonexistent/message", "Anna"}),
            {"cannot read the message from /nonexistent/message"});
        bad("message that cleans to nothing", as({"-m", "[~]", "Anna"}),
            {"the message is empty once the characters the site cannot take"});
        bad("unknown name and invalid number", as({"-m", "hi", "Zed", "12345"}), {"'Zed' is "
            "neither a contact's name nor a phone number", "'12345' is not a UK mobile number"});
        bad("no account", {"-m", "hi", "Anna"}, {"zemble-send: no account: give --user NAME"});
        // A first Ctrl+C or SIGTERM during the second of three texts lets its answer come and
        // sends no more; a second ends the request at once.  The run says who got it.
        const QStringList three = as({"-m", "hi", "Anna", "Bob", "07700900002"});
        const Fault slow = {"slow", kSend, 1, 3000};
        const QString notSent = "zemble-send: not sent to 07700900002\n";
        // Only a request that leaves is announced.
        const QStringList unsent = {"Sending message part 1 of 1 to 07700900002",
                                    "Checking text message quota"};
        row("interrupted once", {.args = three, .fault = slow, .exit = 3, .outbox = {{a, "hi"},
            {bob, "hi"}}, .told = {sentAnna, "zemble-send: sent to Bob (07700900456)\n", notSent},
            .paths = QList<Asked>{{kSend, 2}, {"/logout.html", 1}}, .interrupts = {SIGINT},
            .untold = unsent});
        row("interrupted twice", {.args = three, .fault = slow, .exit = 3, .outbox = {{a, "hi"},
            {bob, "hi"}}, .told = {sentAnna, "zemble-send: not sent to Bob (07700900456); part 1 "
            "of 1 may have arrived, the site did not answer\n", notSent},
            .paths = QList<Asked>{{kSend, 2}, {"/logout.html", 0}}, .interrupts = {SIGTERM, SIGINT},
            .untold = unsent});
        // clang-format on
    }
    void runs() {
        QFETCH(Run, r);
        Fixture f;
        QVERIFY2(f.prepare(), qPrintable(f.sim.errorText()));
        QVERIFY(!r.fault ||
                f.sim.setFault(r.fault->path, r.fault->kind, 1, r.fault->delayMs, r.fault->skip));
        QByteArray out, err;
        QCOMPARE(f.run(r, &out, &err), r.exit);
        const QString told = QString::fromUtf8(err);
        for (const QString& line : r.told)
            QVERIFY2(told.contains(line), qPrintable(told));
        for (const QString& line : r.untold)
            QVERIFY2(!told.contains(line), qPrintable(told));
        QCOMPARE(QString::fromUtf8(out), r.printed);

        QList<Sent> outbox;
        for (const QJsonObject& o : f.sim.outbox())
            outbox.append({o["number"].toString(), o["text"].toString()});
        QCOMPARE(outbox, r.outbox);
        const QStringList paths = f.sim.requestPaths();
        if (r.paths)
            QVERIFY2(r.paths->isEmpty() == paths.isEmpty(), qPrintable(paths.join(' ')));
        for (const Asked& asked : r.paths.value_or(QList<Asked>{}))
            QCOMPARE(paths.count(asked.path), asked.times);
        // A delivered send is in the sent-message log, as the To field would hold it.
        QFile log(f.log);
        QCOMPARE(log.open(QIODevice::ReadOnly) ? log.readLine() : QByteArray(),
                 r.logged.isEmpty() ? QByteArray() : "To: " + r.logged.toUtf8() + "\r\n");
    }

    // Runs started together, as scripts and the program itself may, each log their send: every
    // text the site took has its one record in the log.
    void sendsAtOnceAreEachLogged() {
        const int runs = 16;
        Fixture f;
        QVERIFY2(f.prepare(), qPrintable(f.sim.errorText()));
        QStringList numbers;
        std::vector<std::unique_ptr<QProcess>> processes;
        for (int i = 0; i < runs; ++i) {
            numbers.append(QString("077009002%1").arg(i, 2, 10, QChar(u'0')));
            auto& process = processes.emplace_back(std::make_unique<QProcess>());
            process->setProcessEnvironment(f.environment("secret"));
            process->start(f.program, {"-u", "alice", "-q", "-m", "hi", numbers.last()});
        }
        for (const auto& process : processes) {
            QVERIFY(process->waitForFinished(120000));
            QVERIFY2(process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0,
                     process->readAllStandardError().constData());
        }

        QStringList delivered, logged;
        for (const QJsonObject& o : f.sim.outbox())
            delivered.append(o["number"].toString());
        QFile log(f.log);
        QVERIFY(log.open(QIODevice::ReadOnly));
        for (const QByteArray& line : log.readAll().split('\n'))
            if (line.startsWith("To: "))
                logged.append(QString::fromLatin1(line.mid(4).trimmed()));
        delivered.sort();
        logged.sort();
        QCOMPARE(delivered, numbers);
        QCOMPARE(logged, numbers);
        qInfo("%d sends at once: %lld texts delivered, %lld records logged", runs,
              qlonglong(delivered.size()), qlonglong(logged.size()));
    }

    // Quota figures that cannot be stored in a read-only settings file: one line names the file
    // and the reason; the figures are still printed and the run still succeeds.
    void readOnlySettingsToldOnce() {
        Fixture f;
        QVERIFY2(f.prepare(), qPrintable(f.sim.errorText()));
        const QString settings = f.dir.filePath("config/Zemble/Zemble.ini");
        QVERIFY(QProcess::execute("chmod", {"-R", "a+rX", f.dir.path()}) == 0);
        giveToNobody({f.dir.path(), f.dir.filePath("config"), f.dir.filePath("config/Zemble")});
        QVERIFY(QFile::setPermissions(settings, QFile::ReadOwner | QFile::ReadOther));
        QByteArray out, err;
        QCOMPARE(f.run({.args = {"--quota", "-u", "alice"}, .asNobody = true}, &out, &err), 0);
        QCOMPARE(out, QByteArray("20 free, 5 paid\n"));
        const QString line =
            "zemble-send: could not save the settings to " + settings + ": Permission denied\n";
        QVERIFY2(err.contains(line.toUtf8()) && err.count("could not save") == 1, err.constData());
    }

    // A message source without end (a device, a pipe kept fed) is read no further than a message
    // that can be sent: status 1 with the length reason, within a small address space.
    void endlessMessageReadNoFurther_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("fed"); // written to standard input again and again
        QTest::addColumn<QString>("told");
        const QString bytes = "the message is more than 1048576 bytes long; at most 32767 "
                              "characters can be sent";
        QTest::newRow("the zero device as message file")
            << QStringList{"-n", "-f", "/dev/zero", "Anna"} << QByteArray() << bytes;
        QTest::newRow("text on standard input without end")
            << QStringList{"-n", "Anna"} << QByteArray("Disk /srv is full\n").repeated(4096)
            << "the message is more than 32767 characters long; at most 32767 can be sent";
        QTest::newRow("characters the site cannot take on standard input without end")
            << QStringList{"-n", "Anna"} << QByteArray("~").repeated(65536) << bytes;
    }
    void endlessMessageReadNoFurther() {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, fed);
        QFETCH(QString, told);
        Fixture f;
        QVERIFY2(f.prepare(), qPrintable(f.sim.errorText()));
        QProcess process;
        f.setUp(process, {});
        process.setChildProcessModifier([] {
            const rlimit limit{kAddressSpace, kAddressSpace};
            if (kAddressSpaceLimited)
                ::setrlimit(RLIMIT_AS, &limit);
        });
        process.start(f.program, args);
        QVERIFY(process.waitForStarted());
        QDeadlineTimer deadline(60000);
        while (process.state() == QProcess::Running && !deadline.hasExpired()) {
            while (!fed.isEmpty() && process.bytesToWrite() < 4 * 1024 * 1024)
                process.write(fed);
            if (!process.waitForBytesWritten(50))
                process.waitForFinished(10);
        }
        QCOMPARE(process.state(), QProcess::NotRunning);
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 1);
        QCOMPARE(QString::fromUtf8(process.readAllStandardError()), "zemble-send: " + told + '\n');
    }

    // --quota with an error page or an unknown page where the figures should be: status 2 with
    // the page's words, and the figures saved earlier stay.
    void quotaPageWithoutFiguresFails_data() {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("told");
        QTest::newRow("error page") << "http500"
                                    << "The server met an internal error.";
        QTest::newRow("page the program does not know")
            << "wrongpage"
            << "This service is not available at the moment.";
    }
    void quotaPageWithoutFiguresFails() {
        QFETCH(QString, fault);
        QFETCH(QString, told);
        Fixture f;
        QVERIFY2(f.prepare(), qPrintable(f.sim.errorText()));
        save_setting("quotaleft", "7");
        save_setting("paidquotaleft", "3");
        // The home page of the log-on passes; the one of the quota check does not.
        QVERIFY(f.sim.setFault("/webOriginate/action/viewHomePage", fault, 1, 0, 1));
        QByteArray out, err;
        QCOMPARE(f.run({.args = {"--quota", "-u", "alice"}}, &out, &err), 2);
        const QString said = QString::fromUtf8(err);
        QVERIFY2(said.contains("/webOriginate/action/viewHomePage: ") && said.contains(told),
                 qPrintable(said));
        QCOMPARE(out, QByteArray());
        QCOMPARE(get_setting("quotaleft", "(absent)"), "7");
        QCOMPARE(get_setting("paidquotaleft", "(absent)"), "3");
        QCOMPARE(f.sim.requestPaths().count("/logout.html"), 1);
    }

    // A host or authority setting that cannot work: status 1 with the key, the value and what is
    // wrong, before any request, for a send and for --quota alike.
    void badSiteSettingRefusedBeforeAnyRequest_data() { badSiteSettingRows(); }
    void badSiteSettingRefusedBeforeAnyRequest() {
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QString, reason);
        for (const QStringList& args : {QStringList{"-u", "alice", "-m", "hi", "Anna"},
                                        QStringList{"-u", "alice", "--quota"}}) {
            Fixture f;
            QVERIFY2(f.prepare(), qPrintable(f.sim.errorText()));
            save_setting(key, value);
            QByteArray out, err;
            QCOMPARE(f.run({.args = args}, &out, &err), 1);
            const QString said = QString::fromUtf8(err);
            QVERIFY2(said.startsWith(
                         QString("zemble-send: the setting '%1' is '%2': ").arg(key, value)) &&
                         said.contains(reason),
                     qPrintable(said));
            QCOMPARE(f.sim.requestPaths(), QStringList{});
        }
    }

    // The password of the remembered account comes from the desktop's keyring, then from
    // ZEMBLE_PASSWORD, then from the settings file; the site tells which one was used, as only
    // "secret" logs on.  The run writes no password anywhere.
    void passwordReadingOrder_data() {
        QTest::addColumn<Passwords>("row");
        const auto row = [](const char* name, const Passwords& p) { QTest::newRow(name) << p; };
        row("keyring before the environment",
            {.inKeyring = "secret", .inEnvironment = "wrong", .inFile = "wrong"});
        row("a wrong keyring item is not passed over",
            {.inKeyring = "wrong", .inEnvironment = "secret", .inFile = "secret", .exit = 2});
        row("environment before the settings file", {.inEnvironment = "secret", .inFile = "wrong"});
        row("settings file last", {.inFile = "secret"});
    }
    void passwordReadingOrder() {
        QFETCH(Passwords, row);
        const auto& [inKeyring, inEnvironment, inFile, exit] = row;
        static PrivateSecretService service;
        static const bool started = service.start();
        if (!started)
            QSKIP(
                qPrintable("no Secret Service for the keyring's reading order: " + service.whyNot));
        platform::Keyring& keyring = platform::Keyring::real();
        const QString label = portalPasswordLabel("alice");
        if (inKeyring.isEmpty())
            QVERIFY(keyring.forget(label, "alice") != platform::KeyringOutcome::Refused);
        else
            QCOMPARE(keyring.store(label, "alice", inKeyring), platform::KeyringOutcome::Done);
        Fixture f;
        QVERIFY2(f.prepare(), qPrintable(f.sim.errorText()));
        saveSettings(
            {{keys::wispUsername, "alice"}, {keys::wispPassword, scramble_password(inFile)}});

        QByteArray out, err;
        QCOMPARE(f.run({.args = {"-m", "hi", "Anna"}, .password = inEnvironment}, &out, &err),
                 exit);
        QCOMPARE(f.sim.outbox().size(), exit == 0 ? 1 : 0);
        QCOMPARE(unscramble_password(get_setting(keys::wispPassword, "")), inFile);
        const platform::KeyringRead item = keyring.read(label, "alice");
        QCOMPARE(item.password, inKeyring);
    }

    // Through a real Kannel on loopback, chosen by --gateway or by the settings: each recipient
    // gets the whole text once, a refusal is told in the gateway's words, and the operator's
    // site is never asked anything.
    void throughAKannelGateway_data() {
        QTest::addColumn<GatewayRun>("r");
        const auto row = [](const char* name, const GatewayRun& r) { QTest::newRow(name) << r; };
        const QString pounds = "Tickets are \u00a325 each";
        const QString longText = QString("Dinner on Friday is \u00a312 a head. ").repeated(6);
        // clang-format off
        row("--gateway: a pound sign to a name and two numbers", {
            .args = {"--gateway", "{gateway}", "-u", "zemble", "-m", pounds, "Bob", "07700900002",
                     "07700900004"},
            .delivered = {{"07700900456", pounds}, {"07700900002", pounds},
                          {"07700900004", pounds}},
            .told = {"Sending message to Bob ...", "Sending message to 07700900004 ..."}});
        row("characters the operator's site cannot take go as they are", {
            .args = {"--gateway", "{gateway}", "-u", "zemble", "-m",
                     "Caf\u00e1 \u2013 \u201cn\u00edne\u201d", "07700900005"},
            .delivered = {{"07700900005", "Caf\u00e1 \u2013 \u201cn\u00edne\u201d"}}});
        row("the route and account in the settings, a long text", {
            .args = {"-m", longText, "Anna"}, .routeInSettings = true,
            .delivered = {{"07700900001", longText}}});
        row("the confirmation copy goes as one text more", {
            .args = {"--confirm", "-m", "See you at 8", "Bob"}, .routeInSettings = true,
            .delivered = {{"07700900456", "See you at 8"},
                          {"07700900999",
                           "The following message was sent to 1 recipient: See you at 8"}}});
        row("a wrong password: the gateway's reply, nothing sent", {
            .args = {"--gateway", "{gateway}", "-u", "zemble", "-m", pounds, "Bob"},
            .password = "not-the-password", .exit = 2,
            .told = {"did not accept the text: 403 Authorization failed for sendsms"}});
        row("--quota with --gateway", {
            .args = {"--gateway", "{gateway}", "--quota"}, .exit = 1,
            .told = {"--quota: an SMS gateway reports no quota"}});
        row("--quota with the gateway route in the settings", {
            .args = {"--quota"}, .routeInSettings = true, .exit = 1,
            .told = {"reports no quota"}});
        // clang-format on
    }
    void throughAKannelGateway() {
        QFETCH(GatewayRun, r);
        if (const QString missing = Kannel::notInstalled(); !missing.isEmpty())
            QSKIP(qPrintable(missing));
        Fixture f;
        QVERIFY(f.prepare());
        Kannel kannel;
        QVERIFY2(kannel.start(), qPrintable(kannel.errorText()));
        if (r.routeInSettings) {
            save_setting("sendroute", "kannel");
            save_setting("gatewayurl", kannel.url());
            save_setting("gatewayusername", kannel.username);
        }
        QFile settingsFile(settingsFilePath());
        QVERIFY(settingsFile.open(QIODevice::ReadOnly));
        const QByteArray settingsBefore = settingsFile.readAll();
        settingsFile.close();
        Run run;
        run.args = r.args.replaceInStrings("{gateway}", kannel.url());
        run.password = r.password;
        QByteArray out, err;

        QCOMPARE(f.run(run, &out, &err), r.exit);

        for (const QString& line : r.told)
            QVERIFY2(err.contains(line.toUtf8()), err.constData());
        QVERIFY(!err.contains(kannel.password.toUtf8()));
        if (!r.delivered.isEmpty())
            QVERIFY(kannel.waitForParts(int(r.delivered.size())));
        QTest::qWait(500); // a text sent twice would show up by now
        QList<Delivered> delivered;
        for (const KannelDelivery& d : kannel.deliveries())
            delivered.append({d.to, d.text});
        QCOMPARE(delivered, r.delivered);
        QVERIFY(f.sim.requests().isEmpty());
        QVERIFY(settingsFile.open(QIODevice::ReadOnly));
        QCOMPARE(settingsFile.readAll(), settingsBefore);
    }

    // Qt Core and Network only: no widgets, no graphical interface.
    void linksNoWindowLibraries() {
        QProcess ldd;
        ldd.start("ldd", {ZEMBLE_SEND_PATH});
        QVERIFY(ldd.waitForFinished(10000));
        const QString libraries = QString::fromLocal8Bit(ldd.readAllStandardOutput());
        QVERIFY2(libraries.contains("libQt6Network") && libraries.contains("libQt6Core"),
                 qPrintable(libraries));
        QVERIFY(!libraries.contains("Qt6Widgets") && !libraries.contains("Qt6Gui"));
    }

    // A message of exactly the longest length that can be sent is taken, given on the command
    // line or on standard input with its line break: a dry run lists all its parts.
    void longestMessageIsTaken_data() {
        QTest::addColumn<Run>("r");
        const QString longest(32767, u'x');
        QTest::newRow("on the command line") << Run{.args = {"-n", "-m", longest, "Anna"}};
        QTest::newRow("on standard input")
            << Run{.args = {"-n", "Anna"}, .input = longest.toUtf8() + '\n'};
    }
    void longestMessageIsTaken() {
        QFETCH(Run, r);
        Fixture f;
        QVERIFY2(f.prepare(), qPrintable(f.sim.errorText()));
        QByteArray out, err;
        QCOMPARE(f.run(r, &out, &err), 0);
        QCOMPARE(err, QByteArray());
        QVERIFY2(out.contains("\n285 parts, sent as "), out.left(200).constData());
        QVERIFY(out.contains("\n  285 of 285: "));
    }
};

QTEST_GUILESS_MAIN(TestZembleSend)
#include "tst_main.moc"
