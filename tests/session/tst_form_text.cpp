#include "session/form_text.h"
#include "session/operator_protocol.h"
#include "session/send_job.h"
#include "session/transport.h"

#include <QTest>

using namespace zemble;

namespace {
// One "a|b|..." string per row, named by itself.
void rows(std::initializer_list<QString> list) {
    QTest::addColumn<QStringList>("c");
    for (const QString& row : list)
        QTest::newRow(qPrintable(row)) << row.split(u'|');
}
} // namespace

class TestFormText : public QObject {
    Q_OBJECT
private slots:
    // "text|form": which marks are escaped, the plain ranges' edges, a letter the code page lacks.
    void convertText_data() {
        rows({"a b&+.=!|a%20b%26%2B%2E%3D%21", "/09:@AZ[\\]^_`az{~|%2F09%3A%40AZ[\\]^_%60az%7B%7E",
              QString(QChar(0x0416)) + "|%3F"});
    }
    void convertText() {
        QFETCH(QStringList, c);
        QCOMPARE(convert_text(c[0]), c[1]);
    }

    // "page|start|end|value": markers in another case; the end searched after the first start.
    void textBetween_data() { rows({"<I>MiXeD</i>|<i>|</I>|MiXeD", "] s=1] s=2]|s=|]|1"}); }
    void textBetween() {
        QFETCH(QStringList, c);
        QCOMPARE(text_between(c[0], c[1], c[2]), c[3]);
    }

    // "page|free|paid", -1 when unknown; {f} and {p} stand for the site's phrases.
    void quotaFigures_data() {
        rows({"{f}3 TXT remaining<br>{p}0 TXT remaining|3|0",
              "xx 4 TXT remaining {p}9 TXT remaining|-1|9",
              "{p}8 TXT remaining {f}4 TXT remaining|4|-1", "{f}12 more TXT remaining|12|-1",
              "{f}<b>7</b> TXT remaining|0|-1"});
    }
    void quotaFigures() {
        QFETCH(QStringList, c);
        const QString page = QString(c[0])
                                 .replace("{f}", "Use free TXT - you have ")
                                 .replace("{p}", "Use paid TXT - you have ");
        QCOMPARE(QString("%1|%2")
                     .arg(OperatorProtocol::freeQuotaOf(page))
                     .arg(OperatorProtocol::paidQuotaOf(page)),
                 c[1] + '|' + c[2]);
    }

    // The transfer states as the send window's status line shows them; 13 is no state.
    void statusTexts() {
        const QStringList names =
            QString("|Resolving host|Resolved|Connecting|Connected|Requesting|"
                    "Request sent|Receiving response|Response received|"
                    "Disconnecting|Disconnected|Communication error|Completed|")
                .split('|');
        for (int code = 0; code < names.size(); ++code)
            QCOMPARE(Transport::statusText(code), "Status: " + names[code] + '.');
    }

    // The sent-message time: a 12-hour clock, whatever the machine's language.
    void sentTime() {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(sentTimeText({{2026, 1, 4}, {0, 5, 0}}), "Sunday 4 Jan 2026, 12:05:00 am");
        QCOMPARE(sentTimeText({{2003, 5, 22}, {19, 3, 9}}), "Thursday 22 May 2003, 07:03:09 pm");
        QCOMPARE(sentTimeText({{2024, 9, 30}, {12, 0, 59}}), "Monday 30 Sep 2024, 12:00:59 pm");
    }
};

QTEST_GUILESS_MAIN(TestFormText)
#include "tst_form_text.moc"
