#include "session/form_text.h"
#include "session/operator_protocol.h"

#include <QTest>

using namespace zemble;

class TestFormText : public QObject {
    Q_OBJECT
private slots:
    void convertText_data();
    void convertText();
    void textBetween_data();
    void textBetween();
    void hiddenFieldMarkers();
    void quotaFigures_data();
    void quotaFigures();
};

void TestFormText::convertText_data() {
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");
    QTest::newRow("space and underscore") << "a b_c"
                                          << "a%20b_c";
    QTest::newRow("exclamation") << "Hi!"
                                 << "Hi%21";
    QTest::newRow("crlf keeps two digits") << "\r\n"
                                           << "%0D%0A";
    QTest::newRow("line feed then 3 is not a pound") << "\n3"
                                                     << "%0A3";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("form marks") << "&+.="
                                << "%26%2B%2E%3D";
    QTest::newRow("pound in code page") << QString(QChar(0xA3)) << "%A3";
    QTest::newRow("letter outside code page") << QString(QChar(0x0416)) << "%3F";
    QTest::newRow("range edges") << "/09:@AZ[\\]^_`az{~"
                                 << "%2F09%3A%40AZ[\\]^_%60az%7B%7E";
    QTest::newRow("control and top") << QString(QChar(1)) + QChar(0xFF) << "%01%FF";
}

void TestFormText::convertText() {
    QFETCH(QString, input);
    QFETCH(QString, expected);
    QCOMPARE(convert_text(input), expected);
}

void TestFormText::textBetween_data() {
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << "a <b>x</b> c"
                           << "<b>"
                           << "</b>"
                           << "x";
    QTest::newRow("start absent, end present") << "value] more"
                                               << "v=["
                                               << "]"
                                               << "";
    QTest::newRow("empty value is absent") << "v=[]"
                                           << "v=["
                                           << "]"
                                           << "";
    QTest::newRow("end absent") << "v=[abc"
                                << "v=["
                                << "]"
                                << "";
    QTest::newRow("markers in other case") << "use FREE txt - you have 5 txt remaining"
                                           << "Use free TXT - you have "
                                           << " TXT remaining"
                                           << "5";
    QTest::newRow("first start, next end after it") << "] s=1] s=2]"
                                                    << "s="
                                                    << "]"
                                                    << "1";
    QTest::newRow("end before start ignored") << "x]v=[abc]"
                                              << "v=["
                                              << "]"
                                              << "abc";
    QTest::newRow("value keeps its case") << "<I>MiXeD</i>"
                                          << "<i>"
                                          << "</I>"
                                          << "MiXeD";
}

void TestFormText::textBetween() {
    QFETCH(QString, page);
    QFETCH(QString, start);
    QFETCH(QString, end);
    QFETCH(QString, expected);
    QCOMPARE(text_between(page, start, end), expected);
}

void TestFormText::hiddenFieldMarkers() {
    const QStringList markers{"input type=\"hidden\" name=\"firstname\"   value=\"",
                              "input type=\"hidden\" name=\"username\"    value=\"",
                              "input type=\"hidden\" name=\"dest\"        value=\"",
                              "input type=\"hidden\" name=\"mID\"         value=\"",
                              "input type=\"hidden\" name=\"mAT\"         value=\"",
                              "input type=\"hidden\" name=\"QE3\"         value=\""};
    const QStringList fields{"firstname", "username", "dest", "mID", "mAT", "QE3"};
    for (int i = 0; i < fields.size(); ++i) {
        QCOMPARE(markers[i].size(), 46);
        QCOMPARE(OperatorProtocol::hidden_field_marker(fields[i]), markers[i]);
    }
}

void TestFormText::quotaFigures_data() {
    QTest::addColumn<QString>("page");
    QTest::addColumn<int>("free");
    QTest::addColumn<int>("paid");
    QTest::newRow("both") << "Use free TXT - you have 3 TXT remaining<br>"
                             "Use paid TXT - you have 0 TXT remaining"
                          << 3 << 0;
    QTest::newRow("no free phrase")
        << "xx 4 TXT remaining Use paid TXT - you have 9 TXT remaining" << -1 << 9;
    QTest::newRow("no TXT remaining at all")
        << "Use free TXT - you have 3 Use paid TXT - you have 2" << -1 << -1;
    QTest::newRow("paid before the first remaining is not read")
        << "Use paid TXT - you have 8 TXT remaining Use free TXT - you have 4 TXT remaining" << 4
        << -1;
    QTest::newRow("figure then words")
        << "Use free TXT - you have 12 more TXT remaining" << 12 << -1;
    QTest::newRow("tag before the figure")
        << "Use free TXT - you have <b>7</b> TXT remaining" << 0 << -1;
    QTest::newRow("figure past 16 bits")
        << "Use free TXT - you have 99999 TXT remaining" << 32767 << -1;
    QTest::newRow("any letter case") << "use FREE txt - you have 5 txt remaining" << 5 << -1;
    QTest::newRow("empty figure") << "Use free TXT - you have  TXT remaining" << -1 << -1;
}

void TestFormText::quotaFigures() {
    QFETCH(QString, page);
    QFETCH(int, free);
    QFETCH(int, paid);
    QCOMPARE(int(OperatorProtocol::free_quota_of(page)), free);
    QCOMPARE(int(OperatorProtocol::paid_quota_of(page)), paid);
}

QTEST_GUILESS_MAIN(TestFormText)
#include "tst_form_text.moc"
