// Writes main-window.png and settings-dialog.png of a running main window (for the README), once the
// program folder's first spreadsheet has been converted and rescanned. Usage: tavrel-screenshots PROGRAM_DIR OUT_DIR
// With --warning first, in a program folder whose RT-IN1.LST lacks a source of the sample and holds the whole list
// as RT-IN1.LST.new: main-window-warning.png (the row note beside the last file, then the new list put in place)
// and activity-log.png; it also checks that a line appended while the log window is open shows there.
#include "app/gui/frmMain.h"
#include "output/ActivityLog.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QListView>
#include <QScreen>
#include <QTextStream>
#include <QThread>
#include <QToolTip>

namespace {

void WaitFor(const std::function<bool()> &done, int milliseconds)
{
    const QDeadlineTimer deadline(milliseconds);
    while (!done() && !deadline.hasExpired()) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(20);
    }
}

// The window as the screen shows it, with the frame a window manager drew around it.
bool Save(const QWidget *window, const QString &file)
{
    QApplication::processEvents();
    const QRect frame = window->frameGeometry();
    const QPixmap shot = window->screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
    return shot.save(file);
}

// The window with the tooltip of one of its labels, as an operator holding the mouse over it sees it.
bool SaveWithToolTip(const QWidget *window, QLabel *label, const QString &file)
{
    // Below the window, so the status bar stays in view.
    const QPoint below(label->mapToGlobal(QPoint(label->width() / 3, 0)).x(), window->frameGeometry().bottom() + 4);
    QToolTip::showText(below, label->toolTip(), label);
    WaitFor([] { return false; }, 700);
    QRect area = window->frameGeometry();
    for (const QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->inherits("QTipLabel") && widget->isVisible())
            area = area.united(widget->frameGeometry());
    }
    const QPixmap shot = window->screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
    QToolTip::hideText();
    return shot.save(file);
}

int WarningShots(frmMain &window, const QString &programDir, const QDir &out, QTextStream &err)
{
    auto *lastFile = window.findChild<QLabel *>(QStringLiteral("lblLastFile1"));
    WaitFor([&] { return !lastFile->toolTip().isEmpty(); }, 60000);
    if (lastFile->toolTip().isEmpty()) {
        err << "no row note shown within 60 s\n";
        return 1;
    }
    // The station copies the corrected list; the program says that it keeps the old one until a restart.
    const QString list = programDir + QStringLiteral("/RT-IN1.LST");
    QFile::remove(list);
    if (!QFile::rename(list + QStringLiteral(".new"), list)) {
        err << "cannot put RT-IN1.LST.new in place\n";
        return 1;
    }
    WaitFor([&] { return window.findChild<QLabel *>(QStringLiteral("lblNotice")) != nullptr; }, 10000);
    if (!SaveWithToolTip(&window, lastFile, out.filePath(QStringLiteral("main-window-warning.png")))) {
        err << "cannot write " << out.filePath(QStringLiteral("main-window-warning.png")) << '\n';
        return 1;
    }

    window.menuViewLog_Click(1);
    auto *log = window.findChild<QWidget *>(QStringLiteral("frmLog"));
    const auto *lines = log->findChild<QListView *>(QStringLiteral("lstLog1"))->model();
    WaitFor([&] { return log->isActiveWindow() && lines->rowCount() > 0; }, 5000);
    // Another writer appends while the window holds the file's lines: the next dispatch tick shows it.
    const QString appended = QStringLiteral("Make TVX File for : appended while the log window is open.xlsx");
    WriteLog(programDir, appended, 1, QDateTime::currentDateTime());
    WaitFor([&] { return lines->index(lines->rowCount() - 1, 0).data().toString().endsWith(appended); }, 5000);
    if (!lines->index(lines->rowCount() - 1, 0).data().toString().endsWith(appended)) {
        err << "the log window does not show a line appended while it is open\n";
        return 1;
    }
    QTextStream(stdout) << "log window shows a line appended while it is open\n";
    if (!Save(log, out.filePath(QStringLiteral("activity-log.png")))) {
        err << "cannot write " << out.filePath(QStringLiteral("activity-log.png")) << '\n';
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QTextStream err(stderr);
    const bool warning = argc == 4 && qstrcmp(argv[1], "--warning") == 0;
    if (argc != 3 && !warning) {
        err << "usage: tavrel-screenshots [--warning] PROGRAM_DIR OUT_DIR\n";
        return 2;
    }
    const QString programDir = QDir(QString::fromLocal8Bit(argv[argc - 2])).absolutePath();
    const QDir out(QString::fromLocal8Bit(argv[argc - 1]));
    const SystemClock clock;
    frmMain window(programDir, clock);
    window.setCloseQuestion([](QWidget *) { return true; });
    window.move(40, 40);
    window.show();
    if (warning)
        return WarningShots(window, programDir, out, err);

    const auto *frame = window.findChild<QGroupBox *>(QStringLiteral("frameWatch1"));
    const auto *lastFile = window.findChild<QLabel *>(QStringLiteral("lblLastFile1"));
    WaitFor([&] { return !lastFile->text().isEmpty() && frame->title().contains(QStringLiteral("(1 TVX")); }, 60000);
    if (lastFile->text().isEmpty()) {
        err << "warning: the sample was not converted within 60 s\n";
    }
    if (!Save(&window, out.filePath(QStringLiteral("main-window.png")))) {
        err << "cannot write " << out.filePath(QStringLiteral("main-window.png")) << '\n';
        return 1;
    }

    window.menuSetWatch_Click();
    const QWidget *dialog = window.findChild<QWidget *>(QStringLiteral("frmSetWatch"));
    WaitFor([&] { return dialog->isActiveWindow(); }, 5000);
    WaitFor([] { return false; }, 500);
    if (!Save(dialog, out.filePath(QStringLiteral("settings-dialog.png")))) {
        err << "cannot write " << out.filePath(QStringLiteral("settings-dialog.png")) << '\n';
        return 1;
    }
    return 0;
}
