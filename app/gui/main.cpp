#include "app/gui/frmMain.h"
#include "watch/ProgramFolderLock.h"

#include <QApplication>
#include <QMessageBox>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationVersion(QStringLiteral(TAVREL_VERSION));
    // The configuration files stand beside the executable.
    const QString programDir = QCoreApplication::applicationDirPath();
    ProgramFolderLock folderLock(programDir);
    if (const ProgramFolderLockResult locked = folderLock.lock(); !locked) {
        const bool held = locked.status == ProgramFolderLockResult::Status::HeldByAnother;
        QMessageBox box(held ? QMessageBox::Critical : QMessageBox::Warning, QStringLiteral("DWX Tavrel Translator"),
                        locked.message, QMessageBox::Ok);
        box.exec();
        if (held)
            return 1;
    }
    const SystemClock clock;
    frmMain window(programDir, clock);
    QObject::connect(&window, &frmMain::unloaded, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    window.show();
    return QApplication::exec();
}
