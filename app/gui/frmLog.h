#pragma once

#include "events/Clock.h"
#include "events/Failure.h"
#include "watch/LogTail.h"

#include <QDate>
#include <QString>
#include <QWidget>
#include <array>

class LogModel;
class QDateEdit;
class QLabel;
class QListView;
class QPushButton;
class QTabWidget;

// "Activity Log": the day's log of each watch folder, one tab each, read from the files the program writes and
// followed as lines arrive; an earlier day's files on request.
class frmLog : public QWidget
{
    Q_OBJECT

public:
    frmLog(QString programDir, const Clock &clock, QWidget *parent = nullptr);

    // Brings the tab of folder (1 or 2) to the front.
    void showFolder(int folder);
    // Shows the logs of day, from their first line.
    void setDay(const QDate &day);
    QDate day() const { return m_day; }
    // Reads what was appended since the last call; a view at its last line stays there. On a new day the view of
    // today moves on to it.
    void refresh();
    void cmdOpenLogs_Click();

protected:
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    static constexpr int TabCount = 2;
    struct Tab {
        QListView *list = nullptr;
        LogModel *model = nullptr;
        LogTail tail;
    };

    void createControls();
    void applyColours();
    void readTab(Tab &tab);
    void showStatus();

    QString m_programDir;
    const Clock &m_clock;
    QDate m_day;
    bool m_followToday = true;
    Failure m_readFailure; // why a file could not be read at the last refresh
    QString m_openProblem; // why the Logs folder could not be opened, until the next try or day
    std::array<Tab, TabCount> m_tabs;
    QTabWidget *tabLog = nullptr;
    QDateEdit *dtpDay = nullptr;
    QPushButton *cmdOpenLogs = nullptr;
    QLabel *lblStatus = nullptr;
};
