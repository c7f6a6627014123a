#include "core/settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <unistd.h>

namespace zemble {
namespace {

const QString kSection = QStringLiteral("settings/");

QString& overridePath() {
    static QString path;
    return path;
}

std::unique_ptr<QSettings> openStore() {
    return std::make_unique<QSettings>(settingsFilePath(), QSettings::IniFormat);
}

// The file holds the remembered password: only its owner may read it.  What
// the owner may do is left alone, so a file made read-only stays so.
void restrictToOwner(const QString& path) {
    const QFileDevice::Permissions owner = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    const QFileInfo info(path);
    for (const QString& each : {info.absolutePath(), path})
        if (QFileInfo::exists(each))
            QFile::setPermissions(each, QFile::permissions(each) & owner);
}

struct ProblemReport {
    SettingsProblemHandler handler;
    bool told = false;
};

ProblemReport& problemReport() {
    static ProblemReport report;
    return report;
}

// The store says only that a write failed, not why: the reason is found by
// doing what it does once more, by hand, without touching the file itself.
QString reasonNotWritten(const QString& path) {
    const QFileInfo info(path);
    if (info.exists()) {
        QFile file(path);
        if (!file.open(QIODevice::ReadWrite))
            return file.errorString();
    }
    // The new file beside the old one, as large as the old one and more.
    QTemporaryFile probe(path);
    if (!probe.open())
        return probe.errorString();
    const QByteArray filler(info.size() + 4096, '\n');
    for (qsizetype done = 0; done < filler.size();) {
        const ssize_t wrote =
            ::write(probe.handle(), filler.constData() + done, size_t(filler.size() - done));
        if (wrote < 0 && errno != EINTR)
            return QString::fromLocal8Bit(std::strerror(errno));
        done += qMax<ssize_t>(wrote, 0);
    }
    return QStringLiteral("The reason is not known.");
}

void tellNotWritten(const QString& path) {
    ProblemReport& report = problemReport();
    if (report.told)
        return;
    report.told = true;
    const QString reason = reasonNotWritten(path);
    if (report.handler)
        report.handler(path, reason);
    else
        qWarning("Settings not saved to %s: %s", qPrintable(path), qPrintable(reason));
}

void writeStore(const std::function<void(QSettings&)>& change) {
    const QString path = settingsFilePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    restrictToOwner(path);
    bool written = false;
    {
        auto store = openStore();
        change(*store);
        store->sync();
        written = store->status() != QSettings::AccessError;
    }
    restrictToOwner(path);
    if (!written)
        tellNotWritten(path);
}

int shiftAfter(int shift) {
    return shift == 2 ? 1 : shift == 1 ? 5 : 2;
}

} // namespace

QString settingsFilePath() {
    if (!overridePath().isEmpty())
        return overridePath();
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return base + QStringLiteral("/Zemble/Zemble.ini");
}

void setSettingsFilePath(const QString& path) {
    overridePath() = path;
}

void setSettingsProblemHandler(SettingsProblemHandler handler) {
    problemReport() = {std::move(handler), false};
}

QString get_setting(const QString& key, const QString& fallback) {
    return openStore()->value(kSection + key, fallback).toString();
}

QString get_setting(const QString& key, const char* fallback) {
    return get_setting(key, QString::fromUtf8(fallback));
}

QString get_setting(const QString& key, int fallback) {
    return get_setting(key, QString::number(fallback));
}

void save_setting(const QString& key, const QString& value) {
    writeStore([&](QSettings& s) { s.setValue(kSection + key, value); });
}

void saveSettings(const QList<std::pair<QString, QString>>& values) {
    writeStore([&](QSettings& s) {
        for (const auto& [key, value] : values)
            s.setValue(kSection + key, value);
    });
}

void delete_setting(const QString& key) {
    if (!openStore()->contains(kSection + key))
        return;
    writeStore([&](QSettings& s) { s.remove(kSection + key); });
}

bool settingIsYes(const QString& key) {
    return get_setting(key, "no") == QLatin1String("yes");
}

QString readSetting(const Setting<QString>& setting) {
    return get_setting(QString::fromLatin1(setting.key), setting.fallback);
}

bool readSetting(const Setting<bool>& setting) {
    const QString stored =
        get_setting(QString::fromLatin1(setting.key), setting.fallback ? "yes" : "no");
    return stored == QLatin1String("yes");
}

int readSetting(const Setting<int>& setting) {
    return leadingNumberInt16(get_setting(QString::fromLatin1(setting.key), setting.fallback));
}

void writeSetting(const Setting<QString>& setting, const QString& value) {
    save_setting(QString::fromLatin1(setting.key), value);
}

void writeSetting(const Setting<bool>& setting, bool on) {
    save_setting(QString::fromLatin1(setting.key),
                 on ? QStringLiteral("yes") : QStringLiteral("no"));
}

void writeSetting(const Setting<int>& setting, int value) {
    save_setting(QString::fromLatin1(setting.key), QString::number(value));
}

std::optional<QString> storedSettingText(const QString& key) {
    const QVariant value = openStore()->value(kSection + key);
    if (!value.isValid())
        return std::nullopt;
    return value.toString();
}

QString scramble_password(const QString& password) {
    QString out;
    out.reserve(password.size());
    int shift = 2;
    for (const QChar ch : password) {
        int c = ch.unicode();
        if (c >= 32 && c <= 126) {
            c += shift;
            if (c > 126)
                c -= 95;
            out.append(QChar(c));
        } else {
            out.append(ch);
        }
        shift = shiftAfter(shift);
    }
    return out;
}

QString unscramble_password(const QString& stored) {
    QString out;
    out.reserve(stored.size());
    int shift = 2;
    for (const QChar ch : stored) {
        int c = ch.unicode();
        if (c >= 32 && c <= 126) {
            c -= shift;
            if (c < 32)
                c += 95;
            out.append(QChar(c));
        } else {
            out.append(ch);
        }
        shift = shiftAfter(shift);
    }
    return out;
}

qint16 leadingNumberInt16(const QString& text) {
    // Blanks anywhere before or inside the numeral are passed over.
    QString numeral;
    qsizetype i = 0;
    auto skipBlanks = [&] {
        while (i < text.size() &&
               (text[i] == u' ' || text[i] == u'\t' || text[i] == u'\n' || text[i] == u'\r'))
            ++i;
    };
    skipBlanks();
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        numeral.append(text[i++]);
    bool seenDigit = false;
    bool seenPoint = false;
    for (;; ++i) {
        skipBlanks();
        if (i >= text.size())
            break;
        const QChar c = text[i];
        if (c.isDigit() && c.unicode() < 128) {
            numeral.append(c);
            seenDigit = true;
        } else if (c == u'.' && !seenPoint) {
            numeral.append(c);
            seenPoint = true;
        } else {
            break;
        }
    }
    if (!seenDigit)
        return 0;
    const double value = numeral.toDouble();
    if (value >= 32767.0)
        return 32767;
    if (value <= -32768.0)
        return -32768;
    return static_cast<qint16>(std::nearbyint(value)); // default rounding: half to even
}

int sendTypeIndex(const QString& stored) {
    return sendTypeIndex(int(leadingNumberInt16(stored)));
}

int sendTypeIndex(int stored) {
    return stored >= 1 ? 1 : 0;
}

} // namespace zemble
