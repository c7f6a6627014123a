#pragma once

#include <QByteArrayView>
#include <QString>

#include <optional>

namespace zemble {

// Writes a file whole or not at all: the content goes to a new file beside
// the old one, is flushed, and only then takes the old one's place, so a
// full disk or a crash never leaves a cut-off file.  The files the program
// writes hold names, numbers and messages: the new file is its owner's alone
// (0600), whatever it replaces.  Returns the system's reason when the file
// could not be written (the old one is then as it was), nothing when it was
// written.
std::optional<QString> saveFile(const QString& path, QByteArrayView content);

// Creates a folder and any missing folders above it, each its owner's alone
// (0700); folders that exist already are left as they are.  False when the
// folder is not there afterwards.
bool makePrivateFolder(const QString& path);

} // namespace zemble
