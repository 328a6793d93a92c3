#include "app/gui/frmMain.h"

#include "app/dialog/frmSetWatch.h"
#include "app/gui/Colours.h"
#include "app/gui/frmAbout.h"
#include "app/gui/frmLog.h"
#include "app/windows/Twips.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPalette>
#include <QScreen>
#include <QSessionManager>
#include <QStatusBar>
#include <QTimer>
#include <algorithm>

namespace {

// Places a newly created dialog in front of the middle of the main window.
void CentreOver(QWidget *window, const QWidget *owner)
{
    QRect frame = window->frameGeometry();
    frame.moveCenter(owner->frameGeometry().center());
    const QRect screen = owner->screen()->availableGeometry();
    window->move(std::max(frame.left(), screen.left()), std::max(frame.top(), screen.top()));
}

// A last-file line wider than its label loses the middle of the file name first, so the time and the row notes
// after it stay in view; the name keeps room for a dozen characters, and what still does not fit is cut from the
// end of the row notes (the tooltip holds the whole line).
QString FitToLabel(const QLabel *label, const QString &text)
{
    const QFontMetrics metrics = label->fontMetrics();
    const int width = label->contentsRect().width();
    const qsizetype nameEnd = text.indexOf(QLatin1String("  "));
    if (metrics.horizontalAdvance(text) <= width || nameEnd < 0)
        return text;
    const QString rest = text.mid(nameEnd);
    const int nameWidth = std::max(width - metrics.horizontalAdvance(rest), 12 * metrics.averageCharWidth());
    const QString line = metrics.elidedText(text.left(nameEnd), Qt::ElideMiddle, nameWidth) + rest;
    return metrics.elidedText(line, Qt::ElideRight, width);
}

} // namespace

frmMain::frmMain(QString programDir, const Clock &clock, QWidget *parent)
    : QMainWindow(parent), m_clock(clock), m_core(std::move(programDir), clock, *this)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("DWX Tavrel Translator"));
    createControls();
    createMenus();
    createViewMenu();

    timeMain = new QTimer(this);
    timeMain->setObjectName(QStringLiteral("timeMain"));
    timeMain->setInterval(TranslatorCore::MainTimerDesignInterval);
    connect(timeMain, &QTimer::timeout, this, [this] { m_core.timeMain_Timer(); });
    timeWatch = new QTimer(this);
    timeWatch->setObjectName(QStringLiteral("timeWatch"));
    timeWatch->setInterval(TranslatorCore::WatchTimerInterval);
    connect(timeWatch, &QTimer::timeout, this, &frmMain::timeWatch_Timer);
    m_folderWatcher.setHandler([this](int folder) { m_core.watchFolderChanged(folder); });
#if QT_CONFIG(sessionmanager)
    connect(qGuiApp, &QGuiApplication::commitDataRequest, this, &frmMain::commitData);
#endif

    Form_Load();
    // Enabled since design time, the timers deliver their first ticks only once start-up has returned.
    timeMain->start();
    timeWatch->start();
}

void frmMain::createControls()
{
    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("frmMainClient"));
    client->setFixedSize(Twips(this, 11655), Twips(this, 1200));
    setCentralWidget(client);
    for (int i = 1; i <= WatchFolderCount; ++i) {
        const QString index = QString::number(i);
        frameWatch[i] = new QGroupBox(QStringLiteral("Watch Folder ") + index, client);
        frameWatch[i]->setObjectName(QStringLiteral("frameWatch") + index);
        frameWatch[i]->setGeometry(TwipsRect(this, i == 1 ? 120 : 5880, 90, 5655, 1005));
        QWidget *frame = frameWatch[i];
        lblFolder[i] = MakeLabel(frame, QStringLiteral("lblFolder"), i, QStringLiteral("Watch Folder"),
                                 TwipsRect(this, 150, 270, 1395, 285));
        lblWatchFolder[i] =
            MakeLabel(frame, QStringLiteral("lblWatchFolder"), i, QString(), TwipsRect(this, 1560, 270, 3975, 285));
        lblFile[i] = MakeLabel(frame, QStringLiteral("lblFile"), i, QStringLiteral("Last File Made"),
                               TwipsRect(this, 150, 570, 1395, 285));
        lblLastFile[i] =
            MakeLabel(frame, QStringLiteral("lblLastFile"), i, QString(), TwipsRect(this, 1560, 570, 3975, 285));
        frameWatch[i]->installEventFilter(this);
    }
}

void frmMain::createMenus()
{
    menuFile = menuBar()->addMenu(QStringLiteral("&File"));
    menuFile->setObjectName(QStringLiteral("menuFile"));
    menuFileExit = menuFile->addAction(QStringLiteral("Exit"));
    menuFileExit->setObjectName(QStringLiteral("menuFileExit"));
    menuSet = menuBar()->addMenu(QStringLiteral("&Settings"));
    menuSet->setObjectName(QStringLiteral("menuSet"));
    menuSetWatch = menuSet->addAction(QStringLiteral("Watch Folder Settings"));
    menuSetWatch->setObjectName(QStringLiteral("menuSetWatch"));
    // A top-level command without items: it triggers as soon as it is clicked.
    menuAbout = menuBar()->addAction(QStringLiteral("&About"));
    menuAbout->setObjectName(QStringLiteral("menuAbout"));
    connect(menuFileExit, &QAction::triggered, this, &frmMain::menuFileExit_Click);
    connect(menuSetWatch, &QAction::triggered, this, &frmMain::menuSetWatch_Click);
    connect(menuAbout, &QAction::triggered, this, &frmMain::menuAbout_Click);
}

void frmMain::createViewMenu()
{
    menuView = new QMenu(QStringLiteral("&View"), this);
    menuView->setObjectName(QStringLiteral("menuView"));
    menuViewLog = menuView->addAction(QStringLiteral("Activity Log"));
    menuViewLog->setObjectName(QStringLiteral("menuViewLog"));
    menuBar()->insertMenu(menuSet->menuAction(), menuView);
    connect(menuViewLog, &QAction::triggered, this, [this] { menuViewLog_Click(); });
}

QString frmMain::caption(int major, int minor, int revision)
{
    return QStringLiteral("DWX Tavrel Translator Version: ") + QString::number(major) + QLatin1Char('.') +
           QString::number(minor) + QString::number(revision);
}

void frmMain::Form_Load()
{
    setWindowTitle(caption(TAVREL_VERSION_MAJOR, TAVREL_VERSION_MINOR, TAVREL_VERSION_PATCH));
    m_core.Form_Load();
}

bool frmMain::askCloseQuestion(QWidget *parent)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Warning"),
                    QStringLiteral("Are you sure you want to close the Excel To Tavrel Utility down?"),
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setObjectName(QStringLiteral("msgCloseQuestion"));
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

bool frmMain::Form_QueryUnload()
{
    return !m_closeQuestion(this);
}

void frmMain::closeEvent(QCloseEvent *event)
{
    if (!m_unloadConfirmed && Form_QueryUnload()) {
        event->ignore();
        return;
    }
    m_unloadConfirmed = true;
    timeMain->stop();
    timeWatch->stop();
    if (m_setWatch) {
        m_setWatch->close();
    }
    if (m_about) {
        m_about->close();
    }
    if (m_log) {
        m_log->close();
    }
    event->accept();
    Q_EMIT unloaded();
}

void frmMain::commitData(QSessionManager &manager)
{
    // The session manager decides whether a box may be shown; without its leave the session simply ends.
    if (m_unloadConfirmed || !manager.allowsInteraction()) {
        return;
    }
    const bool cancel = Form_QueryUnload();
    manager.release();
    if (cancel) {
        manager.cancel();
    } else {
        m_unloadConfirmed = true;
    }
}

void frmMain::menuFileExit_Click()
{
    close();
}

void frmMain::menuSetWatch_Click()
{
    if (!m_setWatch) {
        m_setWatch = new frmSetWatch(m_core.WatchFolderSettings(), m_core.programDir(), this);
        CentreOver(m_setWatch, this);
    }
    m_setWatch->show();
    m_setWatch->raise();
    m_setWatch->activateWindow();
}

void frmMain::menuAbout_Click()
{
    if (!m_about) {
        m_about = new frmAbout(this);
        CentreOver(m_about, this);
    }
    m_about->show();
    m_about->raise();
    m_about->activateWindow();
}

void frmMain::menuViewLog_Click(int folder)
{
    if (!m_log) {
        m_log = new frmLog(m_core.programDir(), m_clock, this);
        CentreOver(m_log, this);
    }
    m_log->showFolder(folder);
    m_log->show();
    m_log->raise();
    m_log->activateWindow();
}

bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonDblClick) {
        for (int folder = 1; folder <= WatchFolderCount; ++folder) {
            if (watched == frameWatch[folder]) {
                menuViewLog_Click(folder);
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::timeWatch_Timer()
{
    m_core.timeWatch_Timer();
    if (m_log)
        m_log->refresh();
}

void frmMain::noticeAdded(const QString &notice)
{
    if (!lblNotice) {
        lblNotice = new QLabel(this);
        lblNotice->setObjectName(QStringLiteral("lblNotice"));
        lblNotice->setIndent(lblNotice->fontMetrics().averageCharWidth());
        QPalette palette;
        palette.setColor(QPalette::WindowText, WarningColour(this->palette()));
        lblNotice->setPalette(palette);
        statusBar()->addWidget(lblNotice, 1);
        statusBar()->show();
    }
    lblNotice->setText(lblNotice->text().isEmpty() ? notice : lblNotice->text() + QStringLiteral("; ") + notice);
}

void frmMain::panelChanged(int folder, const PanelState &state)
{
    if (folder < 1 || folder > WatchFolderCount) {
        return;
    }
    if (frameWatch[folder]->title() != state.frameCaption) {
        frameWatch[folder]->setTitle(state.frameCaption);
    }
    // The frame's enabled state tells what is shown; the labels follow it only when it has to change.
    if (frameWatch[folder]->isEnabled() != state.enabled) {
        const std::array<QWidget *, 5> controls{frameWatch[folder], lblFolder[folder], lblFile[folder],
                                                lblWatchFolder[folder], lblLastFile[folder]};
        for (QWidget *control : controls) {
            control->setEnabled(state.enabled);
        }
    }
    if (lblWatchFolder[folder]->text() != state.watchFolder) {
        QLabel *label = lblWatchFolder[folder];
        label->setText(state.watchFolder);
        // A path wider than its label is cut off; the whole of it is one hover away.
        const bool cut = label->fontMetrics().horizontalAdvance(state.watchFolder) > label->contentsRect().width();
        label->setToolTip(cut ? state.watchFolder : QString());
    }
    QLabel *label = lblLastFile[folder];
    const QString shown = FitToLabel(label, state.lastFile);
    QString detail = state.lastFailure ? state.lastFailure.reason : state.lastWarnings;
    if (shown != state.lastFile)
        detail = detail.isEmpty() ? state.lastFile : state.lastFile + u'\n' + detail;
    if (label->text() != shown || label->toolTip() != detail) {
        label->setText(shown);
        label->setToolTip(detail);
        // Only the text colour is set, so the label keeps following the window's palette otherwise.
        QPalette palette;
        const QPalette &around = label->parentWidget()->palette();
        if (state.lastFailure)
            palette.setColor(QPalette::WindowText, ErrorColour(around));
        else if (!state.lastWarnings.isEmpty())
            palette.setColor(QPalette::WindowText, WarningColour(around));
        label->setPalette(palette);
    }
}

void frmMain::setMainTimerInterval(int milliseconds)
{
    timeMain->setInterval(milliseconds);
}

void frmMain::watchFolder(int folder, const QString &path, const QStringList &workbooks)
{
    m_folderWatcher.watch(folder, path, workbooks);
}
