#pragma once

#include <QList>
#include <QString>

class QSslCertificate;

#include <optional>

namespace zemble {

// The settings that say where the operator's site is: the four host keys
// and "extracafile".  They are set only from outside the program, so they
// are checked before a send or a quota check makes its first request; a
// value that cannot work is refused by name instead of surfacing later as a
// connection to the wrong port or a failed handshake.

// One setting that cannot be used, and why.
struct SiteSettingProblem {
    QString key;
    QString value;
    QString reason; // a phrase: "the port must be a number from 1 to 65535"
};

// What is wrong with a host value ("" when it can be used): a host name or
// address with an optional port 1-65535, and nothing else.
QString hostValueProblem(const QString& value);

// What is wrong with the "extracafile" value ("" when it can be used): empty
// (no extra authorities), or a readable file holding at least one
// certificate.
QString authorityFileProblem(const QString& path);

// The certificates of a PEM file as it holds them now.  Decoding takes long
// (the first decoding loads the TLS library), so the file is decoded again
// only when its path, time or size has changed: checking the setting and
// then sending decodes it once.
QList<QSslCertificate> authorityCertificates(const QString& path);

// The first of the five settings, in the order the site is reached, that
// cannot be used.
std::optional<SiteSettingProblem> siteSettingsProblem();

// The problem as one line: "the setting 'portalhost' is 'x:0': ...".
QString siteSettingLine(const SiteSettingProblem& problem);
// The problem as the text of a message box, lines joined by CR LF.
QString siteSettingText(const SiteSettingProblem& problem);

} // namespace zemble
