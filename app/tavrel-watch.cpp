// The watch core without a window, for servers without a desktop: same timers, same files.
#include "events/Clock.h"
#include "watch/TranslatorCore.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QSocketNotifier>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <sys/signalfd.h>
#include <unistd.h>

namespace {

// Owns the two timers the window would own; panels have nothing to show here.
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
        m_timeMain.start();
        m_timeWatch.start();
    }

    void panelChanged(int, const PanelState &) override {}

    // Restarts the countdown, so the next tick comes the given time after this one ended.
    void setMainTimerInterval(int milliseconds) override { m_timeMain.setInterval(milliseconds); }

    void logLineWritten(int, const QString &line) override
    {
        const QByteArray text = line.toUtf8() + '\n';
        std::fwrite(text.constData(), 1, static_cast<size_t>(text.size()), stdout);
        std::fflush(stdout);
    }

private:
    QTimer m_timeMain;
    QTimer m_timeWatch;
};

} // namespace

int main(int argc, char *argv[])
{
    // SIGINT and SIGTERM arrive through a descriptor the event loop watches, so they end the program between
    // ticks. They are blocked before any thread exists, so every thread inherits the mask.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigprocmask(SIG_BLOCK, &stopSignals, nullptr);
    const int signalFd = signalfd(-1, &stopSignals, SFD_CLOEXEC | SFD_NONBLOCK);
    if (signalFd < 0) {
        std::perror("tavrel-watch: signalfd");
        return 1;
    }

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tavrel-watch"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TAVREL_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Converts schedule workbooks dropped into the watch folders into Tavrel event files."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption programDirOption(
        QStringLiteral("program-dir"),
        QStringLiteral("Folder holding Translator.ini, DWX.INI, RT-IN1.LST and Logs (default: the executable's)."),
        QStringLiteral("DIR"), QCoreApplication::applicationDirPath());
    parser.addOption(programDirOption);
    parser.process(app);

    const QString programDir = QDir::cleanPath(parser.value(programDirOption));
    if (!QDir(programDir).exists()) {
        std::fprintf(stderr, "tavrel-watch: no such folder: %s\n", qUtf8Printable(programDir));
        return 2;
    }

    SystemClock clock;
    HeadlessView view;
    TranslatorCore core(programDir, clock, view);
    core.Form_Load();
    view.start(core);

    QSocketNotifier stopNotifier(signalFd, QSocketNotifier::Read);
    QObject::connect(&stopNotifier, &QSocketNotifier::activated, [signalFd] {
        signalfd_siginfo info;
        while (read(signalFd, &info, sizeof info) == sizeof info) {
        }
        QCoreApplication::exit(0);
    });

    const int status = QCoreApplication::exec();
    close(signalFd);
    return status;
}
