#include "session/form_text.h"
#include "session/operator_protocol.h"
#include "session/send_job.h"
#include "session/transport.h"

#include <QTest>

using namespace zemble;

using namespace Qt::StringLiterals;

class TestFormText : public QObject {
    Q_OBJECT
private slots:
    // Text as the site's forms take it: which marks are escaped, the plain ranges' edges, a
    // letter the code page lacks.
    void convertText() {
        QCOMPARE(convert_text("a b&+.=!"), "a%20b%26%2B%2E%3D%21");
        QCOMPARE(convert_text("/09:@AZ[\\]^_`az{~"), "%2F09%3A%40AZ[\\]^_%60az%7B%7E");
        QCOMPARE(convert_text(QString(QChar(0x0416))), "%3F");
    }

    // The text between two markers: found in another case, the end searched after the first
    // start.
    void textBetween() {
        QCOMPARE(text_between("<I>MiXeD</i>", "<i>", "</I>"), "MiXeD");
        QCOMPARE(text_between("] s=1] s=2]", "s=", "]"), "1");
    }

    // The free and paid figures of a page, -1 when unknown; the paid one counts only after the
    // first "TXT remaining".
    void quotaFigures_data() {
        QTest::addColumn<QString>("page");
        QTest::addColumn<int>("free");
        QTest::addColumn<int>("paid");
        const QString free = "Use free TXT - you have ", paid = "Use paid TXT - you have ";
        QTest::newRow("both figures")
            << free + "3 TXT remaining<br>" + paid + "0 TXT remaining" << 3 << 0;
        QTest::newRow("no free figure")
            << "xx 4 TXT remaining " + paid + "9 TXT remaining" << -1 << 9;
        QTest::newRow("a paid figure before the first TXT remaining")
            << paid + "8 TXT remaining " + free + "4 TXT remaining" << 4 << -1;
        QTest::newRow("words after the figure") << free + "12 more TXT remaining" << 12 << -1;
        QTest::newRow("markup around the figure") << free + "<b>7</b> TXT remaining" << 0 << -1;
    }
    void quotaFigures() {
        QFETCH(QString, page);
        QFETCH(int, free);
        QFETCH(int, paid);
        QCOMPARE(int(OperatorProtocol::freeQuotaOf(page)), free);
        QCOMPARE(int(OperatorProtocol::paidQuotaOf(page)), paid);
    }

    // A code outside the transfer states shows no name rather than reading past the list.
    void statusTextOutsideTheStates() {
        QCOMPARE(Transport::statusText(12), "Status: Completed.");
        QCOMPARE(Transport::statusText(13), "Status: .");
        QCOMPARE(Transport::statusText(-1), "Status: .");
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
