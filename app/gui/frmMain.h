#pragma once

#include "events/Clock.h"
#include "watch/FolderWatcher.h"
#include "watch/TranslatorCore.h"

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <array>
#include <functional>

class QAction;
class QGroupBox;
class QLabel;
class QMenu;
class QSessionManager;
class QTimer;
class frmAbout;
class frmLog;
class frmSetWatch;

// The main window: two watch-folder panels, the menu commands, and the two timers and the folder watcher that
// drive the core.
class frmMain : public QMainWindow, public WatchView
{
    Q_OBJECT

public:
    // Asks whether to close; true means Yes.
    using CloseQuestion = std::function<bool(QWidget *parent)>;

    // Runs the whole start-up (caption, then the core's Form_Load) before the window is first shown.
    frmMain(QString programDir, const Clock &clock, QWidget *parent = nullptr);

    // "DWX Tavrel Translator Version: " and major "." minor revision, without a point before the revision.
    static QString caption(int major, int minor, int revision);
    // The warning box with Yes and No, No being the default.
    static bool askCloseQuestion(QWidget *parent);
    void setCloseQuestion(CloseQuestion question) { m_closeQuestion = std::move(question); }

    TranslatorCore &core() { return m_core; }

    void menuFileExit_Click();
    void menuSetWatch_Click();
    void menuAbout_Click();
    // Opens "Activity Log", on the tab of folder (1 or 2) when one is given.
    void menuViewLog_Click(int folder = 0);
    // A dispatch tick; an open log window then reads what the tick wrote.
    void timeWatch_Timer();
    // Asks the close question; true (the cancel flag) keeps the window open.
    bool Form_QueryUnload();

    void panelChanged(int folder, const PanelState &state) override;
    void setMainTimerInterval(int milliseconds) override;
    void watchFolder(int folder, const QString &path, const QStringList &workbooks) override;
    void noticeAdded(const QString &notice) override;

Q_SIGNALS:
    // The window has closed after a Yes; the program ends.
    void unloaded();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    void createMenus();
    void createViewMenu();
    void Form_Load();
    void commitData(QSessionManager &manager);

    const Clock &m_clock;
    TranslatorCore m_core;
    CloseQuestion m_closeQuestion = &frmMain::askCloseQuestion;
    bool m_unloadConfirmed = false;
    QPointer<frmSetWatch> m_setWatch;
    QPointer<frmAbout> m_about;
    QPointer<frmLog> m_log;

    std::array<QGroupBox *, WatchFolderCount + 1> frameWatch{};
    std::array<QLabel *, WatchFolderCount + 1> lblFolder{};
    std::array<QLabel *, WatchFolderCount + 1> lblWatchFolder{};
    std::array<QLabel *, WatchFolderCount + 1> lblFile{};
    std::array<QLabel *, WatchFolderCount + 1> lblLastFile{};
    QTimer *timeMain = nullptr;
    QTimer *timeWatch = nullptr;
    FolderWatcher m_folderWatcher;
    QMenu *menuFile = nullptr;
    QAction *menuFileExit = nullptr;
    QMenu *menuSet = nullptr;
    QAction *menuSetWatch = nullptr;
    QAction *menuAbout = nullptr;
    QMenu *menuView = nullptr;
    QAction *menuViewLog = nullptr;
    QLabel *lblNotice = nullptr; // in the status bar, shown once there is a notice
};
