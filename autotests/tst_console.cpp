// The main window from start to close: the settings files in the folder the bench
// was started from (older installations share their bytes), the splash, the relay
// choice and its contact layout, the paths dialog, the right-click menu, the kit log.

#include "console/record/relaycatalogue.h"
#include "console/monitor/benchmonitor.h"
#include "console/window/frmmain.h"
#include "console/window/frmoptions.h"
#include "kitlink/adapterwindow.h"
#include "kitlink/kitlog.h"
#include "kitlink/kitlogwindow.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "reports/history/historystore.h"
#include "reports/history/historywindow.h"
#include "reports/history/journal.h"
#include "reports/reportform.h"
#include "controls.h"
#include "programs.h"
#include "testfiles.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>


using namespace std::chrono_literals;

// An art.cfg whose every value names its own line: "r3, f2" is row 3, field 2.
static QByteArray artNamingEachLine(const QByteArray &portLine, const QByteArray &lineEnd = "\r\n")
{
    QByteArray bytes = portLine + lineEnd;
    for (int r = 1; r <= 25; ++r)
        for (int f = 1; f <= 3; ++f)
            bytes += "\"r" + QByteArray::number(r) + ", f" + QByteArray::number(f) + '"' + lineEnd;
    return bytes;
}
static QByteArray artcOf(const QStringList &paths) { return '"' + paths.join("\"\r\n\"").toUtf8() + "\"\r\n"; }
static const QStringList Paths{"/bin/calc", "/tpl/", "/out/"};

class TestConsole : public QObject
{
    Q_OBJECT

    QString m_previous = QDir::currentPath();
    std::unique_ptr<QTemporaryDir> m_temp;
    QString m_folder;  // the folder the bench is started from
    std::unique_ptr<platform::RecordedPrompts> m_prompts;
    BenchRecord m_record;

    std::unique_ptr<FrmMain> start(bool shown = false) { return start(*m_prompts, shown); }
    std::unique_ptr<FrmMain> start(platform::Prompts &prompts, bool shown)
    {
        // no splash, no port check
        auto w = std::make_unique<FrmMain>(m_record, prompts, platform::StartupFolder(m_folder), Timings{0ms, 1h});
        w->formLoad();
        w->setVisible(shown);
        return w;
    }
    QString file(const QString &name) const { return QDir(m_folder).filePath(name); }

private slots:
    void init()
    {
        m_record = BenchRecord{};
        m_prompts = std::make_unique<platform::RecordedPrompts>();
        m_temp = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir(m_temp->path()).mkdir("bench"));
        m_folder = m_temp->filePath("bench");
    }

    void cleanup() { QDir::setCurrent(m_previous); }  // a test moved the current folder away

    // Each row: the files found at start-up (empty: none), and the port selected and
    // the three paths read (empty: the files are not usable, so both are reset to the
    // defaults, silently on screen, and each file there is kept beside itself first).
    void shouldUseTheSettingsOrFallBackToTheDefaults_data()
    {
        QTest::addColumn<QByteArray>("art");
        QTest::addColumn<QByteArray>("artc");
        QTest::addColumn<QStringList>("read");
        QTest::addColumn<QString>("copiesMade");
        const QByteArray crlf = artNamingEachLine("12");
        const auto art = [](const char *name, const QByteArray &bytes, const QString &port) {
            const bool usable = !port.isEmpty();
            QTest::newRow(name) << bytes << artcOf(Paths) << (usable ? QStringList{port} + Paths : QStringList())
                                << (usable ? "" : "art.cfg.unreadable artc.cfg.replaced");
        };
        const auto artc = [&crlf](const char *name, const QByteArray &bytes, const QStringList &paths) {
            const bool usable = !paths.isEmpty();
            QTest::newRow(name) << crlf << bytes << (usable ? QStringList{"COM 12"} + paths : paths)
                                << (usable ? "" : "art.cfg.replaced artc.cfg.unreadable");
        };
        QTest::newRow("no files") << QByteArray() << QByteArray() << QStringList() << "";
        QTest::newRow("no artc.cfg resets both") << crlf << QByteArray() << QStringList() << "art.cfg.replaced";
        art("CR LF", crlf, "COM 12");
        art("line feeds only", artNamingEachLine("12", "\n"), "COM 12");
        art("no line end after the last line", crlf.chopped(2), "COM 12");
        art("extra lines ignored", crlf + "\"r26, f1\"\r\nrubbish\r\n\r\n", "COM 12");
        art("one line short", crlf.left(crlf.lastIndexOf("\"r25, f3\"")), "");
        art("port 0 selects nothing, 0 is kept", artNamingEachLine("0"), "Combo1");
        art("port 255, the last one offered", artNamingEachLine("255"), "COM 255");
        art("port with blanks before a comma", artNamingEachLine(" 12 ,99"), "COM 12");
        art("port 256 is beyond the selector", artNamingEachLine("256"), "");
        art("port -1", artNamingEachLine("-1"), "");
        art("port 65537 does not wrap to 1", artNamingEachLine("65537"), "");
        art("port not a number", artNamingEachLine("COM1"), "");
        art("quoted port, blanks and a comma after", artNamingEachLine(" \" 3 \",7"), "COM 3");
        art("quoted port 256", artNamingEachLine("\"256\""), "");
        art("quoted port with a comma inside", artNamingEachLine("\"1,2\""), "");
        const QByteArray windows = "\"C:\\Office\\EXCEL.EXE\"\r\n\"E:\\Vorlagen für Prüfberichte\\\"\r\n\"D:\\\"\r\n";
        const QStringList folders{"C:\\Office\\EXCEL.EXE", "E:\\Vorlagen für Prüfberichte\\", "D:\\"};
        artc("artc.cfg of a bench PC", windows, folders);
        artc("extra lines, no final line end", windows + "\"F:\\\"\r\nrubbish", folders);
        // Each line is read as the bench always has: between the quotes, else up to a comma.
        artc("quoted, text after the quote, bare", "\" a, b \"\r\n  \"A\",\"B\"\r\n\t12 , 34\r\n",
             {" a, b ", "A", "12"});
        artc("no closing quote, empty lines", "\"0042\r\n\r\n\"\"\r\n", {"0042", "", ""});
        artc("cut-off artc.cfg next to advanced serials", windows.left(windows.lastIndexOf("\"D:")), {});
    }

    void shouldUseTheSettingsOrFallBackToTheDefaults()
    {
        QFETCH(QByteArray, art);
        QFETCH(QByteArray, artc);
        QFETCH(QStringList, read);
        QFETCH(QString, copiesMade);
        const QStringList kept = copiesMade.split(u' ', Qt::SkipEmptyParts);
        // Copies from an earlier reset: the newest replaces them, the rest stay untouched.
        const QStringList copies{"art.cfg.unreadable", "art.cfg.replaced", "artc.cfg.unreadable", "artc.cfg.replaced"};
        for (const QString &name : copies + QStringList{"art.cfg", "artc.cfg"}) {
            const QByteArray bytes = !name.endsWith("cfg") ? "kept before\r\n" : name == "art.cfg" ? art : artc;
            if (!bytes.isEmpty())
                writeFile(file(name), bytes);
        }
        QTest::failOnWarning(QRegularExpression("^Quillmark: "));  // nothing said of a missing file
        for (const QString &copy : kept)  // one line on standard error names each copy
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QRegularExpression::escape(file(copy)) + '$'));
        const bool usable = !read.isEmpty();
        const QStringList defaults{platform::defaultSpreadsheetPath(), m_folder, platform::defaultSaveFolder()};
        const QByteArray wantArt = !usable ? "1\r\n" + QByteArray("\"0001\"\r\n\"A\"\r\n\"B\"\r\n").repeated(25)
                                           : artNamingEachLine(read[0] == "Combo1" ? "0" : read[0].mid(4).toLatin1());
        const QByteArray wantArtc = artcOf(usable ? read.mid(1) : defaults);
        QVERIFY(platform::defaultSaveFolder().endsWith(platform::separator()));  // file names are glued to it

        const auto w = start();
        for (const QString &copy : copies)
            QCOMPARE(readFile(file(copy)),
                     !kept.contains(copy) ? "kept before\r\n" : copy.startsWith("artc") ? artc : art);
        const QStringList shown{control<QComboBox>(*w, "cmbPortNo").currentText(), m_record.ExcelPath,
                                m_record.TemplateFolder, m_record.SaveFolder};
        QCOMPARE(shown, usable ? read : QStringList{"COM 1"} + defaults);
        // Whatever was read before a failure is gone from memory too.
        const auto &numbering = m_record.RelayNumbering;
        QCOMPARE(numbering[1][1] + '|' + numbering[8][2] + '|' + numbering[25][3],
                 usable ? QStringLiteral("r1, f1|r8, f2|r25, f3") : QStringLiteral("0001|A|B"));
        // Start-up goes on either way.
        QVERIFY(control<QTimer>(*w, "tmrPortOpen").isActive() && m_prompts->messages.isEmpty());
        if (!usable)
            QCOMPARE(readFile(file("art.cfg")) + readFile(file("artc.cfg")), wantArt + wantArtc);
        w->formUnload();  // a run that changes nothing saves what it read, in the bench's own form
        QCOMPARE(readFile(file("art.cfg")) + readFile(file("artc.cfg")), wantArt + wantArtc);
    }

    // Each row: the answers of the file dialog that the paths dialog's "..." buttons
    // share ("" = cancelled), the buttons pressed, how the dialog is closed, and the
    // three paths saved at close. The port choice and a serial number moved on by a
    // report form are saved with them.
    void shouldSaveTheChoicesOfTheRunOnClose_data()
    {
        QTest::addColumn<QString>("answers");
        QTest::addColumn<QString>("presses");
        QTest::addColumn<QString>("closer");  // a button, or the key pressed in a box
        QTest::addColumn<QString>("saved");
        QTest::newRow("typed text kept as typed") << "" << "" << "cmdOK" << "/no/slash|/tpl/|/out/";
        QTest::newRow("save folder from a chosen file, Enter") << "/r/x.csv" << "cmdSave" << "Enter"
                                                               << "/no/slash|/tpl/|/r/";
        QTest::newRow("first browse cancelled empties the box") << "" << "cmdTemplate" << "cmdOK" << "/no/slash||/out/";
        QTest::newRow("excel, then a cancel: its folder") << "/o/c|" << "cmdExcel|cmdTemplate" << "cmdOK"
                                                          << "/o/c|/o/|/out/";
        QTest::newRow("Cancel button") << "/r/x.csv" << "cmdSave" << "cmdCancel" << "/bin/calc|/tpl/|/out/";
        QTest::newRow("Escape") << "" << "" << "Escape" << "/bin/calc|/tpl/|/out/";
    }

    void shouldSaveTheChoicesOfTheRunOnClose()
    {
        QFETCH(QString, answers);
        QFETCH(QString, presses);
        QFETCH(QString, closer);
        QFETCH(QString, saved);
        writeFile(file("art.cfg"), artNamingEachLine("7"));
        writeFile(file("artc.cfg"), artcOf(Paths));
        m_prompts->fileAnswers = answers.split(u'|');
        const auto w = start(true);
        control<QPushButton>(*w, "cmdOptions").click();  // opens the dialog over the window and returns
        const QPointer<FrmOptions> dialog = w->findChild<FrmOptions *>();
        QVERIFY(dialog && dialog->windowModality() == Qt::WindowModal && QTest::qWaitForWindowActive(dialog));
        // "Optoions" is the bench's own spelling of this caption, not a typo to fix.
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Optoions"));
        QString order;  // from the control that has the focus when the dialog opens
        for (int i = 0; i < 8; ++i, QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab))
            order += QApplication::focusWidget()->objectName() + u' ';
        QCOMPARE(order, "txtExcelPath cmdExcel txtTemplatePath txtDefault cmdCancel cmdOK cmdTemplate cmdSave ");

        dialog->txtExcelPath->setText("/no/slash");
        const QStringList pressed = presses.split(u'|', Qt::SkipEmptyParts);
        for (const QString &button : pressed)
            dialog->findChild<QPushButton *>(button)->click();
        QCOMPARE(m_prompts->fileDialogFolders, QStringList(pressed.size(), QString()));  // in no particular folder
        if (auto *button = dialog->findChild<QPushButton *>(closer))
            QTest::keyClick(button, Qt::Key_Space);
        else
            QTest::keyClick(dialog->txtExcelPath, closer == "Enter" ? Qt::Key_Return : Qt::Key_Escape);
        QTRY_VERIFY(!dialog);  // gone: the next opening starts afresh

        control<QComboBox>(*w, "cmbPortNo").setCurrentIndex(11);
        m_record.RelayNumbering[1][1] = "0042";
        // A file dialog moved the current folder elsewhere during the run.
        const QString elsewhere = m_temp->filePath("elsewhere");
        QVERIFY(QDir().mkdir(elsewhere) && QDir::setCurrent(elsewhere));
        QVERIFY(w->close() && QDir().isEmpty());
        QCOMPARE(readFile(file("art.cfg")), artNamingEachLine("12").replace("r1, f1", "0042"));
        QCOMPARE(readFile(file("artc.cfg")), artcOf(saved.split(u'|')));
    }

    // A settings file the bench cannot use and cannot even copy aside (here its copy's
    // place is taken by a folder; on a bench PC, a file of another user's) is left
    // exactly as it is for the whole run: the bench runs on the defaults in memory,
    // says so once, and at close puts the run's settings in the user's data folder.
    void shouldLeaveASettingsFileItCannotKeepACopyOf()
    {
        QTemporaryDir data;
        qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
        const QByteArray damaged = artNamingEachLine("12").left(300);  // cut short: not usable
        writeFile(file("art.cfg"), damaged);
        writeFile(file("artc.cfg"), artcOf(Paths));
        QVERIFY(QDir().mkpath(file("art.cfg.unreadable/in the way")));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Quillmark: art.cfg could not be used, and no copy"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Quillmark: artc.cfg is reset to the defaults"));
        const auto w = start();
        QCOMPARE(readFile(file("art.cfg")), damaged);
        QCOMPARE(control<QComboBox>(*w, "cmbPortNo").currentText(), QStringLiteral("COM 1"));
        QCOMPARE(m_prompts->messages.size(), 1);
        QCOMPARE(m_prompts->messages[0].title, QStringLiteral("Settings file left as it is"));
        QVERIFY(m_prompts->messages[0].text.contains(file("art.cfg") + "\n("));

        m_record.RelayNumbering[3][1] = QStringLiteral("0042");  // a report form moved a serial on
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Quillmark: Quillmark could not write its settings"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Quillmark: the settings of this run for .*art.cfg:"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Quillmark: the settings of this run for .*artc.cfg:"));
        QVERIFY(w->close());
        QCOMPARE(readFile(file("art.cfg")), damaged);
        QCOMPARE(m_prompts->messages.size(), 2);
        QCOMPARE(m_prompts->messages[1].title, QStringLiteral("Settings not saved"));
        const QStringList kept = QDir(data.filePath("Quillmark/unsaved settings")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        QCOMPARE(kept.size(), 1);
        const QString copy = data.filePath("Quillmark/unsaved settings/" + kept[0]);
        QVERIFY(m_prompts->messages[1].text.contains(copy));
        QVERIFY(readFile(copy + "/art.cfg").contains("\"0042\"\r\n"));
        QCOMPARE(readFile(copy + "/artc.cfg"), readFile(file("artc.cfg")));
    }

    // The start-up folder cannot be written at close: the operator reads why, and where
    // the run's settings went, before the window goes; a stop signal does not wait for
    // anyone to read it, and the settings are kept all the same.
    void shouldTellWhyTheSettingsWereNotSavedBeforeTheWindowGoes_data()
    {
        QTest::addColumn<bool>("bySignal");
        QTest::newRow("closed by the operator") << false;
        QTest::newRow("told to stop") << true;
    }

    void shouldTellWhyTheSettingsWereNotSavedBeforeTheWindowGoes()
    {
        QFETCH(bool, bySignal);
        QTemporaryDir data;
        qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
        platform::DialogPrompts dialogs;  // the real message box, to see it stay
        const auto w = start(dialogs, true);
        QSignalSpy closed(w.get(), &FrmMain::closed);
        control<QComboBox>(*w, "cmbPortNo").setCurrentIndex(6);
        QVERIFY(QDir(m_folder).removeRecursively());  // running as root, only a folder that is gone stops a write
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Quillmark: Quillmark could not write its settings"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Quillmark: the settings of this run for .*art.cfg:"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Quillmark: the settings of this run for .*artc.cfg:"));
        if (bySignal)
            w->closeOnSignal();
        else
            w->close();
        QMessageBox *told = nullptr;
        for (QWidget *top : QApplication::topLevelWidgets()) {
            if (auto *box = qobject_cast<QMessageBox *>(top); box && box->windowTitle() == "Settings not saved")
                told = box;
        }
        QVERIFY(told);
        const QStringList kept = QDir(data.filePath("Quillmark/unsaved settings")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        QCOMPARE(kept.size(), 1);
        QVERIFY(told->text().contains(QDir::toNativeSeparators(data.filePath("Quillmark/unsaved settings/" + kept[0]))));
        QVERIFY(readFile(data.filePath("Quillmark/unsaved settings/" + kept[0] + "/art.cfg")).startsWith("7\r\n"));
        if (bySignal) {
            QCOMPARE(closed.size(), 1);
            return;
        }
        QVERIFY(w->isVisible() && closed.isEmpty());
        QVERIFY(!w->close());  // the operator has not read it yet
        told->button(QMessageBox::Ok)->click();
        QTRY_COMPARE(closed.size(), 1);
        QVERIFY(!w->isVisible());
    }

    // A logout, a service stop or Ctrl+C closes the bench as the operator would, so
    // the port choice and the serial numbers reach the disk. The files it starts
    // with are usable but not in the bench's own form, so only a save rewrites them.
    void shouldSaveTheSettingsWhenToldToStop_data()
    {
        QTest::addColumn<QList<int>>("signalNumbers");
        QTest::newRow("service stop") << QList<int>{SIGTERM};
        QTest::newRow("logout") << QList<int>{SIGHUP};
        QTest::newRow("Ctrl+C") << QList<int>{SIGINT};
        QTest::newRow("more signals while stopping") << QList<int>{SIGTERM, SIGINT, SIGINT};
    }

    void shouldSaveTheSettingsWhenToldToStop()
    {
        QFETCH(QList<int>, signalNumbers);
        writeFile(file("art.cfg"), artNamingEachLine("\"3\"", "\n"));
        writeFile(file("artc.cfg"), "/bin/calc\n/tpl/\n/out/\n");
        QProcess program;
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.setWorkingDirectory(m_folder);  // started there, as the bench PC starts it
        program.start(QStringLiteral(QUILLMARK_PROGRAM), {QStringLiteral("--simulate")});
        QVERIFY(startedAndTakesStopSignals(program));  // once start-up is through (the splash alone is 2 s)
        for (const int signalNumber : signalNumbers)
            QCOMPARE(::kill(pid_t(program.processId()), signalNumber), 0);
        QVERIFY(program.waitForFinished(5000) && program.exitStatus() == QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        QCOMPARE(readFile(file("art.cfg")) + readFile(file("artc.cfg")), artNamingEachLine("3") + artcOf(Paths));
    }

    void shouldStartBehindTheSplashWithControlsInTheirStartupState()
    {
        QVERIFY(Timings{}.splash == 2000ms && Timings{}.portOpen == 1000ms);  // the bench's own
        FrmMain w(m_record, *m_prompts, platform::StartupFolder(m_folder), Timings{60ms, 1h});
        QSignalSpy loaded(&w, &FrmMain::loaded);
        w.formLoad();  // returns with the splash up; start-up goes on when it closes itself
        const QDialog *about = w.findChild<QDialog *>("frmAbout");
        auto &cmbType = control<QComboBox>(w, "cmbType");
        QVERIFY(about && about->isVisible() && loaded.isEmpty() && cmbType.count() == 0);
        QCOMPARE(about->findChild<QLabel *>("lblVer")->text() + '|' + about->findChild<QLabel *>("lblVerDate")->text(),
                 QStringLiteral("Ver.3.11       Morvayne Tellicor Technologies Pvt. Ltd.|update: 16/04/2022"));
        QVERIFY(loaded.wait(5000));
        QVERIFY(!w.findChild<QDialog *>("frmAbout") && !w.isVisible());  // main() shows the window

        QCOMPARE(control<QLabel>(w, "lblVer(0)").text() + '|' + control<QLabel>(w, "lblVer(1)").text(),
                 QStringLiteral("Ver.3.11|16/04/2022"));
        QList<const QWidget *> hidden{&control<QLabel>(w, "lblPUV"), &control<QLabel>(w, "lblDAV"),
                                      &control<QPushButton>(w, "cmdContactSequence")};
        for (const QLabel *busy : controlArray<QLabel>(w, "lblBusy", 6))
            hidden << busy;
        for (const QWidget *widget : hidden)
            QVERIFY2(widget->isHidden(), qPrintable(widget->objectName()));
        QVERIFY(cmbType.currentIndex() == 0 && !control<QPushButton>(w, "cmdContactDelay").isEnabled());
        const QStringList selectors{control<QComboBox>(w, "cmbCRChannel").currentText(),
                                    control<QComboBox>(w, "cmbCDChannel").currentText(),
                                    control<QComboBox>(w, "cmbCDChannel").itemText(16),
                                    control<QComboBox>(w, "cmbPortNo").itemText(254)};
        QCOMPARE(selectors, (QStringList{"A1", "A1", "ALL", "COM 255"}));
        // Only the port check is armed; polling keeps ticking, the fixed wait is one tick.
        const auto &tmrComm = control<QTimer>(w, "tmrComm");
        const auto &tmrTout = control<QTimer>(w, "tmrTout");
        QVERIFY(control<QTimer>(w, "tmrPortOpen").isActive() && !tmrComm.isActive() && !tmrTout.isActive());
        QVERIFY(tmrComm.interval() == 250 && !tmrComm.isSingleShot() && tmrTout.interval() == 1000
                && tmrTout.isSingleShot());
        // Pixels are twips / 15, inside the container the bench put each control in.
        QCOMPARE(w.size(), QSize(840, 519));
        QCOMPARE(control<QPushButton>(w, "cmdReport").geometry(), QRect(32, 464, 137, 49));
        QCOMPARE(control<QLabel>(w, "lblBusy(3)").parentWidget()->objectName(), QStringLiteral("FrameCPanel"));
        QCOMPARE(control<QLabel>(w, "lblBusy(3)").geometry(), QRect(160, 200, 57, 20));
        QCOMPARE(cmbType.geometry(), QRect(16, 48, 305, 23));
        // The window wears the bench's icon, drawn for the title bar and the task bar.
        const QList<QSize> drawn = w.windowIcon().availableSizes();
        QVERIFY(drawn.contains(QSize(16, 16)) && drawn.contains(QSize(32, 32)));

        // Off the fixed layout: Escape stops, Ctrl+L brings up the kit log, Ctrl+M the
        // Bench Monitor, Ctrl+H the results history, Ctrl+D the serial adapters, and the
        // right-click menu lists them.
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w) && w.contextMenuPolicy() == Qt::ActionsContextMenu);
        QStringList menu;
        for (const QAction *action : w.actions())
            menu << action->objectName() + ' ' + action->text();
        QCOMPARE(menu, QStringList({"actStop Stop", "actKitLog Kit log", "actBenchMonitor Bench Monitor",
                                    "actHistory Results history", "actAdapters Serial adapters"}));
        QSignalSpy stopped(&control<QAction>(w, "actStop"), &QAction::triggered);
        QTest::keyClick(&w, Qt::Key_Escape);
        QTest::keyClick(&w, Qt::Key_L, Qt::ControlModifier);
        QVERIFY(stopped.count() == 1 && w.findChild<KitLogWindow *>() && w.findChild<KitLogWindow *>()->isVisible());
        w.activateWindow();
        QTest::keyClick(&w, Qt::Key_M, Qt::ControlModifier);
        QVERIFY(w.benchMonitor() && w.benchMonitor()->isVisible());
        QCOMPARE(w.benchMonitor()->windowTitle(), QStringLiteral("Bench Monitor"));
        w.activateWindow();
        QTest::keyClick(&w, Qt::Key_H, Qt::ControlModifier);
        QVERIFY(w.historyWindow() && w.historyWindow()->isVisible());
        w.activateWindow();
        QTest::keyClick(&w, Qt::Key_D, Qt::ControlModifier);
        QVERIFY(w.findChild<AdapterWindow *>() && w.findChild<AdapterWindow *>()->isVisible());
    }

    void shouldShowAMessageTitleWhole()  // the real box, whose short text must not cut a long title
    {
        const QString title = QStringLiteral("Communication Port Error!");
        const std::unique_ptr<QDialog> box(platform::DialogPrompts().message(nullptr, title, "COM1: gone", {}));
        const int titleWidth = QFontMetrics(QApplication::font("QMdiSubWindowTitleBar")).horizontalAdvance(title);
        QVERIFY(box && box->isVisible() && box->width() > titleWidth + 100);  // up, not waiting for the operator
    }

    // Each row: the relay chosen before and after, a text of the entry chosen, what the
    // window then offers, and one of its contacts: the channel by its selector name
    // and what is wired there (0 none, 1 front, 2 back).
    void shouldFollowTheChosenRelay_data()
    {
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("after");
        QTest::addColumn<QString>("style");
        QTest::addColumn<QString>("offered");
        QTest::addColumn<QString>("contact");
        QTest::newRow("QL1 has no drop-away") << 0 << int(catalogue::QL1) << "'QL1'" << "Voltage" << "C4 0";
        QTest::newRow("QTA2 reads currents") << 0 << int(catalogue::QTA2) << "'QTA2'" << "drop-away, Current" << "D3 2";
        QTest::newRow("QNA1K has a contact delay") << 0 << int(catalogue::QNA1K) << "'QNA1K'"
                                                   << "drop-away, contact delay, Voltage" << "A2 2";
        QTest::newRow("QSPA1 after QL1") << 5 << int(catalogue::QSPA1) << "'QSPA1'"
                                         << "drop-away, contact delay, Voltage" << "A4 0";
        QTest::newRow("QECX61 after QTA2") << 7 << int(catalogue::QECX61) << "'QECX61'" << "drop-away, Voltage"
                                           << "D2 2";
        QTest::newRow("QN1 12F-4B after QNA1K") << 4 << 3 << "'QN1' 24VDC(NON-ACI) 12F-4B" << "drop-away, Voltage"
                                                << "C3 1";
        QTest::newRow("QNA1 8F-8B after QECX61") << 6 << 0 << "'QNA1' 24VDC(ACI) 8F-8B" << "drop-away, Voltage"
                                                 << "A3 2";
    }

    void shouldFollowTheChosenRelay()
    {
        QFETCH(int, before);
        QFETCH(int, after);
        QFETCH(QString, style);
        QFETCH(QString, contact);
        for (auto &column : m_record.ContactLayout)
            column.fill(7);  // start-up leaves nothing of an earlier table behind
        const auto w = start();
        auto &cmbType = control<QComboBox>(*w, "cmbType");
        const auto &pickUpCaption = control<QLabel>(*w, "Label1(0)");
        QSignalSpy selected(w.get(), &FrmMain::relaySelected);  // the simulated kit follows it
        cmbType.setCurrentIndex(before);
        m_record.CoilResistance1 = 312.5f;  // results of the relay tested before
        m_record.CoilResistance2 = 298.0f;
        cmbType.setCurrentIndex(after);
        QCOMPARE(selected.value(selected.size() - 1), QVariantList{after});
        QVERIFY2(cmbType.currentText().contains(style), qPrintable(cmbType.currentText()));
        const QString reads = pickUpCaption.text().mid(8).chopped(1);  // "Pick-Up Voltage:"
        const bool dropAway = control<QPushButton>(*w, "cmdDropAway").isEnabled();
        const bool contactDelay = control<QPushButton>(*w, "cmdContactDelay").isEnabled();
        QTEST(QStringLiteral("%1%2%3").arg(dropAway ? "drop-away, " : "", contactDelay ? "contact delay, " : "", reads),
              "offered");
        QCOMPARE(pickUpCaption.text() + control<QLabel>(*w, "Label1(1)").text(),
                 "Pick-Up " + reads + ":Drop-Away " + reads + ':');
        // Pick-up and drop-away wait for the new relay's coil to be measured; nothing else is forgotten.
        QVERIFY(m_record.CoilResistance1 == 0.0f && m_record.CoilResistance2 == 298.0f);
        // Entry k - 1 is channel k.
        const int channel = control<QComboBox>(*w, "cmbCRChannel").findText(contact.left(2)) + 1;
        QCOMPARE(int(m_record.ContactLayout[after][channel]), contact.right(1).toInt());
        // Each column holds as many fronts and backs as its entry's text ends with
        // ("... 11F-4B"), nothing on channel 0; the columns past the catalogue hold none.
        for (int e = 0; e < LayoutEntries; ++e) {
            const QString text = e < cmbType.count() ? cmbType.itemText(e) : QStringLiteral("0F-0B");
            const auto m = QRegularExpression("(\\d+)F-(\\d+)B$").match(text);
            const auto &cells = m_record.ContactLayout[e];
            const auto count = [&cells](int kind) { return int(std::count(cells.begin(), cells.end(), kind)); };
            QVERIFY2(m.hasMatch() && cells[0] == 0 && count(1) == m.captured(1).toInt()
                         && count(2) == m.captured(2).toInt() && count(0) + count(1) + count(2) == LayoutChannels,
                     qPrintable(text));
        }
        // Typed text names no entry, so no report form may open for it; typing is not choosing.
        m_record.CoilResistance1 = 312.5f;
        const qsizetype selections = selected.size();
        cmbType.lineEdit()->selectAll();
        QTest::keyClicks(cmbType.lineEdit(), QStringLiteral("my relay"));
        QVERIFY(cmbType.currentIndex() == -1 && m_record.CoilResistance1 == 312.5f && selected.size() == selections);
    }

    // Saved, saved to a folder that is gone (the operator is told), cancelled. The log
    // keeps only its newest entries, each made readable.
    void shouldSaveTheKitLogFromItsWindow()
    {
        m_prompts->fileAnswers = QStringList{file("kit.txt"), file("gone/kit.txt"), ""};
        KitLog log(3);  // the oldest make way: only the last three are saved
        for (int i = 0; i < 4; ++i)
            log.append(KitLog::Direction::Received, "pushed out");
        log.append(KitLog::Direction::Sent, "?D\r");
        log.append(KitLog::Direction::Received, QByteArray("R=\0\xb0\x7f 1\r\n", 9));
        log.note(QStringLiteral("a\n°"));
        KitLogWindow window(log, *m_prompts, m_folder);
        for (int i = 0; i < 3; ++i)
            window.findChild<QPushButton *>("cmdSaveLog")->click();
        QCOMPARE(m_prompts->fileDialogFolders.first(2), QStringList({m_folder, m_folder}));  // then the last one chosen
        QByteArray saved;  // time, direction and the bytes made visible; CR LF line ends
        const char *const lines[] = {"  >  ?D<CR>\r\n", "  <  R=<0x00><0xB0><0x7F> 1<CR><0x0A>\r\n",
                                     "  !  a<0x0A>°\r\n"};
        for (int i = 0; i < 3; ++i)
            saved += log.entries().at(i).time.toString("HH:mm:ss.zzz").toUtf8() + lines[i];
        QCOMPARE(readFile(file("kit.txt")), saved);
        QCOMPARE(m_prompts->messages.size(), 1);
        QVERIFY(m_prompts->messages[0].text.contains(file("gone/kit.txt")));
        QCOMPARE(KitLog(0).capacity(), 1);  // a capacity below 1 keeps one
    }

    // The journal handed to the window takes the relay its report form records on to
    // the results history.
    void shouldHandItsJournalToTheReportForms()
    {
        const auto w = start();
        const history::Location location = history::Location::inFolder(platform::StartupFolder(m_folder));
        auto *journal = new history::Journal(location, file("history.pending"), w.get());
        QTRY_COMPARE(journal->pending(), 0);  // nothing left by an earlier run
        w->setJournal(*journal);
        m_record.SaveFolder = m_folder + '/';
        QSignalSpy settled(journal, &history::Journal::settled);
        control<QPushButton>(*w, "cmdReport").click();
        auto *form = w->findChild<reports::ReportForm *>();
        QVERIFY(form && form->isVisible());
        form->cmdAddTestResult->click();
        QTRY_COMPARE(settled.size(), 1);
        QCOMPARE(settled[0], (QVariantList{0, QString()}));
        history::Store store(location, "test-reader");
        int relays = 0;
        QVERIFY(store.forEach({}, [&relays](const history::RelayEntry &) { ++relays; }));
        QCOMPARE(relays, 1);
    }
};

QTEST_MAIN(TestConsole)
#include "tst_console.moc"
