// The watch core without a window, for servers without a desktop: same timers, same files.
#include "app/ConsoleText.h"
#include "app/StopRequest.h"
#include "events/Clock.h"
#include "watch/FolderListing.h"
#include "watch/FolderWatcher.h"
#include "watch/ProgramFolderLock.h"
#include "watch/TranslatorCore.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QTimer>
#include <cstdio>

namespace {

// Owns the two timers and the folder watcher the window would own; panels have nothing to show here.
class HeadlessView final : public WatchView
{
public:
    HeadlessView()
    {
        m_timeMain.setInterval(TranslatorCore::MainTimerDesignInterval);
        m_timeWatch.setInterval(TranslatorCore::WatchTimerInterval);
    }

    void start(TranslatorCore &core)
    {
        QObject::connect(&m_timeMain, &QTimer::timeout, [&core] { core.timeMain_Timer(); });
        QObject::connect(&m_timeWatch, &QTimer::timeout, [&core] { core.timeWatch_Timer(); });
        m_watcher.setHandler([&core](int folder) { core.watchFolderChanged(folder); });
        m_timeMain.start();
        m_timeWatch.start();
    }

    void panelChanged(int, const PanelState &) override {}

    // Restarts the countdown, so the next tick comes the given time after this one ended.
    void setMainTimerInterval(int milliseconds) override { m_timeMain.setInterval(milliseconds); }

    void watchFolder(int folder, const QString &path, const QStringList &workbooks) override
    {
        m_watcher.watch(folder, path, workbooks);
    }

    void logLineWritten(int, const QString &line) override { WriteConsoleText(stdout, line + u'\n'); }

    void noticeAdded(const QString &notice) override
    {
        const QByteArray text = "tavrel-watch: " + notice.toUtf8() + '\n';
        std::fwrite(text.constData(), 1, static_cast<size_t>(text.size()), stdout);
        std::fflush(stdout);
    }

private:
    QTimer m_timeMain;
    QTimer m_timeWatch;
    FolderWatcher m_watcher;
};

constexpr char UsageLine[] = "usage: tavrel-watch [--program-dir DIR]\n";

// The end of --help, and so of the manual page made from it.
constexpr char ExitStatusText[] = "\nExit status:\n"
                                  "  0  Stopped by SIGTERM (systemctl stop) or SIGINT (Ctrl+C).\n"
                                  "  1  Another program already runs for the program folder.\n"
                                  "  2  Wrong options, or the program folder does not exist.\n";

void Print(std::FILE *stream, const QString &text)
{
    WriteConsoleText(stream, text);
}

int UsageError(const QString &problem)
{
    Print(stderr, QStringLiteral("tavrel-watch: ") + problem + u'\n' + QLatin1String(UsageLine));
    return 2;
}

// What the service works with, so its journal shows a wrong folder or a missing file from the first lines on.
void PrintStart(const TranslatorCore &core)
{
    QString text = QStringLiteral("tavrel-watch: program folder ") + core.programDir() + u'\n';
    for (int folder = 1; folder <= WatchFolderCount; ++folder) {
        const auto &settings = core.WatchFolderSettings()[static_cast<size_t>(folder)];
        const QString number = QString::number(folder);
        if (!settings.Active) {
            text += QStringLiteral("tavrel-watch: folder ") + number + QStringLiteral(" inactive\n");
            continue;
        }
        text += QStringLiteral("tavrel-watch: watching folder ") + number + QStringLiteral(": ") +
                QDir::toNativeSeparators(settings.Path);
        // As the window's caption would say after the folder's first scan.
        if (const Failure problem = FolderListingProblem(settings.Path))
            text += QLatin1String(" (") + problem.reason + u')';
        text += u'\n';
    }
    for (const QString &notice : core.startupNotices())
        text += QStringLiteral("tavrel-watch: ") + notice + u'\n';
    Print(stdout, text);
}

} // namespace

int main(int argc, char *argv[])
{
    InstallStopHandlers();

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tavrel-watch"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TAVREL_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Converts schedule workbooks dropped into the watch folders into Tavrel event files."));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    const QCommandLineOption programDirOption(
        QStringLiteral("program-dir"),
        QStringLiteral("Folder holding Translator.ini, DWX.INI, RT-IN1.LST and Logs (default: the executable's)."),
        QStringLiteral("DIR"), QCoreApplication::applicationDirPath());
    parser.addOption(programDirOption);
    if (!parser.parse(QCoreApplication::arguments()))
        return UsageError(parser.errorText());
    if (parser.isSet(helpOption) || parser.isSet(QStringLiteral("help-all"))) {
        Print(stdout, parser.helpText() + QLatin1String(ExitStatusText));
        return 0;
    }
    if (parser.isSet(versionOption)) {
        Print(stdout, QStringLiteral("tavrel-watch " TAVREL_VERSION "\n"));
        return 0;
    }
    if (!parser.positionalArguments().isEmpty())
        return UsageError(QStringLiteral("unexpected argument: ") + parser.positionalArguments().constFirst());

    const QString programDirValue = parser.value(programDirOption);
    const QString programDir = QDir(programDirValue).absolutePath();
    if (programDirValue.isEmpty() || !QDir(programDir).exists()) {
        Print(stderr, QStringLiteral("tavrel-watch: no such folder: ") + programDirValue + u'\n');
        return 2;
    }

    ProgramFolderLock folderLock(programDir);
    if (const ProgramFolderLockResult locked = folderLock.lock(); !locked) {
        Print(stderr, locked.message + u'\n');
        if (locked.status == ProgramFolderLockResult::Status::HeldByAnother)
            return 1; // a failed unit in systemd rather than every conversion done twice
    }

    SystemClock clock;
    HeadlessView view;
    TranslatorCore core(programDir, clock, view);
    core.Form_Load();
    PrintStart(core);
    view.start(core);

    // Ticks run to their end, so a stop seen here always falls between two of them.
    QTimer stopPoll;
    QObject::connect(&stopPoll, &QTimer::timeout, [] {
        if (StopRequested())
            QCoreApplication::exit(0);
    });
    stopPoll.start(100);

    return QCoreApplication::exec();
}
