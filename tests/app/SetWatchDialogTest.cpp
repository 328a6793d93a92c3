#include "config/Ini.h"
#include "config/WatchSettings.h"
#include "config/dialog/frmSetWatch.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

Q_DECLARE_METATYPE(WatchFolderSettings)

class SetWatchDialogTest : public QObject
{
    Q_OBJECT

private:
    QString ini() const { return TranslatorIniPath(m_dir->path()); }
    QPointer<frmSetWatch> open()
    {
        auto *dialog = new frmSetWatch(m_table, m_dir->path());
        dialog->show();
        return dialog;
    }
    template <typename Control> static Control *child(QWidget *dialog, const char *name)
    {
        auto *control = dialog->findChild<Control *>(QLatin1String(name));
        if (control == nullptr) {
            qFatal("no control %s", name);
        }
        return control;
    }
    static void flushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
    QByteArray iniBytes() const
    {
        QFile file(ini());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    WatchSettingsTable m_table{};

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_table = {};
        m_table[1] = {false, QStringLiteral("/srv/one/"), 0};
        m_table[2] = {true, QStringLiteral("/srv/two/"), 0};
    }
    void cleanup()
    {
        // Guarded: deleting a window also deletes its own child windows.
        const QWidgetList windows = QApplication::topLevelWidgets();
        const QList<QPointer<QWidget>> guarded(windows.cbegin(), windows.cend());
        for (const QPointer<QWidget> &window : guarded) {
            delete window.data();
        }
    }

    void opensWithTheStoredSettings_data()
    {
        QTest::addColumn<WatchFolderSettings>("stored");
        QTest::addColumn<QString>("shownPath");
        QTest::addColumn<int>("shownFormat");
        QTest::newRow("active, NRT XLSX")
            << WatchFolderSettings{true, QStringLiteral("/data/in/"), 0} << QStringLiteral("/data/in/") << 0;
        QTest::newRow("blanks around the path")
            << WatchFolderSettings{false, QStringLiteral("  /data/x  "), 0} << QStringLiteral("/data/x") << 0;
        QTest::newRow("format -1") << WatchFolderSettings{false, QString(), -1} << QString() << -1;
        QTest::newRow("format 7") << WatchFolderSettings{true, QStringLiteral("/d/"), 7} << QStringLiteral("/d/") << -1;
    }
    void opensWithTheStoredSettings()
    {
        QFETCH(WatchFolderSettings, stored);
        QFETCH(QString, shownPath);
        QFETCH(int, shownFormat);
        m_table[2] = stored;
        const QPointer<frmSetWatch> dialog = open();
        QCOMPARE(child<QCheckBox>(dialog, "chkEnable2")->isChecked(), stored.Active);
        QCOMPARE(child<QLineEdit>(dialog, "txtPath2")->text(), shownPath);
        auto *format = child<QComboBox>(dialog, "cmbFormat2");
        QCOMPARE(format->count(), 1);
        QCOMPARE(format->itemText(0), QStringLiteral("NRT XLSX"));
        QCOMPARE(format->currentIndex(), shownFormat);
    }

    // A Format with no entry in the list survives an Apply that did not touch the list.
    void applyKeepsAnUntouchedFormat_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<bool>("pick");
        QTest::addColumn<int>("applied");
        QTest::newRow("-1 untouched") << -1 << false << -1;
        QTest::newRow("7 untouched") << 7 << false << 7;
        QTest::newRow("7, NRT XLSX picked") << 7 << true << 0;
        QTest::newRow("0 untouched") << 0 << false << 0;
    }
    void applyKeepsAnUntouchedFormat()
    {
        QFETCH(int, stored);
        QFETCH(bool, pick);
        QFETCH(int, applied);
        m_table[1].Format = static_cast<int16_t>(stored);
        const QPointer<frmSetWatch> dialog = open();
        if (pick) {
            child<QComboBox>(dialog, "cmbFormat1")->setCurrentIndex(0);
        }
        child<QPushButton>(dialog, "cmdOK")->click();
        QCOMPARE(m_table[1].Format, applied);
        QCOMPARE(ReadIniString(ini(), QStringLiteral("Watch_Folder_1_Settings"), QStringLiteral("Format"), {}),
                 QString::number(applied));
    }

    void applyAppendsTheSeparator_data()
    {
        const QString sep = NativeSeparator();
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::newRow("no separator") << QStringLiteral("/srv/schedules") << "/srv/schedules" + sep;
        QTest::newRow("separator already") << "/srv/schedules" + sep << "/srv/schedules" + sep;
        QTest::newRow("blanks removed first") << QStringLiteral("  /srv/a  ") << "/srv/a" + sep;
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("blanks only") << QStringLiteral("   ") << QString();
    }
    void applyAppendsTheSeparator()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        const QPointer<frmSetWatch> dialog = open();
        child<QLineEdit>(dialog, "txtPath2")->setText(typed);
        child<QPushButton>(dialog, "cmdOK")->click();
        QCOMPARE(m_table[2].Path, stored);
        QCOMPARE(ReadIniString(ini(), QStringLiteral("Watch_Folder_2_Settings"), QStringLiteral("Path"),
                               QStringLiteral("missing")),
                 stored);
    }

    void applyWritesAllSixKeysAndCloses()
    {
        QFile file(ini());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Watch_Folder_1_Settings]\r\nActive=-1\r\n[Other]\r\nKey=kept\r\n");
        file.close();
        m_table[2].Format = -1;
        const QPointer<frmSetWatch> dialog = open();
        child<QPushButton>(dialog, "cmdOK")->click();
        flushDeletes();
        QVERIFY(dialog.isNull());

        const auto read = [this](const char *section, const char *key) {
            return ReadIniString(ini(), QLatin1String(section), QLatin1String(key), QStringLiteral("missing"));
        };
        QCOMPARE(read("Watch_Folder_1_Settings", "Active"), QStringLiteral("0"));
        QCOMPARE(read("Watch_Folder_1_Settings", "Path"), QStringLiteral("/srv/one/"));
        QCOMPARE(read("Watch_Folder_1_Settings", "Format"), QStringLiteral("0"));
        QCOMPARE(read("Watch_Folder_2_Settings", "Active"), QStringLiteral("1"));
        QCOMPARE(read("Watch_Folder_2_Settings", "Path"), QStringLiteral("/srv/two/"));
        QCOMPARE(read("Watch_Folder_2_Settings", "Format"), QStringLiteral("-1"));
        QCOMPARE(read("Other", "Key"), QStringLiteral("kept"));
    }

    void cancelLeavesTableAndFileUntouched()
    {
        QFile file(ini());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Watch_Folder_1_Settings]\r\nActive=0\r\n");
        QVERIFY(file.flush());
        const QDateTime old(QDate(2001, 2, 3), QTime(4, 5, 6));
        QVERIFY(file.setFileTime(old, QFileDevice::FileModificationTime));
        file.close();
        const QByteArray before = iniBytes();
        const WatchSettingsTable tableBefore = m_table;

        const QPointer<frmSetWatch> dialog = open();
        child<QCheckBox>(dialog, "chkEnable1")->setChecked(true);
        child<QLineEdit>(dialog, "txtPath1")->setText(QStringLiteral("/elsewhere"));
        child<QPushButton>(dialog, "cmdCancel")->click();
        flushDeletes();

        QVERIFY(dialog.isNull());
        QCOMPARE(iniBytes(), before);
        QCOMPARE(QFileInfo(ini()).lastModified(), old);
        for (int i = 1; i <= WatchFolderCount; ++i) {
            QCOMPARE(m_table[i].Active, tableBefore[i].Active);
            QCOMPARE(m_table[i].Path, tableBefore[i].Path);
        }
    }

    // Another application in front keeps the dialog; another window of the program closes it unapplied.
    void deactivationClosesWithoutApplying()
    {
        QWidget other;
        other.show();
        const QPointer<frmSetWatch> dialog = open();
        dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        child<QCheckBox>(dialog, "chkEnable1")->setChecked(true);

        QApplication::setActiveWindow(nullptr);
        QCoreApplication::processEvents();
        QVERIFY(dialog->isVisible());

        other.activateWindow();
        QTRY_VERIFY(dialog.isNull());
        QCOMPARE(m_table[1].Active, false);
        QVERIFY(!QFileInfo::exists(ini()));
    }

    void ownFolderChooserKeepsTheDialogOpen()
    {
        const QPointer<frmSetWatch> dialog = open();
        dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        child<QPushButton>(dialog, "cmdBrowse1")->click();
        auto *chooser = dialog->findChild<QFileDialog *>(QStringLiteral("dlgBrowse1"));
        QVERIFY(chooser != nullptr);
        QTRY_COMPARE(QApplication::activeWindow(), chooser);
        QCoreApplication::processEvents();
        QVERIFY(dialog->isVisible());

        Q_EMIT chooser->fileSelected(m_dir->path());
        QCOMPARE(child<QLineEdit>(dialog, "txtPath1")->text(), QDir::toNativeSeparators(m_dir->path()));
        QCOMPARE(m_table[1].Path, QStringLiteral("/srv/one/"));
    }
};

QTEST_MAIN(SetWatchDialogTest)
#include "SetWatchDialogTest.moc"
