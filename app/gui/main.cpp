#include "app/gui/frmMain.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationVersion(QStringLiteral(TAVREL_VERSION));
    const SystemClock clock;
    // The configuration files stand beside the executable.
    frmMain window(QCoreApplication::applicationDirPath(), clock);
    QObject::connect(&window, &frmMain::unloaded, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    window.show();
    return QApplication::exec();
}
