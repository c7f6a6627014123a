// The floor for Zemble's start-up: a program that shows the compose window's
// own form, as the form designer's compiler builds it, and nothing else, then
// leaves after its first paint.

#include "first_paint.h"
#include "ui_frmMain.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char* argv[]) {
    qInstallMessageHandler(zemble::bench::quietHandler);
    QApplication app(argc, argv);
    QMainWindow window;
    Ui::frmMain form;
    form.setupUi(&window);
    window.show();
    return zemble::bench::runUntilFirstPaint(&window);
}
