#pragma once

// Host and authority settings that cannot reach the operator's site, each
// with the words that say what is wrong.  The windowed program and
// zemble-send both refuse every one before their first request.

#include <QtTest>

namespace zemble::test {

inline void badSiteSettingRows() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("reason");
    const auto row = [](const char* name, const QString& key, const QString& value,
                        const QString& reason) { QTest::newRow(name) << key << value << reason; };
    const QString port = "the port after \":\" must be a number from 1 to 65535";
    row("port one above the highest", "shophost", "localhost:65536", port);
    row("negative port", "smshost", "localhost:-5", port);
    row("port in letters", "webhost", "localhost:abc", port);
    row("port zero", "portalhost", "localhost:0", port);
    row("empty host", "smshost", "", "it is empty; it must name the host");
    row("host with a space", "webhost", "local host",
        "a host name holds no spaces or control characters");
    row("host with a path", "portalhost", "localhost/login", "without a path");
    row("host with a user name", "shophost", "alice@localhost", "without a user name");
    row("host with a scheme", "smshost", "http://localhost", "without \"http://\"");
    row("host name with an underscore", "webhost", "local_host", "is not a host name");
    row("authority file that does not exist", "extracafile", "/nonexistent/ca.pem",
        "there is no such file");
    row("authority file that is a folder", "extracafile", QDir::tempPath(),
        "it is a folder, not a file");
    row("authority file that is a device", "extracafile", "/dev/zero", "it is not a plain file");
    row("authority file without a certificate", "extracafile",
        QString(ZEMBLE_OPSIM_DIR) + "/README.md", "the file holds no certificate in PEM form");
}

} // namespace zemble::test
