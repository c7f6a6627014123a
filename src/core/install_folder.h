#pragma once

#include <QString>

namespace zemble {

// The folder `cmake --install` (and so the Debian package) puts the programs
// in, as configured at build time: "/usr/bin" for the package.
QString installFolder();

// Whether `folder` is the install folder `installed`, however it is spelled
// (through a symbolic link such as /bin for /usr/bin, with "..", with a
// trailing slash).  A program started from there is an installed copy: its
// folder belongs to the system, even when the user (root) can write it.
bool isInstallFolder(const QString& folder, const QString& installed = installFolder());

} // namespace zemble
