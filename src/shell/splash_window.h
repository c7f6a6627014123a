#pragma once

#include <QIcon>
#include <QPixmap>
#include <QWidget>

#include <memory>

namespace Ui {
class frmSplash;
}

namespace zemble {

// The program's own pictures, drawn here so nothing depends on an image
// plug-in: the window and tray icon, and the splash picture.
QIcon zembleIcon();
QPixmap zemblePicture(int size);

// The splash window `frmSplash`, shown while the program starts: picture, product name,
// version and release date.  It has no behaviour of its own.
class SplashWindow : public QWidget {
    Q_OBJECT
public:
    explicit SplashWindow(QWidget* parent = nullptr);
    ~SplashWindow() override;

    // Fills the version and release lines.
    void Form_Load();

private:
    std::unique_ptr<Ui::frmSplash> ui_;
};

} // namespace zemble
