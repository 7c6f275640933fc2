// The report entry form of every relay style: what it shows when it opens, the
// record it builds, the serial number it hands on, and how it ends.

#include "console/benchrecord.h"
#include "platform/prompts.h"
#include "reports/reportform.h"
#include "testfiles.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>

static std::unique_ptr<reports::ReportForm> openForm(int styleCode, QDate today = QDate(2022, 4, 15))
{
    auto form = std::make_unique<reports::ReportForm>(styleCode, nullptr, [today] { return today; });
    form->show();
    return form;
}

// A relay as the kit leaves it. Contact element 0 (the latest single reading) and
// 17 lie outside both channel ranges and must never count as their largest.
static void measuredRelay()
{
    BenchRecord &r = bench();
    r.CoilResistance1 = 512.34f;
    r.CoilResistance2 = 98.76f;
    r.PickUpVoltage = 14.5f;
    r.DropAwayVoltage = 3.25f;
    r.ManualDropAwayVoltage = 2.5f;
    r.PickUpCurrent = 48;
    r.DropAwayCurrent = 20;
    r.ContactRes = {999, 7.5f, 3.2f, 7.5f, 1, 0, 0, 0, 2, 2, 0, 0, 0, 0, 0, 0, 4.26f, 888};
    r.ContactDelay = {12.6f, 1.5f, 0, 0, 0, 0, 0, 0, 0, 0.7f, 0, 0, 0, 0, 0, 3.5f};
}

class TestReportForm : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_saveFolder;

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_saveFolder = m_dir->path() + QLatin1Char('/');
        bench() = BenchRecord{};
        for (int style = 1; style <= 7; ++style)
            bench().RelayNumbering[std::size_t(style)] = {QString(), "0001", "A", "B"};
        bench().SaveFolder = m_saveFolder;
        bench().TemplateFolder = m_saveFolder;
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    }

    // One row per relay style, and per contact variant (0: never dispatched) where
    // the style has two. code: the interlocking code the sequence lines take; QECX61
    // has none and leaves them. someItems are "k=text" over the measured relay:
    // besides the places of the items they pin the result formats, the largest
    // front of equal values 7.5 and back of the last channel 4.3, the QNA1K timing
    // 13 / 3.5 / 7.5 / 3.5, the QTA2 release of 42 % and the QSPA1 times 3.5 and 2.
    void shouldAppendTheRecordOfItsStyleAndClose_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<int>("variant");
        QTest::addColumn<int>("items");
        QTest::addColumn<int>("recordLines");
        QTest::addColumn<int>("verdicts");
        QTest::addColumn<int>("lastVerdictItem");  // the item of the verdict list with the highest index
        QTest::addColumn<QString>("code");
        QTest::addColumn<QStringList>("someItems");
        QTest::newRow("QNA1 12F-4B") << 1 << 2 << 15 << 54 << 5 << 8 << "ABDFH" << QStringList{"14=7.5", "15=4.3"};
        QTest::newRow("QNA1 8F-8B") << 1 << 1 << 15 << 54 << 5 << 8 << "ABDGH" << QStringList{};
        QTest::newRow("QN1, variant unset") << 2 << 0 << 15 << 54 << 4 << 7 << "ABCDE" << QStringList{"8=", "15=4.3"};
        QTest::newRow("QN1 8F-8B") << 2 << 1 << 15 << 54 << 4 << 7 << "ABCDF" << QStringList{};
        QTest::newRow("QNA1K") << 3 << 0 << 24 << 30 << 3 << 24 << "CDEKY"
                               << QStringList{"2=512.3", "5=14.50", "7=13", "8=3.5", "9=7.5", "10=3.5", "23=CDEKY"};
        QTest::newRow("QL1") << 4 << 0 << 20 << 30 << 5 << 14 << "ABDEG" << QStringList{"3=98.8", "7=3.25", "15=ABDEG"};
        QTest::newRow("QECX61") << 5 << 0 << 18 << 30 << 4 << 15 << "sequence"
                                << QStringList{"5=20.0", "6=48.0", "16=PU", "18=PU"};
        QTest::newRow("QTA2") << 6 << 0 << 21 << 30 << 4 << 20 << "FGHKX" << QStringList{"6=60", "8=42", "18=50"};
        QTest::newRow("QSPA1") << 7 << 0 << 22 << 30 << 5 << 15 << "ABDEJ" << QStringList{"7=2.50", "8=3.5", "9=2"};
    }

    // The record takes the style's own items and leaves every later item alone: the
    // 30-line record writes those tail items as they stand.
    void shouldAppendTheRecordOfItsStyleAndClose()
    {
        QFETCH(int, style);
        QFETCH(int, variant);
        QFETCH(int, items);
        QFETCH(int, verdicts);
        QFETCH(int, lastVerdictItem);
        QFETCH(QStringList, someItems);
        measuredRelay();
        bench().StyleCode = Integer(style);
        bench().ContactVariant = Integer(variant);
        bench().NOSequence = bench().NCSequence = QStringLiteral("sequence");
        bench().ReportItems.fill(QStringLiteral("#"));
        const auto form = openForm(style);
        QTEST(bench().NOSequence, "code");
        QTEST(bench().NCSequence, "code");
        if (QRadioButton *eightFront = form->opt(1))
            QCOMPARE(eightFront->isChecked(), variant == 1);
        QVERIFY(form->cmbOK(verdicts - 1));
        form->cmbOK(verdicts - 1)->setCurrentIndex(1);

        form->cmdAddTestResult->click();

        QVERIFY(!form->isVisible());
        const auto &record = bench().ReportItems;
        for (int k = 0; k < ReportItemSlots; ++k)
            QVERIFY2((record[std::size_t(k)] == "#") == (k < 1 || k > items), qPrintable(QString::number(k)));
        for (const QString &expected : someItems)
            QCOMPARE(expected.section('=', 0, 0) + '=' + record[expected.section('=', 0, 0).toUInt()], expected);
        QCOMPARE(std::count(record.begin(), record.end(), QStringLiteral("OK")), 1);
        QCOMPARE(record[std::size_t(lastVerdictItem)], QStringLiteral("OK"));
        const QByteArray written = readFile(m_saveFolder + QStringLiteral("Test Report 1.csv"));
        QTEST(int(written.count("\r\n")), "recordLines");
        QVERIFY(written.startsWith("0001/22DAB\r\n"));
        QCOMPARE(bench().RelayNumbering[std::size_t(style)][1], QStringLiteral("0002"));
    }

    // Nothing measured but the coil currents and the largest front and back delays
    // (channels 3 and 12); comma: on a PC whose decimal separator is ",".
    void shouldLoadResultsInTheirFormats_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<int>("pickUp");  // mA
        QTest::addColumn<int>("dropAway");
        QTest::addColumn<float>("front");  // ms
        QTest::addColumn<float>("back");
        QTest::addColumn<bool>("comma");
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("shown");
        QTest::newRow("front, nothing measured") << 4 << 0 << 0 << 0.0f << 0.0f << false << 4 << "0.0";
        QTest::newRow("QTA2 release, nothing measured") << 6 << 0 << 0 << 0.0f << 0.0f << false << 8 << "0";
        QTest::newRow("QTA2 release, below 20 mA the current") << 6 << 10 << 8 << 0.0f << 0.0f << false << 8 << "8";
        QTest::newRow("QTA2 release, percent from 20 mA") << 6 << 20 << 5 << 0.0f << 0.0f << false << 8 << "25";
        QTest::newRow("QTA2 full operate current, whole") << 6 << 17 << 0 << 0.0f << 0.0f << false << 3 << "21";
        QTest::newRow("QSPA1 difference is never negative") << 7 << 0 << 0 << 0.5f << 0.25f << false << 9 << "0.25";
        QTest::newRow("QSPA1 difference, no digit beyond the single's")
            << 7 << 0 << 0 << 12.345f << 77.881f << false << 9 << "65.536";
        QTest::newRow("QSPA1 drop away time, E form") << 7 << 0 << 0 << 0.0f << 12345678.0f << false << 8
                                                      << "1.234568E+07";
        QTest::newRow("comma, one decimal") << 5 << 24 << 0 << 0.0f << 0.0f << true << 2 << "24,0";
        QTest::newRow("comma, no thousands separator") << 5 << 1234 << 0 << 0.0f << 0.0f << true << 2 << "1234,0";
        QTest::newRow("comma, plain text") << 7 << 0 << 0 << 0.5f << 1234.75f << true << 9 << "1234,25";
        QTest::newRow("comma, plain text below one") << 7 << 0 << 0 << 0.5f << 0.25f << true << 9 << "0,25";
    }

    void shouldLoadResultsInTheirFormats()
    {
        QFETCH(int, style);
        QFETCH(int, pickUp);
        QFETCH(int, dropAway);
        QFETCH(float, front);
        QFETCH(float, back);
        QFETCH(bool, comma);
        QFETCH(int, field);
        if (comma)
            QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        bench().PickUpCurrent = Integer(pickUp);
        bench().DropAwayCurrent = Integer(dropAway);
        bench().ContactDelay[3] = front;
        bench().ContactDelay[12] = back;
        QTEST(openForm(style)->txtAutoPara(field)->text(), "shown");
    }

    void shouldAdvanceTheSerialOnEveryClose_data()
    {
        QTest::addColumn<QString>("serial");
        QTest::addColumn<bool>("discarded");  // or closed by the close box
        QTest::addColumn<QString>("next");
        QTest::newRow("0009") << "0009" << true << "0010";
        QTest::newRow("9999 grows a digit") << "9999" << true << "10000";
        QTest::newRow("not a number") << "abc" << true << "0001";
        QTest::newRow("blanks ignored, number then text") << " 1 2x" << true << "0013";
        QTest::newRow("close box") << "0041" << false << "0042";
    }

    void shouldAdvanceTheSerialOnEveryClose()
    {
        QFETCH(QString, serial);
        QFETCH(bool, discarded);
        QFETCH(QString, next);
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        const auto form = openForm(6, QDate(2022, 12, 31));
        form->txtRelayID(0)->setText(serial);
        form->txtRelayID(3)->setText(QStringLiteral("X"));
        form->txtRelayID(4)->setText(QStringLiteral("Y"));
        form->txtManualPara(0)->setText(QStringLiteral("999"));
        form->cmbOK(0)->setCurrentIndex(1);

        discarded ? form->cmdDiscard->click() : void(form->close());

        QVERIFY(!form->isVisible());
        QCOMPARE(bench().RelayNumbering[6], (std::array<QString, 4>{QString(), next, "X", "Y"}));
        QVERIFY(QDir(m_saveFolder).isEmpty());

        // The next showing starts from the design texts, with the serial whole;
        // December gives L, and the date has the PC's own separator.
        form->show();
        form->buildReportRecord();
        QCOMPARE(bench().RelayID, next + QStringLiteral("/22LXY"));
        QCOMPARE(form->txtDate->text(), QStringLiteral("31.12.2022"));
        QCOMPARE(form->txtManualPara(0)->text(), QStringLiteral("50"));
        QCOMPARE(form->cmbOK(0)->count(), 2);
        QCOMPARE(form->cmbOK(0)->currentText(), QStringLiteral("Not OK"));
    }

    // The report file is chosen by name ("New" from elsewhere), in the report
    // folder; message: what the one message says, <file> standing for its path.
    void shouldTellHowTheRecordWent_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("folderThere");
        QTest::addColumn<bool>("templateThere");
        QTest::addColumn<QString>("message");
        QTest::newRow("ADD TEST RESULT, no folder") << "cmdAddTestResult" << false << true << "<file>";
        QTest::newRow("MAKE FINAL REPORT, no folder") << "cmdMakeFinalReport" << false << true << "<file>";
        QTest::newRow("MAKE FINAL REPORT") << "cmdMakeFinalReport" << true << true << "Report successfully created.";
        QTest::newRow("MAKE FINAL REPORT, no template") << "cmdMakeFinalReport" << true << false
                                                        << "Routine_Test_Format_QL1.xlsm";
    }

    // A record that cannot be written keeps the form open with everything typed.
    void shouldTellHowTheRecordWent()
    {
        QFETCH(QString, button);
        QFETCH(bool, folderThere);
        QFETCH(bool, templateThere);
        QFETCH(QString, message);
        platform::RecordedPrompts prompts;
        const QString folder = m_saveFolder + QStringLiteral("reports/");
        const QString report = folder + QStringLiteral("Batch 7.csv");
        bench().SaveFolder = folder;
        bench().StyleCode = 4;
        if (folderThere)
            QVERIFY(QDir().mkpath(folder));
        if (templateThere)
            writeFile(m_saveFolder + QStringLiteral("Routine_Test_Format_QL1.xlsm"), "template");
        const auto form = openForm(4);
        prompts.fileAnswers = QStringList{QStringLiteral("/elsewhere/Batch 7.csv")};
        form->cmdNew->click();
        QCOMPARE(prompts.fileDialogFolders, QStringList{folder});
        form->txtManualPara(0)->setText(QStringLiteral("77"));
        form->cmbOK(2)->setCurrentIndex(1);

        form->findChild<QPushButton *>(button)->click();

        QCOMPARE(prompts.messages.size(), 1);
        QVERIFY2(prompts.messages[0].text.contains(message.replace(QStringLiteral("<file>"), report)),
                 qPrintable(prompts.messages[0].text));
        QCOMPARE(prompts.messages[0].icon == platform::PromptIcon::Information, message.startsWith("Report"));
        QCOMPARE(form->isVisible(), !folderThere);
        if (!folderThere) {
            QCOMPARE(form->txtManualPara(0)->text(), QStringLiteral("77"));
            QCOMPARE(form->cmbOK(2)->currentText(), QStringLiteral("OK"));
            QCOMPARE(bench().RelayNumbering[4][1], QStringLiteral("0001"));
            QVERIFY(QDir().mkpath(folder));
            form->cmdAddTestResult->click();  // the same form then records the relay as typed
        }
        QCOMPARE(readFile(report).split('\n').value(3), QByteArray("77\r"));
    }
};

QTEST_MAIN(TestReportForm)
#include "tst_reportform.moc"
