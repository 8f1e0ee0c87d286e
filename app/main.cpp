#include <QApplication>

#include "app/wendral_app.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setOrganizationName("Wendral");
    QApplication::setApplicationName("Wendral");
    // The desktop matches the windows to the installed entry (and its icon) by this name.
    QGuiApplication::setDesktopFileName("wendral");
    // The command line is accepted but opens nothing: the program always starts without a source.
    wendral::app::CWendralApp app;
    if (!app.InitInstance()) return 1;
    return QApplication::exec();
}
