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
    void figure_data();
    void figure();
    void hiddenFieldMarkers_data();
    void hiddenFieldMarkers();
    void quotaFigures_data();
    void quotaFigures();
    void sendForm_data();
    void sendForm();
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
    QTest::newRow("euro in code page") << QString(QChar(0x20AC)) << "%80";
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

void TestFormText::figure_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected");
    QTest::newRow("digits") << "3" << 3;
    QTest::newRow("then words") << "12 more" << 12;
    QTest::newRow("tag before digits") << "<b>7</b>" << 0;
    QTest::newRow("blanks inside") << " 1 2" << 12;
    QTest::newRow("too large") << "99999" << 32767;
    QTest::newRow("fraction rounds") << "2.7" << 3;
}

void TestFormText::figure() {
    QFETCH(QString, text);
    QFETCH(int, expected);
    QCOMPARE(int(figure_from_text(text)), expected);
}

void TestFormText::hiddenFieldMarkers_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("marker");
    QTest::newRow("firstname") << "firstname"
                               << "input type=\"hidden\" name=\"firstname\"   value=\"";
    QTest::newRow("username") << "username"
                              << "input type=\"hidden\" name=\"username\"    value=\"";
    QTest::newRow("dest") << "dest"
                          << "input type=\"hidden\" name=\"dest\"        value=\"";
    QTest::newRow("mID") << "mID"
                         << "input type=\"hidden\" name=\"mID\"         value=\"";
    QTest::newRow("mAT") << "mAT"
                         << "input type=\"hidden\" name=\"mAT\"         value=\"";
    QTest::newRow("QE3") << "QE3"
                         << "input type=\"hidden\" name=\"QE3\"         value=\"";
}

void TestFormText::hiddenFieldMarkers() {
    QFETCH(QString, field);
    QFETCH(QString, marker);
    QCOMPARE(marker.size(), 46);
    QCOMPARE(OperatorProtocol::hidden_field_marker(field), marker);
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

void TestFormText::sendForm_data() {
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("paid");
    QTest::addColumn<QString>("body");
    QTest::newRow("free") << "071"
                          << "Hi there" << false
                          << "contacts=&msisdns=071&to=071&subject=&howtosend=freetxt&message="
                             "Hi%20there&replyType=none&x=14&y=13";
    QTest::newRow("paid, encoded number")
        << "+44 7"
        << "a&b" << true
        << "contacts=&msisdns=%2B44%207&to=%2B44%207&subject=&howtosend=paidtxt&message=a%26b"
           "&replyType=none&x=14&y=13";
}

void TestFormText::sendForm() {
    QFETCH(QString, number);
    QFETCH(QString, text);
    QFETCH(bool, paid);
    QFETCH(QString, body);
    QCOMPARE(OperatorProtocol::send_form(number, text, paid), body);
}

QTEST_GUILESS_MAIN(TestFormText)
#include "tst_form_text.moc"
