// Shows hostile pages of 8 MiB (the transport's cap) in the page display
// window and prints how long each blocks the program: from handing the page
// over to the window until it is laid out in full and painted.  The last line
// gives the worst of them.
//
//   QT_QPA_PLATFORM=offscreen ./bench_page_display

#include "platform/page_display.h"
#include "session/transport.h"

#include "measure.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QElapsedTimer>
#include <QTextBrowser>

#include <algorithm>
#include <cstdio>

namespace {

// `piece` repeated up to the cap.
QString filled(const QString& head, const QString& piece) {
    const qsizetype cap = zemble::Transport::kMaxPageBytes;
    return head + piece.repeated((cap - head.size()) / piece.size());
}

QTextBrowser* shownWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("pageDisplay"))
            return qobject_cast<QTextBrowser*>(w);
    return nullptr;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    struct Page {
        const char* name;
        QString html;
    };
    const Page pages[] = {
        {"one word", filled({}, QStringLiteral("a"))},
        {"one line in <pre>", filled(QStringLiteral("<pre>"), QStringLiteral("a"))},
        {"ordinary words", filled({}, QStringLiteral("word "))},
        {"line breaks", filled({}, QStringLiteral("a<br>"))},
        {"paragraphs", filled({}, QStringLiteral("<p>a"))},
        {"nested tables", filled({}, QStringLiteral("<table><tr><td>"))},
        {"padded tables", filled({}, QStringLiteral("<table cellpadding=99999999><tr><td>x"))},
        {"wide cells",
         filled(QStringLiteral("<table><tr>"), QStringLiteral("<td colspan=99999999>x</td>"))},
        {"flat table cells", filled(QStringLiteral("<table><tr>"), QStringLiteral("<td>x"))},
        {"flat table rows", filled(QStringLiteral("<table>"), QStringLiteral("<tr><td>x"))},
        {"nested lists", filled({}, QStringLiteral("<ul><li>"))},
        {"nested divs", filled({}, QStringLiteral("<div>x"))},
        {"nested spans", filled({}, QStringLiteral("<span>x"))},
        {"images of /dev/zero", filled({}, QStringLiteral("<img src=\"/dev/zero\">"))},
        {"entities", filled({}, QStringLiteral("&nbsp;"))},
        {"style sheet", filled(QStringLiteral("<style>"), QStringLiteral("p b i{color:red}"))},
        {"huge fonts", filled({}, QStringLiteral("<h1>W</h1>"))},
        {"emoji", filled({}, QString::fromUtf8("\xF0\x9F\x98\x80"))},
    };

    zemble::platform::PageDisplayService& display = zemble::platform::PageDisplayService::real();
    double worst = 0;
    const char* worstName = "";
    for (const Page& page : pages) {
        QList<double> ms;
        for (int run = 0; run < zemble::bench::kRuns; ++run) {
            display.close();
            display.open();
            QCoreApplication::processEvents();
            QElapsedTimer clock;
            clock.start();
            display.showPage(page.html);
            QTextBrowser* view = shownWindow();
            view->document()->documentLayout()->documentSize();
            view->document()->pageCount(); // lays out the whole document
            view->grab();
            QCoreApplication::processEvents();
            ms.append(double(clock.nsecsElapsed()) / 1e6);
        }
        std::sort(ms.begin(), ms.end());
        const double median = ms.at(ms.size() / 2);
        std::printf("%-22s %5.2f MiB  median %8.2f ms  max %8.2f ms\n", page.name,
                    double(page.html.size()) / (1024 * 1024), median, ms.last());
        if (ms.last() > worst) {
            worst = ms.last();
            worstName = page.name;
        }
    }
    display.close();
    std::printf("worst page up to 8 MiB shown: %.2f ms (%s)\n", worst, worstName);
    return 0;
}
