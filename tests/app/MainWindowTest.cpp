#include "app/gui/Colours.h"
#include "app/gui/frmMain.h"
#include "events/Clock.h"
#include "output/ActivityLog.h"
#include "tests/support/TestPlatform.h"
#include "tests/support/XlsxBuilder.h"

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

    void writeFile(const QString &name, const QByteArray &bytes)
    {
        QFile file(m_dir->filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }

    // Folder 1 watches "in" beside a router list without "CAM 1".
    void writeConfiguration()
    {
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("in")));
        writeFile(QStringLiteral("Translator.ini"),
                  "[Watch_Folder_1_Settings]\nActive=1\nPath=" + m_dir->filePath("in/").toUtf8() + "\n");
        writeFile(QStringLiteral("RT-IN1.LST"), "#TRUE#,\"O\",\"O\",1,\"OTHER\",#TRUE#,#TRUE#,#TRUE#,#TRUE#,#FALSE#,"
                                                "#FALSE#,#FALSE#,#FALSE#\r\n");
    }

    // Saves in/Day1.xlsx (the rows, or an archive with no workbook in it) at the given second and has the window scan
    // and convert it.
    void convert(frmMain &window, const QString &rowsXml, time_t saved)
    {
        const QString workbook = m_dir->filePath(QStringLiteral("in/Day1.xlsx"));
        QVERIFY(rowsXml.isEmpty() ? WriteZip(workbook, {{"[Content_Types].xml", "<Types/>"}})
                                  : WriteTestWorkbook(workbook, rowsXml));
        QVERIFY(SetFileTimesSince1970(workbook, saved, 0, saved));
        // The event file of an earlier call is older still, as if made back then.
        const QString eventFile = m_dir->filePath(QStringLiteral("in/Day1.TVX"));
        QVERIFY(!QFile::exists(eventFile) || SetFileTimesSince1970(eventFile, saved - 1, 0, saved - 1));
        const auto &queue = window.core().ConversionQueue();
        for (int tick = 0; tick < 500 && std::none_of(queue.begin(), queue.end(), [](auto &r) { return r.Pending; });
             ++tick)
            window.core().timeMain_Timer();
        window.timeWatch_Timer();
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    ManualClock m_clock;
    QUrl m_opened;
    int m_questions = 0;
    bool m_answerYes = false;

public Q_SLOTS:
    void openUrl(const QUrl &url) { m_opened = url; }

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
        writeFile(QStringLiteral("Translator.ini"),
                  "[Watch_Folder_1_Settings]\nActive=1\n[Watch_Folder_2_Settings]\nActive=0\nPath=/srv/two/\n");
        const auto window = start();
        QVERIFY(Child(window.get(), "frameWatch1")->isEnabled());
        QVERIFY(!Child(window.get(), "lblLastFile2")->isEnabled());
        QCOMPARE(Child<QLabel>(window.get(), "lblWatchFolder2")->text(), QStringLiteral("/srv/two/"));
        QVERIFY(window->windowTitle().startsWith(QStringLiteral("DWX Tavrel Translator Version: ")));
        QCOMPARE(frmMain::caption(2, 3, 11), QStringLiteral("DWX Tavrel Translator Version: 2.311"));
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
        QVERIFY(!frmMain::askCloseQuestion(nullptr));
        QCOMPARE(seen, "Warning|Are you sure you want to close the Excel To Tavrel Utility down?");
    }

    // A cut-off path shows whole on hover.
    void panelShowsAWholeLongPath()
    {
        const auto window = start();
        PanelState state = window->core().panel(1);
        for (const bool cut : {true, false}) {
            state.watchFolder = QStringLiteral("/srv/") + QString(cut ? 200 : 2, u'x') + u'/';
            window->panelChanged(1, state);
            QCOMPARE(Child<QLabel>(window.get(), "lblWatchFolder1")->toolTip(), cut ? state.watchFolder : QString());
        }
    }

    // A failed conversion stands out with its reason until the next success. Unused rows and an unknown source stand
    // beside the time, with the rows' lines on hover; a clean conversion shows the file and time alone.
    void panelShowsTheLastConversionsFailureOrRowNotes()
    {
        writeConfiguration();
        const auto window = start();
        auto *lastFile = Child<QLabel>(window.get(), QStringLiteral("lblLastFile1"));
        const QColor normal = lastFile->palette().color(QPalette::WindowText);
        convert(*window, QString(), 50);
        QCOMPARE(lastFile->text(), "Day1.xlsx not made");
        QVERIFY(!lastFile->toolTip().isEmpty());
        QCOMPARE(lastFile->toolTip(), window->core().panel(1).lastFailure.reason);
        QCOMPARE(lastFile->palette().color(QPalette::WindowText), ErrorColour(lastFile->parentWidget()->palette()));

        convert(*window,
                RowXml(5, NumberCell("J5", "1") + InlineStringCell("R5", "News") + InlineStringCell("V5", "CAM 1")) +
                    RowXml(6, InlineStringCell("R6", "Sport")) + RowXml(7, InlineStringCell("V7", "OTHER")),
                100);
        // A line too wide for the label keeps a short file name and the time, and shows whole on hover.
        const QString line = QStringLiteral("Day1.TVX  12:00:00  2 rows not used, 1 unknown source");
        QVERIFY2(lastFile->text().startsWith(line.left(18)), qPrintable(lastFile->text()));
        const QString notes = "Row 5: source \"CAM 1\" is not in RT-IN1.LST, input 0 used\n"
                              "Row 6 not used: VR number outside 1 to 32\n"
                              "Row 7 not used: VR number outside 1 to 32";
        QCOMPARE(lastFile->toolTip(), lastFile->text() == line ? notes : line + u'\n' + notes);
        QCOMPARE(lastFile->palette().color(QPalette::WindowText), WarningColour(lastFile->parentWidget()->palette()));

        convert(*window,
                RowXml(5, NumberCell("J5", "1") + InlineStringCell("R5", "News") + InlineStringCell("V5", "OTHER")),
                200);
        QCOMPARE(lastFile->text(), "Day1.TVX  12:00:00");
        QCOMPARE(lastFile->toolTip(), QString());
        QCOMPARE(lastFile->palette().color(QPalette::WindowText), normal);
    }

    // Double-clicking folder 2's panel opens the log there; lines written while it is open show at the next
    // dispatch tick, coloured by kind, and the view follows the newest; an earlier day is its own files.
    void logWindowFollowsTheDaysLogs()
    {
        const QDateTime now = m_clock.now();
        for (int i = 0; i < 300; ++i)
            WriteLog(m_dir->path(), QStringLiteral("Make TVX File for : Day1.xlsx"), 1, now);
        WriteLog(m_dir->path(), QStringLiteral("Yesterday's line"), 2, now.addDays(-1));
        const auto window = start();

        QTest::mouseDClick(Child(window.get(), "frameWatch2"), Qt::LeftButton);
        auto *log = Child(window.get(), "frmLog");
        QVERIFY(log->isVisible());
        QCOMPARE(log->windowTitle(), "Activity Log");
        QCOMPARE(Child<QTabWidget>(log, "tabLog")->currentIndex(), 1);
        Child<QTabWidget>(log, "tabLog")->setCurrentIndex(0);
        auto *list = Child<QListView>(log, "lstLog1");
        QTRY_VERIFY(list->verticalScrollBar()->maximum() > 0);
        QCOMPARE(list->verticalScrollBar()->value(), list->verticalScrollBar()->maximum());

        const int before = list->verticalScrollBar()->maximum();
        WriteLog(m_dir->path(), QStringLiteral("Row 6 not used: event name empty"), 1, now);
        WriteLog(m_dir->path(), QStringLiteral("TVX File not made for : Day1.xlsx (file not found)"), 1, now);
        window->timeWatch_Timer();
        const QAbstractItemModel *lines = list->model();
        QCOMPARE(lines->rowCount(), 302);
        QCOMPARE(lines->index(301, 0).data().toString(),
                 "12-02-2026  12:00:00 TVX File not made for : Day1.xlsx (file not found)");
        const QPalette palette = log->palette();
        QCOMPARE(lines->index(299, 0).data(Qt::ForegroundRole), QVariant());
        QCOMPARE(lines->index(300, 0).data(Qt::ForegroundRole).value<QColor>(), WarningColour(palette));
        QCOMPARE(lines->index(301, 0).data(Qt::ForegroundRole).value<QColor>(), ErrorColour(palette));
        QTRY_VERIFY(list->verticalScrollBar()->maximum() > before);
        QCOMPARE(list->verticalScrollBar()->value(), list->verticalScrollBar()->maximum());

        Child<QDateEdit>(log, "dtpDay")->setDate(now.date().addDays(-1));
        QCOMPARE(lines->rowCount(), 0);
        const QAbstractItemModel *yesterday = Child<QListView>(log, "lstLog2")->model();
        QCOMPARE(yesterday->index(0, 0).data().toString(), "12-01-2026  12:00:00 Yesterday's line");
        QVERIFY(QFile::remove(LogFilePath(m_dir->path(), 2, now.date().addDays(-1))));
        window->timeWatch_Timer();
        QCOMPARE(yesterday->rowCount(), 0);

        QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "openUrl");
        Child<QPushButton>(log, "cmdOpenLogs")->click();
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QCOMPARE(m_opened, QUrl::fromLocalFile(m_dir->filePath(QStringLiteral("Logs"))));
    }

    // The lists read at start-up stay in use; the window says until the end that a restart would read the new one.
    void aReplacedRouterListShowsTheNotice()
    {
        writeConfiguration();
        const auto window = start();
        QVERIFY(window->findChild<QLabel *>(QStringLiteral("lblNotice")) == nullptr);
        writeFile(QStringLiteral("RT-IN1.LST"), "");
        writeFile(QStringLiteral("DWX.INI"), "");
        for (int tick = 0; tick < 3; ++tick) {
            m_clock.advanceSeconds(1);
            window->core().timeMain_Timer();
        }
        auto *notice = Child<QLabel>(window.get(), "lblNotice");
        QVERIFY(notice->isVisible());
        QCOMPARE(notice->text(), "DWX.INI changed since start-up: restart the program to use it; "
                                 "RT-IN1.LST changed since start-up: restart the program to use it");
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
