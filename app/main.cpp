#include <QApplication>
#include <QCommandLineParser>

#include "app/wendral_app.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setOrganizationName("Wendral");
    QApplication::setApplicationName("Wendral");
    // The desktop matches the windows to the installed entry (and its icon) by this name.
    QGuiApplication::setDesktopFileName("wendral");
    // The program always starts without a source; --record FILE writes the session as a script
    // from the start.
    QCommandLineParser options;
    options.addHelpOption();
    const QCommandLineOption record(QStringLiteral("record"),
                                    QStringLiteral("Write the session as a wendral-batch script."),
                                    QStringLiteral("FILE"));
    options.addOption(record);
    options.process(application);
    wendral::app::CWendralApp app;
    if (!app.InitInstance()) return 1;
    if (options.isSet(record) && !app.StartRecording(options.value(record))) return 1;
    return QApplication::exec();
}
