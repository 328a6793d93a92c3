#include "app/gui/frmLog.h"

#include "app/gui/Colours.h"
#include "app/gui/LogModel.h"
#include "output/ActivityLog.h"

#include <QDateEdit>
#include <QDesktopServices>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QUrl>
#include <QVBoxLayout>

frmLog::frmLog(QString programDir, const Clock &clock, QWidget *parent)
    : QWidget(parent, Qt::Window), m_programDir(std::move(programDir)), m_clock(clock)
{
    setObjectName(QStringLiteral("frmLog"));
    setWindowTitle(QStringLiteral("Activity Log"));
    setAttribute(Qt::WA_DeleteOnClose);
    createControls();
    applyColours();
    setDay(m_clock.now().date());
}

void frmLog::createControls()
{
    tabLog = new QTabWidget(this);
    tabLog->setObjectName(QStringLiteral("tabLog"));
    for (int i = 0; i < TabCount; ++i) {
        Tab &tab = m_tabs[static_cast<size_t>(i)];
        tab.model = new LogModel(this);
        tab.list = new QListView(tabLog);
        tab.list->setObjectName(QStringLiteral("lstLog") + QString::number(i + 1));
        tab.list->setModel(tab.model);
        tab.list->setUniformItemSizes(true);
        tab.list->setSelectionMode(QAbstractItemView::ExtendedSelection);
        tab.list->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        tabLog->addTab(tab.list, QStringLiteral("Watch Folder ") + QString::number(i + 1));
    }
    connect(tabLog, &QTabWidget::currentChanged, this, &frmLog::showStatus);

    dtpDay = new QDateEdit(this);
    dtpDay->setObjectName(QStringLiteral("dtpDay"));
    dtpDay->setCalendarPopup(true);
    dtpDay->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    connect(dtpDay, &QDateEdit::dateChanged, this, [this](const QDate &day) {
        if (day != m_day)
            setDay(day);
    });
    cmdOpenLogs = new QPushButton(QStringLiteral("Open Logs Folder"), this);
    cmdOpenLogs->setObjectName(QStringLiteral("cmdOpenLogs"));
    connect(cmdOpenLogs, &QPushButton::clicked, this, &frmLog::cmdOpenLogs_Click);
    lblStatus = new QLabel(this);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    lblStatus->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *bar = new QHBoxLayout;
    bar->addWidget(dtpDay);
    bar->addWidget(lblStatus, 1);
    bar->addWidget(cmdOpenLogs);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(tabLog, 1);
    resize(900, 480);
}

void frmLog::applyColours()
{
    for (Tab &tab : m_tabs)
        tab.model->setColours(ErrorColour(palette()), WarningColour(palette()));
}

void frmLog::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange)
        applyColours();
    QWidget::changeEvent(event);
}

void frmLog::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Laid out only now, a list can find its last line.
    for (Tab &tab : m_tabs)
        tab.list->scrollToBottom();
}

void frmLog::showFolder(int folder)
{
    if (folder >= 1 && folder <= TabCount)
        tabLog->setCurrentIndex(folder - 1);
}

void frmLog::setDay(const QDate &day)
{
    const QDate today = m_clock.now().date();
    m_day = day;
    m_followToday = day == today;
    dtpDay->setMaximumDate(today);
    dtpDay->setDate(day);
    for (int i = 0; i < TabCount; ++i) {
        Tab &tab = m_tabs[static_cast<size_t>(i)];
        tab.tail = LogTail(LogFilePath(m_programDir, static_cast<int16_t>(i + 1), day));
        tab.model->clear();
    }
    m_openProblem.clear();
    refresh();
}

void frmLog::refresh()
{
    const QDate today = m_clock.now().date();
    if (m_followToday && today != m_day) {
        setDay(today);
        return;
    }
    m_readFailure = {};
    for (Tab &tab : m_tabs)
        readTab(tab);
    showStatus();
}

void frmLog::readTab(Tab &tab)
{
    const LogRead read = tab.tail.readNew();
    if (read.failure) {
        m_readFailure = read.failure;
        return;
    }
    const QScrollBar *scroll = tab.list->verticalScrollBar();
    const bool atEnd = tab.model->rowCount() == 0 || scroll->value() == scroll->maximum();
    tab.model->append(read);
    if (atEnd && !read.lines.isEmpty())
        tab.list->scrollToBottom();
}

void frmLog::showStatus()
{
    const QString problem = m_readFailure ? m_readFailure.reason : m_openProblem;
    QPalette colours;
    if (!problem.isEmpty())
        colours.setColor(QPalette::WindowText, ErrorColour(palette()));
    lblStatus->setPalette(colours);
    if (!problem.isEmpty()) {
        lblStatus->setText(problem);
        return;
    }
    const Tab &tab = m_tabs[static_cast<size_t>(std::max(0, tabLog->currentIndex()))];
    const QString name = QFileInfo(tab.tail.path()).fileName();
    lblStatus->setText(tab.model->rowCount() == 0 ? name + QStringLiteral(": nothing logged") : name);
}

void frmLog::cmdOpenLogs_Click()
{
    const QString folder = QFileInfo(LogFilePath(m_programDir, 1, m_day)).absolutePath();
    if (!QDir(folder).exists())
        m_openProblem = QStringLiteral("nothing logged yet: ") + QDir::toNativeSeparators(folder) + " does not exist";
    else if (!QDesktopServices::openUrl(QUrl::fromLocalFile(folder)))
        m_openProblem = QStringLiteral("cannot open ") + QDir::toNativeSeparators(folder);
    else
        m_openProblem.clear();
    showStatus();
}
