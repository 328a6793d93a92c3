#include "app/dialog/frmSetWatch.h"
#include "config/WatchSettings.h"

#include <QtTest>
#include <QtWidgets>
#include <memory>

class SetWatchDialogTest : public QObject
{
    Q_OBJECT

private:
    QString ini() const { return TranslatorIniPath(m_dir->path()); }
    // Active, Format and Path of both folders.
    static QString describe(const WatchSettingsTable &table)
    {
        QStringList folders;
        for (int folder : {1, 2})
            folders << QString::number(table[folder].Active) + u' ' + QString::number(table[folder].Format) + u' ' +
                           table[folder].Path;
        return folders.join(QStringLiteral(", "));
    }
    QPointer<frmSetWatch> open()
    {
        auto *dialog = new frmSetWatch(m_table, m_dir->path());
        dialog->show();
        dialog->activateWindow();
        if (!QTest::qWaitForWindowActive(dialog))
            qFatal("the dialog did not become active");
        return dialog;
    }
    template <typename Control> static Control *child(QWidget *dialog, const char *name)
    {
        auto *control = dialog->findChild<Control *>(QLatin1String(name));
        if (control == nullptr)
            qFatal("no control %s", name);
        return control;
    }
    static void click(QWidget *dialog, const char *button)
    {
        child<QPushButton>(dialog, button)->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    WatchSettingsTable m_table{};

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_table = {};
        m_table[1] = {false, QStringLiteral("  /srv/one/  "), 0};
        m_table[2] = {true, QStringLiteral("/srv/two/"), 0};
    }
    void cleanup()
    {
        // Guarded: deleting a window also deletes its own child windows.
        const QWidgetList windows = QApplication::topLevelWidgets();
        for (const QPointer<QWidget> &window : QList<QPointer<QWidget>>(windows.cbegin(), windows.cend()))
            delete window.data();
    }

    // A Format with no entry in the list shows no selection and survives an Apply that did not touch the list; the
    // path is trimmed and gets its separator.
    void applyTakesTheEditsIntoTheTableAndTheFile()
    {
        m_table[1].Format = 7;
        const QPointer<frmSetWatch> dialog = open();
        auto *path = child<QLineEdit>(dialog, "txtPath1");
        QCOMPARE(path->text(), QStringLiteral("/srv/one/"));
        auto *format = child<QComboBox>(dialog, "cmbFormat1");
        QCOMPARE(format->currentIndex(), -1);
        path->setText(QStringLiteral("  /srv/a  "));
        child<QCheckBox>(dialog, "chkEnable1")->setChecked(true);
        click(dialog, "cmdOK");
        QVERIFY(dialog.isNull());
        QCOMPARE(describe(m_table), QStringLiteral("1 7 /srv/a/, 1 0 /srv/two/"));
        WatchSettingsTable saved{};
        LoadWatchSettings(m_dir->path(), saved);
        QCOMPARE(describe(saved), describe(m_table));
    }

    // The warning is shown while the dialog stays open with its edits; the table changes only with the file, and
    // Cancel then leaves both as they were.
    void settingsNotSavedAreSaidAndTheDialogStaysOpen()
    {
        QVERIFY(QDir().mkdir(ini())); // a folder where the file belongs
        const QPointer<frmSetWatch> dialog = open();
        child<QLineEdit>(dialog, "txtPath1")->setText(QStringLiteral("/srv/new"));
        click(dialog, "cmdOK");
        const QPointer<QMessageBox> message = dialog->findChild<QMessageBox *>(QStringLiteral("msgNotSaved"));
        QVERIFY(message != nullptr);
        QTRY_COMPARE(QApplication::activeWindow(), message.data());
        QCOMPARE(message->text(), "The watch folder settings could not be saved to " + QDir::toNativeSeparators(ini()) +
                                      ": cannot be read: file to open is a directory");
        message->button(QMessageBox::Ok)->click();
        QVERIFY(!dialog.isNull() && dialog->isVisible());
        QCOMPARE(child<QLineEdit>(dialog, "txtPath1")->text(), QStringLiteral("/srv/new"));

        click(dialog, "cmdCancel");
        QVERIFY(dialog.isNull());
        QVERIFY(QFileInfo(ini()).isDir());
        QCOMPARE(m_table[1].Path, QStringLiteral("  /srv/one/  "));
    }

    // The folder chooser and its completion list, a parentless popup, are no other window of the program.
    void theFolderChooserAndItsCompletionListKeepTheDialogAndItsEdits()
    {
        QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("schedules")));
        QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("scripts")));
        const QPointer<frmSetWatch> dialog = open();
        child<QCheckBox>(dialog, "chkEnable2")->setChecked(false);
        click(dialog, "cmdBrowse1");
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
