#include "app/dialog/frmSetWatch.h"

#include "app/windows/ProgramWindows.h"
#include "app/windows/Twips.h"
#include "events/Number.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <algorithm>

namespace {

QPushButton *MakeButton(QWidget *parent, const QString &name, const QString &caption, const QRect &geometry)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    return button;
}

} // namespace

frmSetWatch::frmSetWatch(WatchSettingsTable &table, QString programDir, QWidget *parent)
    : QWidget(parent, Qt::Dialog), m_table(table), m_programDir(std::move(programDir))
{
    setObjectName(QStringLiteral("frmSetWatch"));
    setAttribute(Qt::WA_DeleteOnClose);
    new DeactivationWatch(this, [this] { Form_Deactivate(); });
    setWindowTitle(QStringLiteral("Watch Folder Settings"));
    setFixedSize(Twips(this, 6450), Twips(this, 3345));
    createControls();
    Form_Load();
}

void frmSetWatch::createControls()
{
    SSTab1 = new QTabWidget(this);
    SSTab1->setObjectName(QStringLiteral("SSTab1"));
    SSTab1->setGeometry(TwipsRect(this, 150, 150, 6135, 2535));
    for (int i = 1; i <= WatchFolderCount; ++i) {
        auto *page = new QWidget(SSTab1);
        page->setObjectName(QStringLiteral("SSTab1Page") + QString::number(i));
        SSTab1->addTab(page, QStringLiteral("Watch Folder ") + QString::number(i));

        // The tab row takes the top of the tab control, so the frame stands that much higher in its page.
        Frame1[i] = MakeControl<QGroupBox>(page, QStringLiteral("Frame1"), i, TwipsRect(this, 360, 150, 5385, 1600));
        Frame1[i]->setTitle(QStringLiteral("Settings"));
        QWidget *frame = Frame1[i];
        lblEnable[i] = MakeLabel(frame, QStringLiteral("lblEnable"), i, QStringLiteral("Enable"),
                                 TwipsRect(this, 150, 330, 1035, 315));
        chkEnable[i] =
            MakeControl<QCheckBox>(frame, QStringLiteral("chkEnable"), i, TwipsRect(this, 1260, 390, 255, 255));
        lblPath[i] = MakeLabel(frame, QStringLiteral("lblPath"), i, QStringLiteral("Path"),
                               TwipsRect(this, 150, 690, 1035, 315));
        txtPath[i] = MakeControl<QLineEdit>(frame, QStringLiteral("txtPath"), i, TwipsRect(this, 1230, 690, 3570, 315));
        cmdBrowse[i] = MakeButton(frame, QStringLiteral("cmdBrowse") + QString::number(i), QStringLiteral("..."),
                                  TwipsRect(this, 4830, 690, 345, 315));
        cmdBrowse[i]->setToolTip(QStringLiteral("Choose the folder"));
        lblFormat[i] = MakeLabel(frame, QStringLiteral("lblFormat"), i, QStringLiteral("Format"),
                                 TwipsRect(this, 150, 1050, 1035, 315));
        cmbFormat[i] =
            MakeControl<QComboBox>(frame, QStringLiteral("cmbFormat"), i, TwipsRect(this, 1230, 1050, 1485, 315));
        connect(cmdBrowse[i], &QPushButton::clicked, this, [this, i] { cmdBrowse_Click(i); });
    }
    cmdOK = MakeButton(this, QStringLiteral("cmdOK"), QStringLiteral("Apply And Save"),
                       TwipsRect(this, 1830, 2820, 1305, 405));
    cmdCancel =
        MakeButton(this, QStringLiteral("cmdCancel"), QStringLiteral("Cancel"), TwipsRect(this, 3300, 2820, 1305, 405));
    // A caption wider than the design font allowed grows its button outwards, away from the other one.
    const int okWidth = std::max(cmdOK->width(), cmdOK->sizeHint().width());
    cmdOK->setGeometry(cmdOK->geometry().right() + 1 - okWidth, cmdOK->y(), okWidth, cmdOK->height());
    cmdCancel->resize(std::max(cmdCancel->width(), cmdCancel->sizeHint().width()), cmdCancel->height());
    connect(cmdOK, &QPushButton::clicked, this, &frmSetWatch::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmSetWatch::cmdCancel_Click);
}

void frmSetWatch::Form_Load()
{
    for (int i = 1; i <= WatchFolderCount; ++i) {
        cmbFormat[i]->addItem(QStringLiteral("NRT XLSX"));
    }
    for (int i = 1; i <= WatchFolderCount; ++i) {
        const WatchFolderSettings &entry = m_table[i];
        chkEnable[i]->setChecked(entry.Active);
        txtPath[i]->setText(Trimmed(entry.Path));
        m_loadedFormat[i] = entry.Format;
        // A Format without an entry in the list shows no selection.
        const bool listed = entry.Format >= 0 && entry.Format < cmbFormat[i]->count();
        cmbFormat[i]->setCurrentIndex(listed ? entry.Format : -1);
    }
}

void frmSetWatch::cmdOK_Click()
{
    WatchSettingsTable applied = m_table;
    for (int i = 1; i <= WatchFolderCount; ++i) {
        WatchFolderSettings &entry = applied[i];
        entry.Active = chkEnable[i]->isChecked();
        entry.Path = Trimmed(txtPath[i]->text());
        const int index = cmbFormat[i]->currentIndex();
        entry.Format = index >= 0 ? static_cast<int16_t>(index) : m_loadedFormat[i];
        entry.Path = WithTrailingSeparator(entry.Path);
    }
    // The table takes the edits only with the file, so that both still agree at the next start.
    if (const Failure failure = SaveWatchSettings(m_programDir, applied)) {
        // Not exec(): the dialog stays open and the timers keep running while the message is shown.
        auto *message =
            new QMessageBox(QMessageBox::Warning, windowTitle(),
                            QStringLiteral("The watch folder settings could not be saved to %1: %2")
                                .arg(QDir::toNativeSeparators(TranslatorIniPath(m_programDir)), failure.reason),
                            QMessageBox::Ok, this);
        message->setObjectName(QStringLiteral("msgNotSaved"));
        message->setAttribute(Qt::WA_DeleteOnClose);
        message->open();
        return;
    }
    m_table = applied;
    close();
}

void frmSetWatch::cmdCancel_Click()
{
    close();
}

void frmSetWatch::Form_Deactivate()
{
    close();
}

void frmSetWatch::cmdBrowse_Click(int folder)
{
    auto *chooser = new QFileDialog(this, QStringLiteral("Watch Folder ") + QString::number(folder));
    chooser->setObjectName(QStringLiteral("dlgBrowse") + QString::number(folder));
    chooser->setAttribute(Qt::WA_DeleteOnClose);
    chooser->setFileMode(QFileDialog::Directory);
    chooser->setOption(QFileDialog::ShowDirsOnly);
    const QString current = Trimmed(txtPath[folder]->text());
    if (!current.isEmpty() && QDir(current).exists()) {
        chooser->setDirectory(current);
    }
    connect(chooser, &QFileDialog::fileSelected, this,
            [this, folder](const QString &path) { txtPath[folder]->setText(QDir::toNativeSeparators(path)); });
    chooser->open();
}
