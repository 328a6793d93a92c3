#pragma once

#include "config/WatchSettings.h"

#include <QString>
#include <QWidget>
#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

// The watch-folder settings dialog. Non-modal; it changes the table and Translator.ini only on a successful
// "Apply And Save", and deletes itself whenever it closes.
class frmSetWatch : public QWidget
{
    Q_OBJECT

public:
    frmSetWatch(WatchSettingsTable &table, QString programDir, QWidget *parent = nullptr);

    // Writes both folders to Translator.ini, then takes them into the table and closes; when the file cannot be
    // written, a warning says why and the dialog stays open with its edits.
    void cmdOK_Click();
    // Closes without taking anything.
    void cmdCancel_Click();
    // Another window of the program became active: closes without taking anything.
    void Form_Deactivate();
    // Opens a folder chooser for the path of folder (1 or 2) as the dialog's own child.
    void cmdBrowse_Click(int folder);

private:
    void createControls();
    void Form_Load();

    WatchSettingsTable &m_table;
    QString m_programDir;
    // A stored Format without an entry in the list is kept unless the user picks an entry.
    std::array<int16_t, WatchFolderCount + 1> m_loadedFormat{};

    QTabWidget *SSTab1 = nullptr;
    std::array<QGroupBox *, WatchFolderCount + 1> Frame1{};
    std::array<QLabel *, WatchFolderCount + 1> lblEnable{};
    std::array<QCheckBox *, WatchFolderCount + 1> chkEnable{};
    std::array<QLabel *, WatchFolderCount + 1> lblPath{};
    std::array<QLineEdit *, WatchFolderCount + 1> txtPath{};
    std::array<QPushButton *, WatchFolderCount + 1> cmdBrowse{};
    std::array<QLabel *, WatchFolderCount + 1> lblFormat{};
    std::array<QComboBox *, WatchFolderCount + 1> cmbFormat{};
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;
};
