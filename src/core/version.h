#pragma once

#include <QString>

namespace zemble {

inline constexpr int kVersionMajor = 0;
inline constexpr int kVersionMinor = 4;
inline constexpr int kVersionRevision = 16;
inline constexpr auto kAppTitle = "Zemble";
inline constexpr auto kReleaseDate = "22nd May 2003";

// "0.4.16"
inline QString versionNumber() {
    return QStringLiteral("%1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionRevision);
}
// "Zemble v0.4.16 (beta)": the compose window's title and the About heading.
inline QString titleWithVersion() {
    return QStringLiteral("%1 v%2 (beta)").arg(QLatin1String(kAppTitle), versionNumber());
}
// "version 0.4.16 (beta)": the splash window's version line.
inline QString splashVersionLine() {
    return QStringLiteral("version %1 (beta)").arg(versionNumber());
}
// "Released 22nd May 2003"
inline QString releaseLine() {
    return QStringLiteral("Released %1").arg(QLatin1String(kReleaseDate));
}

} // namespace zemble
