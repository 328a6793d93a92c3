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

// Counts the paint events a widget receives.
class PaintCounter : public QObject
{
public:
    int count = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        count += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

} // namespace

class MainWindowTest : public QObject
{
    Q_OBJECT

private:
    void writeIni(const QByteArray &text)
    {
        QFile file(TranslatorIniPath(m_dir->path()));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    std::unique_ptr<frmMain> start()
    {
        auto window = std::make_unique<frmMain>(m_dir->path(), m_clock);
        window->setCloseQuestion([this](QWidget *) {
            ++m_questions;
            return m_answerYes;
        });
        return window;
    }
    template <typename Widget = QWidget> static Widget *child(QObject *window, const QString &name)
    {
        auto *widget = window->findChild<Widget *>(name);
        if (widget == nullptr) {
            qFatal("no child %s", qPrintable(name));
        }
        return widget;
    }
    static QList<QWidget *> panel(QObject *window, int folder)
    {
        QList<QWidget *> controls;
        for (const char *name : {"frameWatch", "lblFolder", "lblFile", "lblWatchFolder", "lblLastFile"}) {
            controls << child(window, QLatin1String(name) + QString::number(folder));
        }
        return controls;
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
        m_answerYes = false;
    }

    void startUpShowsThePanels_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<bool>("enabled1");
        QTest::addColumn<bool>("enabled2");
        QTest::addColumn<QString>("path2");
        QTest::newRow("no Translator.ini") << QByteArray() << false << false << DefaultWatchPath();
        QTest::newRow("folder 1 active") << QByteArray("[Watch_Folder_1_Settings]\nActive=1\nPath=/srv/in/\n"
                                                       "[Watch_Folder_2_Settings]\nActive=0\nPath=/srv/two/\n")
                                         << true << false << QStringLiteral("/srv/two/");
    }
    void startUpShowsThePanels()
    {
        QFETCH(QByteArray, ini);
        QFETCH(bool, enabled1);
        QFETCH(bool, enabled2);
        QFETCH(QString, path2);
        if (!ini.isEmpty()) {
            writeIni(ini);
        }
        const auto window = start();
        for (QWidget *control : panel(window.get(), 1)) {
            QVERIFY2(control->isEnabled() == enabled1, qPrintable(control->objectName()));
        }
        for (QWidget *control : panel(window.get(), 2)) {
            QVERIFY2(control->isEnabled() == enabled2, qPrintable(control->objectName()));
        }
        QCOMPARE(child<QLabel>(window.get(), QStringLiteral("lblWatchFolder2"))->text(), path2);
        QCOMPARE(child<QLabel>(window.get(), QStringLiteral("lblLastFile1"))->text(), QString());
        QCOMPARE(child<QLabel>(window.get(), QStringLiteral("lblLastFile2"))->text(), QString());
        QCOMPARE(child<QGroupBox>(window.get(), QStringLiteral("frameWatch2"))->title(),
                 QStringLiteral("Watch Folder 2"));
    }

    void versionTexts_data()
    {
        QTest::addColumn<int>("major");
        QTest::addColumn<int>("minor");
        QTest::addColumn<int>("revision");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("about");
        QTest::newRow("1.0.0") << 1 << 0 << 0 << QStringLiteral("DWX Tavrel Translator Version: 1.00")
                               << QStringLiteral("1.0.0");
        QTest::newRow("2.3.11") << 2 << 3 << 11 << QStringLiteral("DWX Tavrel Translator Version: 2.311")
                                << QStringLiteral("2.3.11");
    }
    void versionTexts()
    {
        QFETCH(int, major);
        QFETCH(int, minor);
        QFETCH(int, revision);
        QFETCH(QString, caption);
        QFETCH(QString, about);
        QCOMPARE(frmMain::Caption(major, minor, revision), caption);
        QCOMPARE(frmAbout::VersionText(major, minor, revision), about);
    }

    void windowsShowTheBuildVersion()
    {
        const auto window = start();
        QCOMPARE(window->windowTitle(),
                 frmMain::Caption(TAVREL_VERSION_MAJOR, TAVREL_VERSION_MINOR, TAVREL_VERSION_PATCH));
        window->menuAbout_Click();
        QCOMPARE(child<QLabel>(window.get(), QStringLiteral("lblVERSION"))->text(), QStringLiteral(TAVREL_VERSION));
    }

    // Ticks that change nothing repaint nothing; a changed setting repaints its panel at the next tick.
    void panelsRepaintOnlyOnChange()
    {
        const auto window = start();
        child<QTimer>(window.get(), QStringLiteral("timeMain"))->stop();
        child<QTimer>(window.get(), QStringLiteral("timeWatch"))->stop();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        PaintCounter paints;
        for (QWidget *control : panel(window.get(), 1)) {
            control->installEventFilter(&paints);
        }
        QCoreApplication::processEvents();
        paints.count = 0;

        for (int tick = 0; tick < 4; ++tick) {
            window->core().timeMain_Timer();
            QCoreApplication::processEvents();
        }
        QCOMPARE(paints.count, 0);

        window->core().WatchFolderSettings()[1].Active = true;
        window->core().timeMain_Timer();
        QVERIFY(child(window.get(), QStringLiteral("frameWatch1"))->isEnabled());
        QTRY_VERIFY(paints.count > 0);
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
        auto *timeMain = child<QTimer>(window.get(), QStringLiteral("timeMain"));
        auto *timeWatch = child<QTimer>(window.get(), QStringLiteral("timeWatch"));
        window->setMainTimerInterval(10000);
        QSignalSpy unloaded(window.get(), &frmMain::unloaded);

        if (viaExit) {
            child<QAction>(window.get(), QStringLiteral("menuFileExit"))->trigger();
        } else {
            window->close();
        }

        QCOMPARE(m_questions, 1);
        QCOMPARE(window->isVisible(), !yes);
        QCOMPARE(unloaded.count(), yes ? 1 : 0);
        QCOMPARE(timeMain->isActive(), !yes);
        QCOMPARE(timeWatch->isActive(), !yes);
        QCOMPARE(timeMain->interval(), 10000);
        QCOMPARE(timeWatch->interval(), 250);
    }

    void closeQuestionBoxDefaultsToNo()
    {
        QString title;
        QString text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QMessageBox::StandardButtons buttons;
        QTimer answer;
        connect(&answer, &QTimer::timeout, this, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (box == nullptr) {
                return;
            }
            answer.stop();
            title = box->windowTitle();
            text = box->text();
            icon = box->icon();
            buttons = box->standardButtons();
            QTest::keyClick(box, Qt::Key_Return);
        });
        answer.start(0);
        QVERIFY(!frmMain::AskCloseQuestion(nullptr));
        QCOMPARE(title, QStringLiteral("Warning"));
        QCOMPARE(text, QStringLiteral("Are you sure you want to close the Excel To Tavrel Utility down?"));
        QCOMPARE(icon, QMessageBox::Warning);
        QCOMPARE(buttons, QMessageBox::Yes | QMessageBox::No);
    }

    void menuCommandsOpenOneWindowEach_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("opened");
        QTest::newRow("Watch Folder Settings") << QStringLiteral("menuSetWatch") << QStringLiteral("frmSetWatch");
        QTest::newRow("About") << QStringLiteral("menuAbout") << QStringLiteral("frmAbout");
    }
    void menuCommandsOpenOneWindowEach()
    {
        QFETCH(QString, command);
        QFETCH(QString, opened);
        const auto window = start();
        window->show();
        child<QAction>(window.get(), command)->trigger();
        child<QAction>(window.get(), command)->trigger();
        const QList<QWidget *> windows = window->findChildren<QWidget *>(opened);
        QCOMPARE(windows.size(), 1);
        QVERIFY(windows.first()->isVisible());
        QVERIFY(windows.first()->isWindow());
    }

    // Clicking the main window closes either dialog; the settings dialog's edits are lost.
    void activatingTheMainWindowClosesTheDialog_data() { menuCommandsOpenOneWindowEach_data(); }
    void activatingTheMainWindowClosesTheDialog()
    {
        QFETCH(QString, command);
        QFETCH(QString, opened);
        const auto window = start();
        window->show();
        child<QAction>(window.get(), command)->trigger();
        const QPointer<QWidget> dialog = child(window.get(), opened);
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        if (auto *path = dialog->findChild<QLineEdit *>(QStringLiteral("txtPath1"))) {
            path->setText(QStringLiteral("/changed"));
        }

        window->activateWindow();
        QTRY_VERIFY(dialog.isNull());
        QCOMPARE(window->core().WatchFolderSettings()[1].Path, DefaultWatchPath());
        QVERIFY(!QFile::exists(TranslatorIniPath(m_dir->path())));
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
