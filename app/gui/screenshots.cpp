// Writes main-window.png and settings-dialog.png of a running main window (for the README), once the
// program folder's first spreadsheet has been converted and rescanned. Usage: tavrel-screenshots PROGRAM_DIR OUT_DIR
#include "app/gui/frmMain.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QScreen>
#include <QTextStream>
#include <QThread>

namespace {

void waitFor(const std::function<bool()> &done, int milliseconds)
{
    const QDeadlineTimer deadline(milliseconds);
    while (!done() && !deadline.hasExpired()) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(20);
    }
}

// The window as the screen shows it, with the frame a window manager drew around it.
bool save(const QWidget *window, const QString &file)
{
    QApplication::processEvents();
    const QRect frame = window->frameGeometry();
    const QPixmap shot = window->screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
    return shot.save(file);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QTextStream err(stderr);
    if (argc != 3) {
        err << "usage: tavrel-screenshots PROGRAM_DIR OUT_DIR\n";
        return 2;
    }
    const QString programDir = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    const QDir out(QString::fromLocal8Bit(argv[2]));
    const SystemClock clock;
    frmMain window(programDir, clock);
    window.setCloseQuestion([](QWidget *) { return true; });
    window.move(40, 40);
    window.show();

    const auto *frame = window.findChild<QGroupBox *>(QStringLiteral("frameWatch1"));
    const auto *lastFile = window.findChild<QLabel *>(QStringLiteral("lblLastFile1"));
    waitFor([&] { return !lastFile->text().isEmpty() && frame->title().contains(QStringLiteral("(1 TVX")); }, 60000);
    if (lastFile->text().isEmpty()) {
        err << "warning: the sample was not converted within 60 s\n";
    }
    if (!save(&window, out.filePath(QStringLiteral("main-window.png")))) {
        err << "cannot write " << out.filePath(QStringLiteral("main-window.png")) << '\n';
        return 1;
    }

    window.menuSetWatch_Click();
    const QWidget *dialog = window.findChild<QWidget *>(QStringLiteral("frmSetWatch"));
    waitFor([&] { return dialog->isActiveWindow(); }, 5000);
    waitFor([] { return false; }, 500);
    if (!save(dialog, out.filePath(QStringLiteral("settings-dialog.png")))) {
        err << "cannot write " << out.filePath(QStringLiteral("settings-dialog.png")) << '\n';
        return 1;
    }
    return 0;
}
