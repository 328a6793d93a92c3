#include "app/gui/frmMain.h"
#include "config/WatchSettings.h"
#include "events/Clock.h"

#include <QtTest>
#include <QtWidgets>
#include <memory>

namespace {

template <typename Widget = QWidget> Widget *Child(QObject *window, const QString &name)
{
    auto *widget = window->findChild<Widget *>(name);
    if (widget == nullptr)
        qFatal("no child %s", qPrintable(name));
    return widget;
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
        window->show();
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

    // The minor version and the revision run together in the caption.
    void startUpShowsTheFoldersAndTheVersion()
    {
        QFile ini(TranslatorIniPath(m_dir->path()));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[Watch_Folder_1_Settings]\nActive=1\n[Watch_Folder_2_Settings]\nActive=0\nPath=/srv/two/\n");
        ini.close();
        const auto window = start();
        QVERIFY(Child(window.get(), "frameWatch1")->isEnabled());
        QVERIFY(!Child(window.get(), "lblLastFile2")->isEnabled());
        QCOMPARE(Child<QLabel>(window.get(), "lblWatchFolder2")->text(), QStringLiteral("/srv/two/"));
        QVERIFY(window->windowTitle().startsWith(QStringLiteral("DWX Tavrel Translator Version: ")));
        QCOMPARE(frmMain::Caption(2, 3, 11), QStringLiteral("DWX Tavrel Translator Version: 2.311"));
    }

    // By the close box or by File > Exit alike; only Yes stops the timers and unloads.
    void closingAsksFirst()
    {
        const auto window = start();
        QSignalSpy unloaded(window.get(), &frmMain::unloaded);
        for (const bool yes : {false, true}) {
            m_answerYes = yes;
            if (yes)
                Child<QAction>(window.get(), "menuFileExit")->trigger();
            else
                window->close();
            QCOMPARE(m_questions, yes ? 2 : 1);
            QCOMPARE(window->isVisible(), !yes);
            QCOMPARE(unloaded.count(), yes ? 1 : 0);
            for (const char *timer : {"timeMain", "timeWatch"})
                QCOMPARE(Child<QTimer>(window.get(), timer)->isActive(), !yes);
        }
    }

    // An operator pressing Enter at an unattended station must not stop it.
    void theCloseQuestionDefaultsToNo()
    {
        QString seen;
        QTimer answer;
        connect(&answer, &QTimer::timeout, this, [&] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                answer.stop();
                seen = box->windowTitle() + u'|' + box->text();
                QTest::keyClick(box, Qt::Key_Return);
            }
        });
        answer.start(0);
        QVERIFY(!frmMain::AskCloseQuestion(nullptr));
        QCOMPARE(seen, "Warning|Are you sure you want to close the Excel To Tavrel Utility down?");
    }

    // A failed conversion stands out with its reason until the next success; a cut-off path shows whole on hover.
    void panelShowsAFailureAndAWholeLongPath()
    {
        const auto window = start();
        auto *lastFile = Child<QLabel>(window.get(), QStringLiteral("lblLastFile1"));
        const QColor normal = lastFile->palette().color(QPalette::WindowText);
        PanelState state = window->core().panel(1);
        for (const bool failed : {true, false}) {
            state.LastFile = failed ? QStringLiteral("Day1.xlsx not made") : QStringLiteral("Day1.TVX  14:05:33");
            state.LastFailure = failed ? QStringLiteral("cannot write /srv/in/Day1.TVX: No space left") : QString();
            state.WatchFolder = QStringLiteral("/srv/") + QString(failed ? 200 : 2, u'x') + u'/';
            window->panelChanged(1, state);
            QCOMPARE(lastFile->text(), state.LastFile);
            QCOMPARE(lastFile->toolTip(), state.LastFailure);
            QCOMPARE(lastFile->palette().color(QPalette::WindowText) != normal, failed);
            QCOMPARE(Child<QLabel>(window.get(), "lblWatchFolder1")->toolTip(), failed ? state.WatchFolder : QString());
        }
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
