#include "shell/splash_window.h"

#include <QtTest>
#include <QtWidgets>

using namespace zemble;

Q_DECLARE_METATYPE(QIcon::Mode)

// The program's icon draws its pictures only when asked; what it gives must be what an icon
// made of all its pictures at once gives.
class TestSplashWindow : public QObject {
    Q_OBJECT

    static QIcon allAtOnce() {
        QIcon icon;
        for (int size : {16, 32, 48, 64, 128})
            icon.addPixmap(zemblePicture(size));
        return icon;
    }

private slots:
    void picturesMatchTheIconDrawnAllAtOnce_data() {
        QTest::addColumn<int>("size");
        QTest::addColumn<QIcon::Mode>("mode");
        QTest::newRow("16, as in the compose window") << 16 << QIcon::Normal;
        QTest::newRow("128, the largest") << 128 << QIcon::Normal;
        QTest::newRow("24, between two sizes") << 24 << QIcon::Normal;
        QTest::newRow("256, above the largest") << 256 << QIcon::Normal;
        QTest::newRow("32, greyed") << 32 << QIcon::Disabled;
    }
    void picturesMatchTheIconDrawnAllAtOnce() {
        QFETCH(int, size);
        QFETCH(QIcon::Mode, mode);
        const QIcon deferred = zembleIcon();
        const QImage expected = allAtOnce().pixmap(size, mode).toImage();
        QCOMPARE(deferred.pixmap(size, mode).toImage(), expected);
        // A copy shares the pictures already drawn and gives the same.
        const QIcon copy = deferred;
        QCOMPARE(copy.pixmap(size, mode).toImage(), expected);
        QCOMPARE(deferred.availableSizes(), allAtOnce().availableSizes());
        QVERIFY(!deferred.isNull());
    }
};

QTEST_MAIN(TestSplashWindow)
#include "tst_splash_window.moc"
