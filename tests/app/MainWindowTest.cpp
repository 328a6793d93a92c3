#include "app/gui/frmAbout.h"
#include "app/gui/frmMain.h"
#include "config/WatchSettings.h"
#include "events/Clock.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <memory>

namespace {

template <typename Widget = QWidget> Widget *Child(QObject *window, const QString &name)
{
    auto *widget = window->findChild<Widget *>(name);
    if (widget == nullptr)
        qFatal("no child %s", qPrintable(name));
    return widget;
}

QList<QWidget *> Panel(QObject *window, int folder)
{
    QList<QWidget *> controls;
    for (const char *name : {"frameWatch", "lblFolder", "lblFile", "lblWatchFolder", "lblLastFile"})
        controls << Child(window, QLatin1String(name) + QString::number(folder));
    return controls;
}

} // namespace

class MainWindowTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<frmMain> start()
    {
        auto window = std::make_unique<frmMain>(m_dir->path(), m_clock);
        window->setCloseQuestion([this](QWidget *) {
            ++m_questions;
            return m_answerYes;
        });
        return window;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    ManualClock m_clock;
    int m_questions = 0;
    bool m_answerYes = false;

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_questions = 0;
    }

    void startUpShowsThePanels_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<bool>("enabled1");
        QTest::addColumn<QString>("path2");
        QTest::newRow("no Translator.ini") << QByteArray() << false << DefaultWatchPath();
        QTest::newRow("folder 1 active") << QByteArray("[Watch_Folder_1_Settings]\nActive=1\nPath=/srv/in/\n"
                                                       "[Watch_Folder_2_Settings]\nActive=0\nPath=/srv/two/\n")
                                         << true << QStringLiteral("/srv/two/");
    }
    void startUpShowsThePanels()
    {
        QFETCH(QByteArray, ini);
        QFETCH(bool, enabled1);
        QFETCH(QString, path2);
        if (!ini.isEmpty()) {
            QFile file(TranslatorIniPath(m_dir->path()));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(ini);
        }
        const auto window = start();
        for (int folder : {1, 2}) {
            for (QWidget *control : Panel(window.get(), folder))
                QVERIFY2(control->isEnabled() == (folder == 1 && enabled1), qPrintable(control->objectName()));
            QCOMPARE(Child<QLabel>(window.get(), "lblLastFile" + QString::number(folder))->text(), QString());
        }
        QCOMPARE(Child<QLabel>(window.get(), QStringLiteral("lblWatchFolder2"))->text(), path2);
        QCOMPARE(Child<QGroupBox>(window.get(), QStringLiteral("frameWatch2"))->title(),
                 QStringLiteral("Watch Folder 2"));
        QVERIFY(window->windowTitle().startsWith(QStringLiteral("DWX Tavrel Translator Version: ")));
    }

    void versionInCaptionAndAboutBox()
    {
        QCOMPARE(frmMain::Caption(1, 0, 0), QStringLiteral("DWX Tavrel Translator Version: 1.00"));
        QCOMPARE(frmMain::Caption(2, 3, 11), QStringLiteral("DWX Tavrel Translator Version: 2.311"));
        QCOMPARE(frmAbout::VersionText(2, 3, 11), QStringLiteral("2.3.11"));
        const auto window = start();
        window->menuAbout_Click();
        QCOMPARE(Child<QLabel>(window.get(), QStringLiteral("lblVERSION"))->text(), QStringLiteral(TAVREL_VERSION));
    }

    void closeQuestion_data()
    {
        QTest::addColumn<bool>("viaExit");
        QTest::addColumn<bool>("yes");
        QTest::newRow("close box, No") << false << false;
        QTest::newRow("close box, Yes") << false << true;
        QTest::newRow("File > Exit, No") << true << false;
        QTest::newRow("File > Exit, Yes") << true << true;
    }
    void closeQuestion()
    {
        QFETCH(bool, viaExit);
        QFETCH(bool, yes);
        m_answerYes = yes;
        const auto window = start();
        window->show();
        QSignalSpy unloaded(window.get(), &frmMain::unloaded);
        if (viaExit)
            Child<QAction>(window.get(), QStringLiteral("menuFileExit"))->trigger();
        else
            window->close();
        QCOMPARE(m_questions, 1);
        QCOMPARE(window->isVisible(), !yes);
        QCOMPARE(unloaded.count(), yes ? 1 : 0);
        QCOMPARE(Child<QTimer>(window.get(), QStringLiteral("timeMain"))->isActive(), !yes);
        QCOMPARE(Child<QTimer>(window.get(), QStringLiteral("timeWatch"))->isActive(), !yes);
    }

    void closeQuestionBoxDefaultsToNo()
    {
        QString seen;
        QTimer answer;
        connect(&answer, &QTimer::timeout, this, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (box == nullptr)
                return;
            answer.stop();
            seen = box->windowTitle() + u'|' + box->text() + u'|' + QString::number(box->icon()) + u'|' +
                   QString::number(box->standardButtons());
            QTest::keyClick(box, Qt::Key_Return);
        });
        answer.start(0);
        QVERIFY(!frmMain::AskCloseQuestion(nullptr));
        QCOMPARE(seen, "Warning|Are you sure you want to close the Excel To Tavrel Utility down?|" +
                           QString::number(QMessageBox::Warning) + u'|' +
                           QString::number(QMessageBox::Yes | QMessageBox::No));
    }

    // Either menu command opens one window however often it is given. Another application in front keeps it;
    // activating the main window closes it, and the settings dialog's edits are lost.
    void menuCommandOpensOneWindowClosedByTheMainWindow_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("opened");
        QTest::newRow("Watch Folder Settings") << QStringLiteral("menuSetWatch") << QStringLiteral("frmSetWatch");
        QTest::newRow("About") << QStringLiteral("menuAbout") << QStringLiteral("frmAbout");
    }
    void menuCommandOpensOneWindowClosedByTheMainWindow()
    {
        QFETCH(QString, command);
        QFETCH(QString, opened);
        const auto window = start();
        window->show();
        Child<QAction>(window.get(), command)->trigger();
        Child<QAction>(window.get(), command)->trigger();
        const QList<QWidget *> windows = window->findChildren<QWidget *>(opened);
        QCOMPARE(windows.size(), 1);
        const QPointer<QWidget> dialog = windows.first();
        QVERIFY(dialog->isWindow());
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        if (auto *path = dialog->findChild<QLineEdit *>(QStringLiteral("txtPath1")))
            path->setText(QStringLiteral("/changed"));
        QApplication::setActiveWindow(nullptr);
        QCoreApplication::processEvents();
        QVERIFY(!dialog.isNull() && dialog->isVisible());

        window->activateWindow();
        QTRY_VERIFY(dialog.isNull());
        QCOMPARE(window->core().WatchFolderSettings()[1].Path, DefaultWatchPath());
        QVERIFY(!QFile::exists(TranslatorIniPath(m_dir->path())));
    }

    // A failed conversion stands out with its reason until the next success; a cut-off path shows whole on hover.
    void panelShowsAFailureAndAWholeLongPath()
    {
        const auto window = start();
        auto *lastFile = Child<QLabel>(window.get(), QStringLiteral("lblLastFile1"));
        auto *watchFolder = Child<QLabel>(window.get(), QStringLiteral("lblWatchFolder1"));
        const QColor normal = lastFile->palette().color(QPalette::WindowText);
        PanelState state = window->core().panel(1);
        state.LastFile = QStringLiteral("Day1.xlsx not made");
        state.LastFailure = QStringLiteral("cannot write /srv/in/Day1.TVX: No space left on device");
        state.WatchFolder = QStringLiteral("/srv/") + QString(200, u'x') + u'/';
        window->panelChanged(1, state);
        QCOMPARE(lastFile->toolTip(), state.LastFailure);
        QVERIFY(lastFile->palette().color(QPalette::WindowText) != normal);
        QCOMPARE(watchFolder->toolTip(), state.WatchFolder);

        state.LastFile = QStringLiteral("Day1.TVX  14:05:33");
        state.LastFailure.clear();
        state.WatchFolder = QStringLiteral("/srv/in/");
        window->panelChanged(1, state);
        QCOMPARE(lastFile->toolTip(), QString());
        QCOMPARE(lastFile->palette().color(QPalette::WindowText), normal);
        QCOMPARE(watchFolder->toolTip(), QString());
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
