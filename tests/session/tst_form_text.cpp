#include "session/form_text.h"
#include "session/operator_protocol.h"
#include "session/send_job.h"
#include "session/transport.h"

#include <QTest>

using namespace zemble;

namespace {
void row(const char* name, const QString& a, const QString& b, const QString& c = {},
         const QString& d = {}) {
    QTest::newRow(name) << a << b << c << d;
}
void columns(std::initializer_list<const char*> names) {
    for (const char* name : names)
        QTest::addColumn<QString>(name);
}
} // namespace

class TestFormText : public QObject {
    Q_OBJECT
private slots:
    void convertText_data() {
        columns({"input", "expected", "c", "d"});
        row("space and underscore", "a b_c", "a%20b_c");
        row("crlf keeps two digits", "\r\n", "%0D%0A");
        row("line feed then 3 is not a pound", "\n3", "%0A3");
        row("empty", "", "");
        row("form marks", "&+.=!", "%26%2B%2E%3D%21");
        row("letter outside code page", QString(QChar(0x0416)), "%3F");
        row("range edges", "/09:@AZ[\\]^_`az{~", "%2F09%3A%40AZ[\\]^_%60az%7B%7E");
        row("control, pound and top", QString(QChar(1)) + QChar(0xA3) + QChar(0xFF), "%01%A3%FF");
    }
    void convertText() {
        QFETCH(QString, input);
        QFETCH(QString, expected);
        QCOMPARE(convert_text(input), expected);
    }

    void textBetween_data() {
        columns({"page", "start", "end", "expected"});
        row("start absent, end present", "value] more", "v=[", "]", "");
        row("empty value is absent", "v=[]", "v=[", "]", "");
        row("end absent", "v=[abc", "v=[", "]", "");
        row("markers in other case, value keeps its case", "<I>MiXeD</i>", "<i>", "</I>", "MiXeD");
        row("first start, next end after it", "] s=1] s=2]", "s=", "]", "1");
        row("end before start ignored", "x]v=[abc]", "v=[", "]", "abc");
    }
    void textBetween() {
        QFETCH(QString, page);
        QFETCH(QString, start);
        QFETCH(QString, end);
        QFETCH(QString, expected);
        QCOMPARE(text_between(page, start, end), expected);
    }

    // Free and paid figures, -1 when unknown.
    void quotaFigures_data() {
        columns({"page", "free", "paid", "d"});
        const QString f = "Use free TXT - you have ", p = "Use paid TXT - you have ";
        row("both", f + "3 TXT remaining<br>" + p + "0 TXT remaining", "3", "0");
        row("no free phrase", "xx 4 TXT remaining " + p + "9 TXT remaining", "-1", "9");
        row("no TXT remaining at all", f + "3 " + p + "2", "-1", "-1");
        row("paid before the first remaining is not read",
            p + "8 TXT remaining " + f + "4 TXT remaining", "4", "-1");
        row("figure then words", f + "12 more TXT remaining", "12", "-1");
        row("tag before the figure", f + "<b>7</b> TXT remaining", "0", "-1");
        row("figure past 16 bits", f + "99999 TXT remaining", "32767", "-1");
    }
    void quotaFigures() {
        QFETCH(QString, page);
        QFETCH(QString, free);
        QFETCH(QString, paid);
        QCOMPARE(QString::number(OperatorProtocol::freeQuotaOf(page)), free);
        QCOMPARE(QString::number(OperatorProtocol::paidQuotaOf(page)), paid);
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
