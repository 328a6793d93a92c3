#include "config/Ini.h"
#include "config/WatchSettings.h"
#include "config/dialog/frmSetWatch.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

class SetWatchDialogTest : public QObject
{
    Q_OBJECT

private:
    QString ini() const { return TranslatorIniPath(m_dir->path()); }
    QString iniValue(int folder, const char *key) const
    {
        return ReadIniString(ini(), QStringLiteral("Watch_Folder_%1_Settings").arg(folder), QLatin1String(key),
                             QStringLiteral("missing"));
    }
    QByteArray iniBytes() const
    {
        QFile file(ini());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void writeIni(const QByteArray &bytes, const QDateTime &modified = {}) const
    {
        QFile file(ini());
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.write(bytes) == bytes.size() && file.flush());
        QVERIFY(!modified.isValid() || file.setFileTime(modified, QFileDevice::FileModificationTime));
    }
    QPointer<frmSetWatch> open()
    {
        auto *dialog = new frmSetWatch(m_table, m_dir->path());
        dialog->show();
        return dialog;
    }
    template <typename Control> static Control *child(QWidget *dialog, const char *name)
    {
        auto *control = dialog->findChild<Control *>(QLatin1String(name));
        if (control == nullptr)
            qFatal("no control %s", name);
        return control;
    }
    static void flushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

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
        for (const QPointer<QWidget> &window : QList<QPointer<QWidget>>(windows.cbegin(), windows.cend()))
            delete window.data();
    }

    // Apply writes all six keys and closes; a Format with no entry in the list shows no selection and survives
    // an Apply that did not touch the list.
    void applyWritesAllSixKeys_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<bool>("pick");
        QTest::addColumn<int>("shown");
        QTest::addColumn<int>("applied");
        QTest::newRow("0") << 0 << false << 0 << 0;
        QTest::newRow("-1 untouched") << -1 << false << -1 << -1;
        QTest::newRow("7 untouched") << 7 << false << -1 << 7;
        QTest::newRow("7, NRT XLSX picked") << 7 << true << -1 << 0;
    }
    void applyWritesAllSixKeys()
    {
        QFETCH(int, stored);
        QFETCH(bool, pick);
        QFETCH(int, shown);
        QFETCH(int, applied);
        writeIni("[Watch_Folder_1_Settings]\r\nActive=-1\r\n");
        m_table[1].Format = static_cast<int16_t>(stored);
        const QPointer<frmSetWatch> dialog = open();
        QVERIFY(child<QCheckBox>(dialog, "chkEnable2")->isChecked());
        auto *format = child<QComboBox>(dialog, "cmbFormat1");
        QCOMPARE(format->currentIndex(), shown);
        QCOMPARE(format->itemText(0), QStringLiteral("NRT XLSX"));
        if (pick)
            format->setCurrentIndex(0);
        child<QPushButton>(dialog, "cmdOK")->click();
        flushDeletes();
        QVERIFY(dialog.isNull());
        QCOMPARE(m_table[1].Format, applied);
        const QStringList expected{"0", "/srv/one/", QString::number(applied), "1", "/srv/two/", "0"};
        QCOMPARE((QStringList{iniValue(1, "Active"), iniValue(1, "Path"), iniValue(1, "Format"), iniValue(2, "Active"),
                              iniValue(2, "Path"), iniValue(2, "Format")}),
                 expected);
    }

    void pathShownTrimmedAndAppliedWithSeparator_data()
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
    void pathShownTrimmedAndAppliedWithSeparator()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        m_table[2].Path = QStringLiteral("  /data/x  ");
        const QPointer<frmSetWatch> dialog = open();
        auto *path = child<QLineEdit>(dialog, "txtPath2");
        QCOMPARE(path->text(), QStringLiteral("/data/x"));
        path->setText(typed);
        child<QPushButton>(dialog, "cmdOK")->click();
        QCOMPARE(m_table[2].Path, stored);
        QCOMPARE(iniValue(2, "Path"), stored);
    }

    void cancelLeavesTableAndFileUntouched()
    {
        const QByteArray before = "[Watch_Folder_1_Settings]\r\nActive=0\r\n";
        const QDateTime old(QDate(2001, 2, 3), QTime(4, 5, 6));
        writeIni(before, old);
        const QPointer<frmSetWatch> dialog = open();
        child<QCheckBox>(dialog, "chkEnable1")->setChecked(true);
        child<QLineEdit>(dialog, "txtPath1")->setText(QStringLiteral("/elsewhere"));
        child<QPushButton>(dialog, "cmdCancel")->click();
        flushDeletes();
        QVERIFY(dialog.isNull());
        QCOMPARE(iniBytes(), before);
        QCOMPARE(QFileInfo(ini()).lastModified(), old);
        QCOMPARE(m_table[1].Active, false);
        QCOMPARE(m_table[1].Path, QStringLiteral("/srv/one/"));
    }

    // The warning is shown while the dialog stays open with its edits; the table changes only with the file.
    void settingsNotSavedAreSaidAndTheDialogStaysOpen()
    {
        QVERIFY(QDir().mkdir(ini())); // a folder where the file belongs
        const QPointer<frmSetWatch> dialog = open();
        dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        child<QLineEdit>(dialog, "txtPath1")->setText(QStringLiteral("/srv/new"));
        child<QPushButton>(dialog, "cmdOK")->click();
        const QPointer<QMessageBox> message = dialog->findChild<QMessageBox *>(QStringLiteral("msgNotSaved"));
        QVERIFY(message != nullptr);
        QTRY_COMPARE(QApplication::activeWindow(), message.data());
        QCOMPARE(message->icon(), QMessageBox::Warning);
        QCOMPARE(message->text(), "The watch folder settings could not be saved to " + QDir::toNativeSeparators(ini()) +
                                      ": cannot be read: file to open is a directory");
        message->button(QMessageBox::Ok)->click();
        flushDeletes();
        QVERIFY(message.isNull());
        QVERIFY(!dialog.isNull() && dialog->isVisible());
        QCOMPARE(child<QLineEdit>(dialog, "txtPath1")->text(), QStringLiteral("/srv/new"));
        QCOMPARE(m_table[1].Path, QStringLiteral("/srv/one/"));

        QVERIFY(QDir().rmdir(ini()));
        child<QPushButton>(dialog, "cmdOK")->click();
        flushDeletes();
        QVERIFY(dialog.isNull());
        QCOMPARE(m_table[1].Path, QStringLiteral("/srv/new/"));
        QCOMPARE(iniValue(1, "Path"), QStringLiteral("/srv/new/"));
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

    // Typing opens the chooser's completion list, a parentless popup window: no other window of the program.
    void typingInTheChooserKeepsTheDialogAndItsEdits()
    {
        QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("schedules")));
        QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("scripts")));
        const QPointer<frmSetWatch> dialog = open();
        dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        child<QCheckBox>(dialog, "chkEnable2")->setChecked(false);
        child<QPushButton>(dialog, "cmdBrowse1")->click();
        const QPointer<QFileDialog> chooser = dialog->findChild<QFileDialog *>(QStringLiteral("dlgBrowse1"));
        QVERIFY(chooser != nullptr);
        QTRY_COMPARE(QApplication::activeWindow(), chooser.data());

        auto *name = child<QLineEdit>(chooser, "fileNameEdit");
        QTest::keyClicks(name, m_dir->path() + QStringLiteral("/sc"));
        QAbstractItemView *list = name->completer()->popup();
        QTRY_VERIFY(list->isVisible());
        QTest::keyClicks(list, QStringLiteral("hedules"));
        QTest::keyClick(list, Qt::Key_Escape); // closes the list only
        QCoreApplication::processEvents();
        QVERIFY(!dialog.isNull() && dialog->isVisible());
        QVERIFY(!chooser.isNull() && chooser->isVisible());

        QTest::keyClick(name, Qt::Key_Return);
        QTRY_VERIFY(chooser.isNull() || !chooser->isVisible());
        QCoreApplication::processEvents();
        QVERIFY(!dialog.isNull() && dialog->isVisible());
        QCOMPARE(child<QLineEdit>(dialog, "txtPath1")->text(), m_dir->path() + QStringLiteral("/schedules"));
        QVERIFY(!child<QCheckBox>(dialog, "chkEnable2")->isChecked());
    }
};

QTEST_MAIN(SetWatchDialogTest)
#include "SetWatchDialogTest.moc"
