#pragma once

#include <QColor>
#include <QDialog>
#include <QPointer>
#include <memory>

namespace Ui {
class frmAbout;
}

namespace zemble {

// Colours of the home page link: red under the mouse, dark blue elsewhere.
inline constexpr QRgb kLinkHoverColour = 0xFF0000;
inline constexpr QRgb kLinkColour = 0x000080;

inline constexpr auto kSysInfoUnavailable = "System Information Is Unavailable At This Time";

// The About window `frmAbout`: name, version, release date, description,
// a link to the home page and a button that starts the desktop's system
// information tool.  OK closes and discards it.
class AboutWindow : public QDialog {
    Q_OBJECT
public:
    explicit AboutWindow(QWidget* parent = nullptr);
    ~AboutWindow() override;

    // Help > About Zemble...: shows the About window held in `open`, not
    // modal, above `opener`, creating it there when none is open and
    // bringing the open one to the front otherwise.  The window discards
    // itself when it closes, which empties `open`.
    static AboutWindow* showAbout(QPointer<AboutWindow>& open, QWidget* opener = nullptr);

    // The home page address that the link shows and opens.
    QString homePage() const { return homePage_; }

    // Starts the system information tool, or tells the user there is none.
    static void StartSysInfo();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Escape closes and discards the window, as OK does.
    void keyPressEvent(QKeyEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void Form_Load();
    void lblUrl_Click();
    void setLinkColour(QRgb colour);

    std::unique_ptr<Ui::frmAbout> ui_;
    QString homePage_;
};

} // namespace zemble
