// Starting and closing the main window: the settings files in the folder the bench
// was started from, the first state of the controls, and what choosing a relay
// changes.

#include "console/configfiles.h"
#include "console/frmmain.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "testfiles.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>

using namespace std::chrono_literals;

// The splash closes at once and the port check never comes due while a test runs.
const Timings QuickStart{0ms, 1h};

const QByteArray DefaultArt = "1\r\n" + QByteArray("\"0001\"\r\n\"A\"\r\n\"B\"\r\n").repeated(25);

// Settings a bench that has made reports for a while would hold: nothing left at its default.
const auto usedArt = [](const QByteArray &port) {
    return port + "\r\n" + QByteArray("\"0107\"\r\n\"K\"\r\n\"Z\"\r\n").repeated(25);
};
const QByteArray UsedArtc = "\"C:\\Tools\\scalc.exe\"\r\n\"E:\\Templates\\\"\r\n\"F:\\Reports\\\"\r\n";

class TestStartup : public QObject
{
    Q_OBJECT

    QString m_previous;
    std::unique_ptr<QTemporaryDir> m_temp;
    QString m_folder;  // the folder the bench is started from
    platform::RecordedPrompts m_prompts;

    std::unique_ptr<FrmMain> start()
    {
        auto window = std::make_unique<FrmMain>(QuickStart);
        window->formLoad();
        return window;
    }
    QString file(const char *name) const { return QDir(m_folder).filePath(QLatin1String(name)); }

private slots:
    void init()
    {
        bench() = BenchRecord{};
        m_previous = QDir::currentPath();
        m_temp = std::make_unique<QTemporaryDir>();
        QVERIFY(m_temp->isValid() && QDir(m_temp->path()).mkdir(QStringLiteral("bench")));
        QVERIFY(QDir::setCurrent(m_temp->filePath(QStringLiteral("bench"))));
        m_folder = QDir::currentPath();  // as the bench itself will see it
        m_prompts.messages.clear();
    }

    void cleanup() { QDir::setCurrent(m_previous); }

    // Each row: the files found at start-up (empty: none) and whether the bench may
    // use them; if not, both are reset to the defaults, silently on screen, and
    // every file that was there is kept beside itself first (kept: the copies made).
    void shouldUseTheSettingsOrFallBackToTheDefaults_data()
    {
        QTest::addColumn<QByteArray>("art");
        QTest::addColumn<QByteArray>("artc");
        QTest::addColumn<bool>("usable");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QStringList>("kept");
        QTest::newRow("no files") << QByteArray() << QByteArray() << false << QStringLiteral("COM 1") << QStringList();
        QTest::newRow("no artc.cfg resets both")
            << usedArt("7") << QByteArray() << false << QStringLiteral("COM 1") << QStringList{"art.cfg.replaced"};
        QTest::newRow("port 256 resets both") << usedArt("256") << UsedArtc << false << QStringLiteral("COM 1")
                                              << QStringList{"art.cfg.unreadable", "artc.cfg.replaced"};
        QTest::newRow("cut-off artc.cfg next to advanced serials")
            << usedArt("7") << UsedArtc.left(10) << false << QStringLiteral("COM 1")
            << QStringList{"art.cfg.replaced", "artc.cfg.unreadable"};
        QTest::newRow("COM 12") << usedArt("12") << UsedArtc << true << QStringLiteral("COM 12") << QStringList();
        QTest::newRow("port 0 selects none, 0 is kept")
            << usedArt("0") << UsedArtc << true << QStringLiteral("Combo1") << QStringList();
    }

    void shouldUseTheSettingsOrFallBackToTheDefaults()
    {
        QFETCH(QByteArray, art);
        QFETCH(QByteArray, artc);
        QFETCH(bool, usable);
        QFETCH(QStringList, kept);
        if (!art.isEmpty())
            writeFile(file("art.cfg"), art);
        if (!artc.isEmpty())
            writeFile(file("artc.cfg"), artc);
        // Copies from an earlier reset: the newest replaces them, the rest stay untouched.
        const QByteArray olderCopy = "kept at an earlier start\r\n";
        const QStringList copies{"art.cfg.unreadable", "art.cfg.replaced", "artc.cfg.unreadable", "artc.cfg.replaced"};
        for (const QString &copy : copies)
            writeFile(file(qPrintable(copy)), olderCopy);
        QTest::failOnWarning(QRegularExpression("^Quillmark: "));  // nothing said of a missing file
        for (const QString &copy : kept)  // one line on standard error names each copy
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(
                                                   " kept in " + QRegularExpression::escape(file(qPrintable(copy))) + '$'));
        const QByteArray wantArt = usable ? art : DefaultArt;
        const QByteArray wantArtc = usable ? artc : config::formatArtc(config::defaultFolders(m_folder));

        const auto w = start();
        QCOMPARE(readFile(file("art.cfg")), wantArt);
        QCOMPARE(readFile(file("artc.cfg")), wantArtc);
        for (const QString &copy : copies)
            QCOMPARE(readFile(file(qPrintable(copy))),
                     !kept.contains(copy) ? olderCopy : copy.startsWith("artc") ? artc : art);
        QTEST(w->cmbPortNo->currentText(), "port");
        QVERIFY(w->tmrPortOpen->isActive());  // start-up goes on either way
        // Whatever was read before a failure is gone from memory too.
        QCOMPARE(bench().RelayNumbering[25][3], usable ? QStringLiteral("Z") : QStringLiteral("B"));
        QCOMPARE(bench().SaveFolder, usable ? QStringLiteral("F:\\Reports\\") : platform::defaultSaveFolder());
        QVERIFY(m_prompts.messages.isEmpty());

        w->formUnload();  // a run that changes nothing writes the same bytes back
        QCOMPARE(readFile(file("art.cfg")), wantArt);
        QCOMPARE(readFile(file("artc.cfg")), wantArtc);
    }

    void shouldSaveTheChoicesOfTheRunInTheStartupFolderOnClose()
    {
        const auto w = start();  // no files: defaults
        w->cmbPortNo->setCurrentIndex(4);
        bench().RelayNumbering[3][1] = QStringLiteral("0042");  // a report form moved the serial number on
        bench().SaveFolder = QStringLiteral("G:\\Out\\");       // the options dialog chose a folder
        // A file dialog moved the current folder elsewhere during the run.
        const QString elsewhere = m_temp->filePath(QStringLiteral("elsewhere"));
        QVERIFY(QDir().mkdir(elsewhere) && QDir::setCurrent(elsewhere));

        QVERIFY(w->close());
        QCOMPARE(readFile(file("art.cfg")), "5" + DefaultArt.mid(1).replace(39, 4, "0042"));  // row 3, line 8
        QVERIFY(readFile(file("artc.cfg")).endsWith("\"G:\\Out\\\"\r\n"));
        QVERIFY(QDir(elsewhere).isEmpty());
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
#ifndef Q_OS_LINUX
        QSKIP("watches the program's signal handlers in /proc");
#else
        QFETCH(QList<int>, signalNumbers);
        writeFile(file("art.cfg"), usedArt("\"3\"").replace("\r\n", "\n"));
        writeFile(file("artc.cfg"), QByteArray(UsedArtc).replace("\r\n", "\n"));

        QProcess program;
        program.setWorkingDirectory(m_folder);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        program.setProcessEnvironment(environment);
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.start(QStringLiteral(QUILLMARK_PROGRAM), {QStringLiteral("--simulate")});
        QVERIFY(program.waitForStarted());

        // The bench takes the signals over once start-up is through (the splash alone is 2 s).
        const auto takesOver = [&program] {
            QFile status(QStringLiteral("/proc/%1/status").arg(program.processId()));
            const QByteArray text = status.open(QIODevice::ReadOnly) ? status.readAll() : QByteArray();
            const qulonglong caught =
                QRegularExpression("SigCgt:\\s*(\\w+)").match(text).captured(1).toULongLong(nullptr, 16);
            const qulonglong wanted = (1ULL << (SIGTERM - 1)) | (1ULL << (SIGHUP - 1)) | (1ULL << (SIGINT - 1));
            return (caught & wanted) == wanted;
        };
        QVERIFY(QTest::qWaitFor(takesOver, 10000));
        for (const int signalNumber : signalNumbers)
            QCOMPARE(::kill(pid_t(program.processId()), signalNumber), 0);

        QVERIFY(program.waitForFinished(5000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        QCOMPARE(readFile(file("art.cfg")), usedArt("3"));
        QCOMPARE(readFile(file("artc.cfg")), UsedArtc);
#endif
    }

    void shouldTellTheOperatorWhenTheSettingsCannotBeSaved()
    {
        const auto w = start();
        // Running as root, permission bits stop nothing; a folder that is gone does.
        QVERIFY(QDir(m_folder).removeRecursively());
        w->formUnload();

        QString all;
        for (const auto &shown : m_prompts.messages) {
            QVERIFY(!shown.title.isEmpty());
            all += shown.text + QLatin1Char('\n');
        }
        QVERIFY2(all.contains(QDir::toNativeSeparators(file("art.cfg"))), qPrintable(all));
        QVERIFY2(all.contains(QStringLiteral("artc.cfg")), qPrintable(all));
    }

    void shouldStartWithControlsInTheirStartupState()
    {
        const FrmMain made;  // the bench's periods; the fixed wait is one tick, polling keeps ticking
        QCOMPARE((QList<int>{made.tmrPortOpen->interval(), made.tmrComm->interval(), made.tmrTout->interval()}),
                 (QList<int>{1000, 250, 1000}));
        QVERIFY(made.tmrTout->isSingleShot() && !made.tmrComm->isSingleShot());

        const auto w = start();
        QList<const QWidget *> hidden{w->lblPUV, w->lblDAV, w->cmdContactSequence};
        hidden.append(QList<const QWidget *>(w->lblBusy.begin(), w->lblBusy.end()));
        for (const QWidget *control : hidden)
            QVERIFY2(control->isHidden(), qPrintable(control->objectName()));
        QCOMPARE(w->cmbType->currentIndex(), 0);
        QVERIFY(!w->cmdContactDelay->isEnabled());
        QCOMPARE(w->cmbCRChannel->currentText(), QStringLiteral("A1"));
        QCOMPARE(w->cmbPortNo->itemText(254), QStringLiteral("COM 255"));
        QCOMPARE(int(bench().ContactLayout[7][12]), 2);  // the contact layout is built
        QCOMPARE(w->tmrPortOpen->intervalAsDuration(), QuickStart.portOpen);  // only the port check is armed
        QVERIFY(w->tmrPortOpen->isActive() && !w->tmrComm->isActive() && !w->tmrTout->isActive());

        // Pixels are twips / 15, inside the container the bench put each control in.
        QCOMPARE(w->size(), QSize(840, 519));
        QCOMPARE(w->cmdReport->geometry(), QRect(32, 464, 137, 49));
        QCOMPARE(w->lblBusy[3]->parentWidget()->objectName(), QStringLiteral("FrameCPanel"));
        QCOMPARE(w->lblBusy[3]->geometry(), QRect(160, 200, 57, 20));
        QCOMPARE(w->cmbType->geometry(), QRect(16, 48, 305, 23));
        // The window wears the bench's icon, drawn for the title bar and the task bar.
        const QList<QSize> drawn = w->windowIcon().availableSizes();
        QVERIFY(drawn.contains(QSize(16, 16)) && drawn.contains(QSize(32, 32)));
    }

    // The real message box: a short text under a long title must not cut the title.
    void shouldShowThePortErrorTitleWhole()
    {
        int boxWidth = 0;
        QTimer::singleShot(0, [&boxWidth] {
            QWidget *box = QApplication::activeModalWidget();
            QVERIFY(box);
            boxWidth = box->width();
            box->close();
        });
        const QString title = QStringLiteral("Communication Port Error!");
        platform::DialogPrompts().message(nullptr, title, QStringLiteral("COM1: gone"), platform::PromptIcon::Exclamation);
        const int titleWidth = QFontMetrics(QApplication::font("QMdiSubWindowTitleBar")).horizontalAdvance(title);
        QVERIFY2(boxWidth > titleWidth + 100, qPrintable(QStringLiteral("%1 %2").arg(boxWidth).arg(titleWidth)));
    }

    void shouldFollowTheChosenRelayButNotTypedText_data()
    {
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("after");
        QTest::addColumn<bool>("dropAway");
        QTest::addColumn<bool>("contactDelay");
        QTest::addColumn<QString>("reads");  // what the pick-up and drop-away captions name
        QTest::newRow("QL1 has no drop-away") << 0 << 5 << false << false << QStringLiteral("Voltage");
        QTest::newRow("QTA2 reads currents") << 0 << 7 << true << false << QStringLiteral("Current");
        QTest::newRow("QNA1K has a contact delay") << 0 << 4 << true << true << QStringLiteral("Voltage");
        QTest::newRow("QSPA1 after QL1") << 5 << 8 << true << true << QStringLiteral("Voltage");
        QTest::newRow("QECX61 after QTA2") << 7 << 6 << true << false << QStringLiteral("Voltage");
        QTest::newRow("QN1 12F-4B after QNA1K") << 4 << 3 << true << false << QStringLiteral("Voltage");
    }

    void shouldFollowTheChosenRelayButNotTypedText()
    {
        QFETCH(int, before);
        QFETCH(int, after);
        QFETCH(QString, reads);
        const auto w = start();
        w->cmbType->setCurrentIndex(before);
        bench().CoilResistance1 = 312.5f;  // results of the relay tested before
        bench().CoilResistance2 = 298.0f;

        w->cmbType->setCurrentIndex(after);
        QTEST(w->cmdDropAway->isEnabled(), "dropAway");
        QTEST(w->cmdContactDelay->isEnabled(), "contactDelay");
        QCOMPARE(w->Label1[0]->text(), QStringLiteral("Pick-Up %1:").arg(reads));
        QCOMPARE(w->Label1[1]->text(), QStringLiteral("Drop-Away %1:").arg(reads));
        // Pick-up and drop-away wait for the new relay's coil to be measured; nothing else is forgotten.
        QCOMPARE(bench().CoilResistance1, Single(0));
        QCOMPARE(bench().CoilResistance2, 298.0f);

        // Typed text names no entry, so no report form may open for it; typing is not choosing.
        bench().CoilResistance1 = 312.5f;
        w->cmbType->lineEdit()->selectAll();
        QTest::keyClicks(w->cmbType->lineEdit(), QStringLiteral("my relay"));
        QCOMPARE(w->cmbType->currentIndex(), -1);
        QCOMPARE(bench().CoilResistance1, 312.5f);
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
