#include "platform/page_display.h"

#include "platform/service.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTextBrowser>

#include <cctype>

namespace zemble::platform {
namespace {

// Tags the window shows, always without attributes.
bool isShownTag(QStringView name) {
    static const QStringList shown = {
        QStringLiteral("b"),      QStringLiteral("strong"), QStringLiteral("i"),
        QStringLiteral("em"),     QStringLiteral("u"),      QStringLiteral("s"),
        QStringLiteral("strike"), QStringLiteral("small"),  QStringLiteral("big"),
        QStringLiteral("tt"),     QStringLiteral("code"),   QStringLiteral("sub"),
        QStringLiteral("sup"),    QStringLiteral("div"),    QStringLiteral("p"),
        QStringLiteral("center"), QStringLiteral("pre"),    QStringLiteral("blockquote"),
        QStringLiteral("h1"),     QStringLiteral("h2"),     QStringLiteral("h3"),
        QStringLiteral("h4"),     QStringLiteral("h5"),     QStringLiteral("h6"),
        QStringLiteral("ul"),     QStringLiteral("ol"),     QStringLiteral("li"),
        QStringLiteral("dl"),     QStringLiteral("dt"),     QStringLiteral("dd"),
        QStringLiteral("table"),  QStringLiteral("tr"),     QStringLiteral("td"),
        QStringLiteral("th"),     QStringLiteral("br"),     QStringLiteral("hr")};
    return shown.contains(name);
}

// Elements whose content is not text to read.
bool isHiddenElement(QStringView name) {
    return name == u"script" || name == u"style" || name == u"title" || name == u"textarea";
}

// Parsing and laying out nested elements costs more with every level, so
// nesting is bounded.
constexpr int kMaxDepth = 16;
// A run of characters without a break opportunity longer than this gets one.
constexpr int kMaxRun = 64;
constexpr QChar kBreakOpportunity(0x200B); // zero width space

// Turns the head of a page into the tame copy, tag by tag.
class Tamer {
public:
    explicit Tamer(QStringView page) : page_(page) {}

    // The tame copy of the page, up to about `limit` characters of it.
    QString run(qsizetype limit) {
        while (pos_ < page_.size() && out_.size() < limit) {
            if (page_[pos_] == u'<')
                tag();
            else
                text();
        }
        while (!open_.isEmpty())
            closeTop();
        return out_;
    }

    // How much of the page the copy covers.
    qsizetype consumed() const { return pos_; }

private:
    void text() {
        const QChar c = page_[pos_];
        if (c == u'&') {
            const qsizetype length = entityLength();
            if (length > 0) {
                out_ += page_.mid(pos_, length);
                pos_ += length;
                countCharacter();
                return;
            }
            out_ += QLatin1String("&amp;");
        } else if (c == u'>') {
            out_ += QLatin1String("&gt;");
        } else if (c.isHighSurrogate() && pos_ + 1 < page_.size() &&
                   page_[pos_ + 1].isLowSurrogate()) {
            // A pair of surrogates is one character, never split.
            out_ += page_.mid(pos_, 2);
            ++pos_;
        } else {
            out_ += c;
        }
        ++pos_;
        if (c.isSpace())
            run_ = 0;
        else
            countCharacter();
    }

    // The length of the character reference at "&" ("&amp;", "&#163;",
    // "&#xA3;"), 0 when there is none and the "&" stands for itself.
    qsizetype entityLength() const {
        const QStringView rest = page_.mid(pos_ + 1, 40);
        enum { Named, Decimal, Hex } kind = Named;
        qsizetype p = 0;
        if (rest.startsWith(u"#x", Qt::CaseInsensitive))
            kind = Hex, p = 2;
        else if (rest.startsWith(u'#'))
            kind = Decimal, p = 1;
        const qsizetype start = p;
        const qsizetype most = kind == Hex ? 6 : kind == Decimal ? 7 : 32;
        const auto accepts = [kind](QChar ch) {
            const auto a = static_cast<unsigned char>(ch.toLatin1()); // 0 beyond Latin-1
            return kind == Hex       ? std::isxdigit(a)
                   : kind == Decimal ? std::isdigit(a)
                                     : std::isalnum(a);
        };
        while (p < rest.size() && p - start < most && accepts(rest[p]))
            ++p;
        if (p == start || p >= rest.size() || rest[p] != u';' ||
            (kind == Named && !std::isalpha(static_cast<unsigned char>(rest[start].toLatin1()))))
            return 0;
        return p + 2; // the "&", the name or number and the ";"
    }

    void countCharacter() {
        if (++run_ >= kMaxRun) {
            out_ += kBreakOpportunity;
            run_ = 0;
        }
    }

    // At "<": a comment, a declaration, a tag, or a lone "<" of the text.
    void tag() {
        const QStringView rest = page_.mid(pos_);
        if (rest.startsWith(u"<!--")) {
            const qsizetype end = page_.indexOf(u"-->", pos_ + 4);
            pos_ = end < 0 ? page_.size() : end + 3;
            return;
        }
        const bool closing = rest.size() > 1 && rest[1] == u'/';
        qsizetype p = pos_ + 1 + (closing ? 1 : 0);
        const qsizetype nameStart = p;
        while (p < page_.size() && page_[p].isLetterOrNumber() && page_[p].unicode() < 128)
            ++p;
        const bool declaration = rest.size() > 1 && (rest[1] == u'!' || rest[1] == u'?');
        if (p == nameStart && !declaration) {
            out_ += QLatin1String("&lt;");
            ++pos_;
            countCharacter();
            return;
        }
        const QString name = page_.mid(nameStart, p - nameStart).toString().toLower();
        // The tag ends at the first ">" outside a quoted attribute value.
        QChar quote;
        while (p < page_.size() && (!quote.isNull() || page_[p] != u'>')) {
            if (!quote.isNull() && page_[p] == quote)
                quote = QChar();
            else if (quote.isNull() && (page_[p] == u'"' || page_[p] == u'\''))
                quote = page_[p];
            ++p;
        }
        pos_ = qMin(p + 1, page_.size());
        if (declaration || !isShownTag(name)) {
            if (!closing && isHiddenElement(name))
                skipContent(name);
            return;
        }
        if (name == u"br" || name == u"hr") {
            out_ += QLatin1Char('<') + name + QLatin1Char('>');
            return;
        }
        // Cells run on as text with a wide gap between them: a table costs
        // the rich-text engine far more to lay out than the text it holds.
        if (name == u"td" || name == u"th") {
            if (!closing && cells_++ > 0)
                out_ += QLatin1String("&nbsp;&nbsp; ");
            return;
        }
        if (name == u"tr" || name == u"table")
            cells_ = 0;
        if (closing) {
            if (open_.contains(name)) {
                while (open_.last() != name)
                    closeTop();
                closeTop();
            }
            return;
        }
        // A paragraph, an item or a row ends where the next one begins.
        static const QStringList runOn = {QStringLiteral("p"), QStringLiteral("li"),
                                          QStringLiteral("dt"), QStringLiteral("dd"),
                                          QStringLiteral("tr")};
        if (!open_.isEmpty() && open_.last() == name && runOn.contains(name))
            closeTop();
        if (open_.size() >= kMaxDepth)
            return;
        open_.append(name);
        out_ += QLatin1Char('<') + shownAs(name) + QLatin1Char('>');
    }

    void closeTop() { out_ += QLatin1String("</") + shownAs(open_.takeLast()) + QLatin1Char('>'); }

    // Tables and their rows become plain blocks.
    static QString shownAs(const QString& name) {
        return name == u"table" || name == u"tr" ? QStringLiteral("div") : name;
    }

    // Past the end tag of an element whose content is not shown.
    void skipContent(const QString& name) {
        const qsizetype end = page_.indexOf(QLatin1String("</") + name, pos_, Qt::CaseInsensitive);
        const qsizetype after = end < 0 ? -1 : page_.indexOf(u'>', end);
        pos_ = after < 0 ? page_.size() : after + 1;
    }

    QStringView page_;
    qsizetype pos_ = 0;
    QString out_;
    QStringList open_;
    int run_ = 0;
    int cells_ = 0; // of the current row
};

class PageWindow final : public PageDisplayService {
public:
    ~PageWindow() override {
        // Past the end of the application object a widget can no longer be
        // destroyed; the process is ending then anyway.
        if (window_ && QCoreApplication::instance())
            delete window_.data();
    }

    void open() override {
        if (window_)
            return;
        auto* view = new QTextBrowser;
        view->setObjectName(QStringLiteral("pageDisplay"));
        view->setAttribute(Qt::WA_DeleteOnClose);
        view->setWindowTitle(QStringLiteral("O2"));
        // Never follow links inside the page: it is shown, not browsed.
        view->setOpenLinks(false);
        view->resize(360, 360);
        view->move(100, 100);
        view->setHtml(QString());
        view->show();
        window_ = view;
    }

    void showPage(const QString& html) override {
        if (window_)
            window_->setHtml(displayableHtml(html));
    }

    void hide() override {
        if (window_)
            window_->hide();
    }

    void close() override {
        if (window_)
            window_->close(); // deletes itself
        window_.clear();
    }

    // A window the user closed from its frame counts as closed.
    bool isOpen() const override { return !window_.isNull(); }

private:
    QPointer<QTextBrowser> window_;
};

} // namespace

QString displayableHtml(const QString& page) {
    Tamer tamer(page);
    QString shown = tamer.run(kShownPageChars);
    const qsizetype rest = page.size() - tamer.consumed();
    if (rest > 0)
        shown += QStringLiteral("<hr><p><i>The rest of this page (%1 more characters) is not "
                                "shown.</i></p>")
                     .arg(rest);
    return shown;
}

PageDisplayService& PageDisplayService::real() {
    static PageWindow service;
    return service;
}

} // namespace zemble::platform
