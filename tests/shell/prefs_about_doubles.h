#pragma once

// Doubles of the file chooser, the desktop browser and the help viewer for the
// preferences and About window tests: each records what it was asked.

#include "platform/file_dialog.h"
#include "platform/help.h"
#include "platform/service.h"
#include "platform/web_browser.h"

#include <QStringList>

namespace zemble::test::prefs {

class RecordingFileDialog final : public platform::FileDialogService {
public:
    QString openFile(const QString& title, const QString& filters) override {
        return record(QStringLiteral("open"), title, filters);
    }
    QString saveFile(const QString& title, const QString& filters) override {
        return record(QStringLiteral("save"), title, filters);
    }

    // What the next chooser returns; "" is a cancelled chooser.
    QString answer;
    QStringList kinds;
    QStringList filterLists;

private:
    QString record(const QString& kind, const QString&, const QString& filters) {
        kinds.append(kind);
        filterLists.append(filters);
        return answer;
    }
};

class RecordingBrowser final : public platform::WebBrowserService {
public:
    void openAddress(const QString& address) override { opened.append(address); }
    QStringList opened;
};

class RecordingHelp final : public platform::HelpService {
public:
    void showTopic(const QString& page) override { topics.append(page); }
    void showContents() override { topics.append(QStringLiteral("(contents)")); }
    QStringList topics;
};

} // namespace zemble::test::prefs
