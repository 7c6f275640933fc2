// The report entry form of every relay style: what it shows when it opens, the
// record it builds, the serial number it hands on, and how it ends.

#include "console/benchrecord.h"
#include "platform/prompts.h"
#include "reports/reportform.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>

using reports::ReportForm;

namespace {

const QDate April2022(2022, 4, 15);

std::unique_ptr<ReportForm> openForm(int styleCode, QDate today = April2022)
{
    auto form = std::make_unique<ReportForm>(styleCode, nullptr, [today] { return today; });
    form->show();
    return form;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QList<QByteArray> lines(const QString &path)
{
    QList<QByteArray> result = readFile(path).split('\n');
    if (!result.isEmpty() && result.constLast().isEmpty())
        result.removeLast();
    for (QByteArray &line : result)
        line.chop(1);  // the carriage return
    return result;
}

// A relay as the kit leaves it. Contact element 0 (the latest single reading) and
// 17 lie outside both channel ranges and must never count as their largest.
void measuredRelay()
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

void presetBench(const QString &preset)
{
    BenchRecord &r = bench();
    if (preset == QLatin1String("measured"))
        measuredRelay();
    if (preset == QLatin1String("low pick-up")) {
        r.PickUpCurrent = 10;
        r.DropAwayCurrent = 8;
    }
    if (preset == QLatin1String("pick-up 17 mA"))
        r.PickUpCurrent = 17;
    if (preset == QLatin1String("pick-up 20 mA")) {
        r.PickUpCurrent = 20;
        r.DropAwayCurrent = 5;
    }
    if (preset == QLatin1String("sequence delays")) {
        for (int channel = 1; channel <= 16; ++channel)
            r.ContactDelay[channel] = Single(channel <= 8 ? 3 + channel % 3 : 7 + channel % 3);
    }
    if (preset == QLatin1String("fractional delays")) {
        r.ContactDelay[3] = 0.5f;
        r.ContactDelay[12] = 0.25f;
    }
}

} // namespace

class TestReportForm : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_saveFolder;

    void addStyleRows();

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

    void shouldBuildTheFormOfEachStyle_data();
    void shouldBuildTheFormOfEachStyle();
    void shouldRecordTheItemsOfItsStyle_data();
    void shouldRecordTheItemsOfItsStyle();
    void shouldLoadResultsInTheirFormats_data();
    void shouldLoadResultsInTheirFormats();
    void shouldTakeTheInterlockingCodeOfTheStyle_data();
    void shouldTakeTheInterlockingCodeOfTheStyle();
    void shouldNumberTheRelayByTheDate_data();
    void shouldNumberTheRelayByTheDate();
    void shouldAdvanceTheSerialOnEveryClose_data();
    void shouldAdvanceTheSerialOnEveryClose();
    void shouldKeepASerialPast9999Whole();
    void shouldStartEveryShowingFromTheDesignTexts();
    void shouldAppendOneRecordAndClose_data();
    void shouldAppendOneRecordAndClose();
    void shouldKeepTheFormOpenWhenTheRecordCannotBeWritten_data();
    void shouldKeepTheFormOpenWhenTheRecordCannotBeWritten();
    void shouldTellWhetherTheFinalReportWasPrepared_data();
    void shouldTellWhetherTheFinalReportWasPrepared();
    void shouldTakeTheChosenFileByName_data();
    void shouldTakeTheChosenFileByName();
    void shouldSetResultsApartFromTypedFields();
};

void TestReportForm::addStyleRows()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<QString>("formName");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("verdicts");
    QTest::addColumn<int>("items");
    QTest::addColumn<QString>("discard");
    QTest::addColumn<int>("recordLines");
    QTest::addColumn<QStringList>("someItems");  // "k=text" of an untouched form over measuredRelay()
    QTest::addColumn<int>("lastVerdictItem");    // the item of the verdict list with the highest index

    QTest::newRow("QNA1") << 1 << "frmQNA1" << "Report for 'QNA1' 24V DC (ACI)" << 5 << 15 << "txtDiscard" << 54
                          << QStringList{"1=0001/22DAB", "2=Not OK", "3=50", "8=Not OK", "9=50", "14=7.5", "15=4.3"}
                          << 8;
    QTest::newRow("QN1") << 2 << "frmQN1" << "Report for 'QN1' 24V DC (NON-ACI)" << 4 << 15 << "cmdDiscard" << 54
                         << QStringList{"1=0001/22DAB", "3=50", "8=", "14=7.5", "15=4.3"} << 7;
    QTest::newRow("QNA1K") << 3 << "frmQNA1K" << "Report for 'QNA1K' 24V DC" << 3 << 24 << "txtDiscard" << 30
                           << QStringList{"2=512.3", "4=Not OK", "5=14.50", "6=48.0", "7=13", "8=3.5", "9=7.5",
                                          "10=3.5", "11=7.5", "23=CDEKY", "24=Not OK"}
                           << 24;
    QTest::newRow("QL1") << 4 << "frmQL1" << "Report for 'QL1' 24V DC" << 5 << 20 << "txtDiscard" << 30
                         << QStringList{"2=512.3", "3=98.8", "7=3.25", "9=7.5", "15=ABDEG", "20=Not OK"} << 14;
    QTest::newRow("QECX61") << 5 << "frmQECX61" << "Report for 'QECX61' 24V DC" << 4 << 18 << "txtDiscard" << 30
                            << QStringList{"4=512.3", "5=20.0", "6=48.0", "7=14.50", "10=60", "12=10", "16=PU",
                                           "18=PU"}
                            << 15;
    QTest::newRow("QTA2") << 6 << "frmQTA2" << "Report for 'QTA2', 9 OHM (ACI) 24V DC" << 4 << 21 << "txtDiscard"
                          << 30
                          << QStringList{"4=512.3", "5=48", "6=60", "7=14.50", "8=42", "11=50", "15=FGHKX", "18=50"}
                          << 20;
    QTest::newRow("QSPA1") << 7 << "frmQSPA1" << "Report for 'QSPA1' (ACI) 24V DC" << 5 << 22 << "txtDiscard" << 30
                           << QStringList{"4=512.3", "7=2.50", "8=3.5", "9=2", "10=7.5", "16=ABDEJ", "22=Not OK"}
                           << 15;
}

void TestReportForm::shouldBuildTheFormOfEachStyle_data()
{
    addStyleRows();
}

void TestReportForm::shouldBuildTheFormOfEachStyle()
{
    QFETCH(int, style);
    QFETCH(QString, formName);
    QFETCH(QString, caption);
    QFETCH(int, verdicts);
    QFETCH(QString, discard);
    const auto form = openForm(style);

    QCOMPARE(form->objectName(), formName);
    QCOMPARE(form->windowTitle(), caption);
    QCOMPARE(form->findChild<QGroupBox *>("Frame1")->title(), QStringLiteral("Test Report && Entry Form"));
    QCOMPARE(form->findChild<QGroupBox *>("Frame7")->title(), QStringLiteral("Report File Name"));
    QCOMPARE(form->findChild<QPushButton *>(discard)->text(), QStringLiteral("DISCARD TEST RESULT"));
    QCOMPARE(form->cmdDiscard->objectName(), discard);
    QCOMPARE(form->cmdAddTestResult->text(), QStringLiteral("ADD TEST RESULT"));
    QCOMPARE(form->cmdMakeFinalReport->text(), QStringLiteral("MAKE FINAL REPORT"));
    QCOMPARE(form->txtFileName->text(), QStringLiteral("Test Report 1.csv"));

    // Exactly the verdict lists of the style, each starting at "Not OK" and
    // offering nothing but its two entries.
    for (int i = 0; i < 6; ++i) {
        QComboBox *verdict = form->cmbOK(i);
        QCOMPARE(verdict != nullptr, i < verdicts);
        if (!verdict)
            continue;
        QCOMPARE(verdict->count(), 2);
        QCOMPARE(verdict->itemText(1), QStringLiteral("OK"));
        QCOMPARE(verdict->currentText(), QStringLiteral("Not OK"));
        QVERIFY(!verdict->isEditable());
    }
    for (int i = 0; i < 3; ++i) {
        QComboBox *puDa = form->cmbPUDA(i);
        QCOMPARE(puDa != nullptr, style == 5);
        if (puDa)
            QCOMPARE(puDa->currentText(), QStringLiteral("PU"));
    }
    const int lengths[] = {4, 2, 1, 1, 1};
    for (int i = 0; i < 5; ++i)
        QCOMPARE(form->txtRelayID(i)->maxLength(), lengths[i]);
}

void TestReportForm::shouldRecordTheItemsOfItsStyle_data()
{
    addStyleRows();
}

// The record takes the style's own items and leaves every later item alone: the
// 30-line record writes those tail items as they stand.
void TestReportForm::shouldRecordTheItemsOfItsStyle()
{
    QFETCH(int, style);
    QFETCH(int, items);
    QFETCH(QStringList, someItems);
    measuredRelay();
    bench().ReportItems.fill(QStringLiteral("#"));
    const auto form = openForm(style);

    form->buildReportRecord();

    const auto &record = bench().ReportItems;
    QCOMPARE(record[0], QStringLiteral("#"));
    for (int k = 1; k < ReportItemSlots; ++k)
        QVERIFY2((record[std::size_t(k)] != QStringLiteral("#")) == (k <= items), qPrintable(QString::number(k)));
    QCOMPARE(bench().RelayID, QStringLiteral("0001/22DAB"));
    for (const QString &expected : someItems) {
        const int k = expected.section(QLatin1Char('='), 0, 0).toInt();
        QCOMPARE(QStringLiteral("%1=%2").arg(k).arg(record[std::size_t(k)]), expected);
    }

    // A verdict list gives its chosen entry, at its own item.
    QFETCH(int, verdicts);
    QFETCH(int, lastVerdictItem);
    form->cmbOK(verdicts - 1)->setCurrentIndex(1);
    form->buildReportRecord();
    QCOMPARE(std::count(record.begin(), record.end(), QStringLiteral("OK")), 1);
    QCOMPARE(record[std::size_t(lastVerdictItem)], QStringLiteral("OK"));
}

void TestReportForm::shouldLoadResultsInTheirFormats_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<QString>("preset");
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("shown");
    QTest::newRow("coil resistance, one decimal") << 2 << "measured" << 0 << "512.3";
    QTest::newRow("pick-up voltage, two decimals") << 2 << "measured" << 1 << "14.50";
    QTest::newRow("release voltage") << 2 << "measured" << 2 << "3.25";
    QTest::newRow("full reverse voltage") << 1 << "measured" << 3 << "2.50";
    QTest::newRow("front: largest of channels 1..8, equal values") << 1 << "measured" << 4 << "7.5";
    QTest::newRow("back: largest of channels 9..16, the last") << 4 << "measured" << 5 << "4.3";
    QTest::newRow("front, nothing measured") << 4 << "none" << 4 << "0.0";
    QTest::newRow("back, nothing measured") << 7 << "none" << 5 << "0.0";
    QTest::newRow("QL1 release coil") << 4 << "measured" << 7 << "98.8";
    QTest::newRow("QL1 release voltage") << 4 << "measured" << 3 << "3.25";
    QTest::newRow("QNA1K pick-up current") << 3 << "measured" << 2 << "48.0";
    QTest::newRow("QNA1K pick-up transfer, latest delay, whole") << 3 << "measured" << 3 << "13";
    QTest::newRow("QNA1K release transfer, channel 15") << 3 << "measured" << 6 << "3.5";
    QTest::newRow("QNA1K front bounce, channel 1 times 5") << 3 << "measured" << 7 << "7.5";
    QTest::newRow("QNA1K back bounce, channel 9 times 5") << 3 << "measured" << 8 << "3.5";
    QTest::newRow("QNA1K timing, nothing measured") << 3 << "none" << 3 << "0";
    QTest::newRow("QECX61 drop-away current by its caption") << 5 << "measured" << 1 << "20.0";
    QTest::newRow("QECX61 pick-up current by its caption") << 5 << "measured" << 2 << "48.0";
    QTest::newRow("QECX61 voltage drop") << 5 << "measured" << 3 << "14.50";
    QTest::newRow("QTA2 operate current, whole") << 6 << "measured" << 2 << "48";
    QTest::newRow("QTA2 full operate current") << 6 << "pick-up 17 mA" << 3 << "21";
    QTest::newRow("QTA2 release, percent") << 6 << "measured" << 8 << "42";
    QTest::newRow("QTA2 release, below 20 mA the current") << 6 << "low pick-up" << 8 << "8";
    QTest::newRow("QTA2 release, percent from 20 mA") << 6 << "pick-up 20 mA" << 8 << "25";
    QTest::newRow("QTA2 release, nothing measured") << 6 << "none" << 8 << "0";
    QTest::newRow("QSPA1 drop-away time") << 7 << "sequence delays" << 8 << "9";
    QTest::newRow("QSPA1 pick-up and drop-away difference") << 7 << "sequence delays" << 9 << "4";
    QTest::newRow("QSPA1 drop-away time below one") << 7 << "fractional delays" << 8 << "0.25";
    QTest::newRow("QSPA1 difference is never negative") << 7 << "fractional delays" << 9 << "0.25";
    QTest::newRow("QSPA1 full release voltage") << 7 << "measured" << 3 << "2.50";
}

void TestReportForm::shouldLoadResultsInTheirFormats()
{
    QFETCH(int, style);
    QFETCH(QString, preset);
    QFETCH(int, field);
    QFETCH(QString, shown);
    presetBench(preset);

    const auto form = openForm(style);

    QCOMPARE(form->txtAutoPara(field)->text(), shown);
}

void TestReportForm::shouldTakeTheInterlockingCodeOfTheStyle_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("contactVariant");
    QTest::addColumn<QString>("code");
    QTest::newRow("QN1 8F-8B") << 2 << 1 << "ABCDF";
    QTest::newRow("QN1 12F-4B") << 2 << 2 << "ABCDE";
    QTest::newRow("QN1 never dispatched") << 2 << 0 << "ABCDE";
    QTest::newRow("QNA1 8F-8B") << 1 << 1 << "ABDGH";
    QTest::newRow("QNA1 12F-4B") << 1 << 2 << "ABDFH";
    QTest::newRow("QNA1K") << 3 << 1 << "CDEKY";
    QTest::newRow("QL1") << 4 << 1 << "ABDEG";
    QTest::newRow("QECX61 leaves the sequences") << 5 << 1 << "sequence";
    QTest::newRow("QTA2") << 6 << 1 << "FGHKX";
    QTest::newRow("QSPA1") << 7 << 1 << "ABDEJ";
}

void TestReportForm::shouldTakeTheInterlockingCodeOfTheStyle()
{
    QFETCH(int, style);
    QFETCH(int, contactVariant);
    QFETCH(QString, code);
    bench().ContactVariant = Integer(contactVariant);
    bench().NOSequence = bench().NCSequence = QStringLiteral("sequence");

    const auto form = openForm(style);

    QCOMPARE(bench().NOSequence, code);
    QCOMPARE(bench().NCSequence, code);
    if (QRadioButton *eightFront = form->opt(1))
        QCOMPARE(eightFront->isChecked(), contactVariant == 1);
}

void TestReportForm::shouldNumberTheRelayByTheDate_data()
{
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("relayId");
    QTest::addColumn<QString>("reportDate");
    QTest::newRow("December 2022") << QDate(2022, 12, 31) << "en_GB" << "0001/22LAB" << "31/12/2022";
    QTest::newRow("January 2025") << QDate(2025, 1, 2) << "en_GB" << "0001/25AAB" << "02/01/2025";
    QTest::newRow("the PC's own separator") << April2022 << "de_DE" << "0001/22DAB" << "15.04.2022";
}

void TestReportForm::shouldNumberTheRelayByTheDate()
{
    QFETCH(QDate, today);
    QFETCH(QString, locale);
    QFETCH(QString, relayId);
    QFETCH(QString, reportDate);
    QLocale::setDefault(QLocale(locale));

    const auto form = openForm(4, today);
    form->buildReportRecord();

    QCOMPARE(bench().RelayID, relayId);
    QCOMPARE(form->txtDate->text(), reportDate);
}

void TestReportForm::shouldAdvanceTheSerialOnEveryClose_data()
{
    QTest::addColumn<QString>("serial");
    QTest::addColumn<QString>("closedBy");
    QTest::addColumn<QString>("next");
    QTest::newRow("0009, discard") << "0009" << "discard" << "0010";
    QTest::newRow("9999 grows a digit") << "9999" << "discard" << "10000";
    QTest::newRow("not a number") << "abc" << "discard" << "0001";
    QTest::newRow("empty") << "" << "discard" << "0001";
    QTest::newRow("number then text") << "7x" << "discard" << "0008";
    QTest::newRow("blanks ignored") << " 1 2" << "discard" << "0013";
    QTest::newRow("close box") << "0041" << "close box" << "0042";
    QTest::newRow("Escape") << "0041" << "escape" << "0042";
}

void TestReportForm::shouldAdvanceTheSerialOnEveryClose()
{
    QFETCH(QString, serial);
    QFETCH(QString, closedBy);
    QFETCH(QString, next);
    const auto form = openForm(6);
    form->txtRelayID(0)->setText(serial);
    form->txtRelayID(3)->setText(QStringLiteral("X"));
    form->txtRelayID(4)->setText(QStringLiteral("Y"));

    if (closedBy == QLatin1String("discard"))
        form->cmdDiscard->click();
    else if (closedBy == QLatin1String("close box"))
        form->close();
    else
        QTest::keyClick(form.get(), Qt::Key_Escape);

    QVERIFY(!form->isVisible());
    QCOMPARE(bench().RelayNumbering[6], (std::array<QString, 4>{QString(), next, "X", "Y"}));
    QVERIFY(QDir(m_saveFolder).isEmpty());
}

void TestReportForm::shouldKeepASerialPast9999Whole()
{
    bench().RelayNumbering[2][1] = QStringLiteral("9999");
    const auto form = openForm(2);
    form->cmdDiscard->click();

    form->show();
    form->buildReportRecord();

    QCOMPARE(form->txtRelayID(0)->text(), QStringLiteral("10000"));
    QCOMPARE(bench().RelayID, QStringLiteral("10000/22DAB"));
    form->cmdDiscard->click();
    form->show();
    form->cmdDiscard->click();
    QCOMPARE(bench().RelayNumbering[2][1], QStringLiteral("10002"));
}

// Opening the same form again shows nothing of the relay before it.
void TestReportForm::shouldStartEveryShowingFromTheDesignTexts()
{
    bench().ContactVariant = 1;
    const auto form = openForm(2);
    QVERIFY(form->opt(1)->isChecked());
    form->txtManualPara(0)->setText(QStringLiteral("999"));
    form->cmbOK(0)->setCurrentIndex(1);
    form->txtFileName->setText(QStringLiteral("Other.csv"));
    form->cmdDiscard->click();

    bench().ContactVariant = 2;
    bench().CoilResistance1 = 600;
    form->show();

    QCOMPARE(form->txtManualPara(0)->text(), QStringLiteral("50"));
    QCOMPARE(form->cmbOK(0)->count(), 2);
    QCOMPARE(form->cmbOK(0)->currentText(), QStringLiteral("Not OK"));
    QCOMPARE(form->txtFileName->text(), QStringLiteral("Test Report 1.csv"));
    QCOMPARE(form->txtAutoPara(0)->text(), QStringLiteral("600.0"));
    QVERIFY(form->opt(0)->isChecked());
    QCOMPARE(bench().NOSequence, QStringLiteral("ABCDE"));
    QCOMPARE(form->txtRelayID(0)->text(), QStringLiteral("0002"));
}

void TestReportForm::shouldAppendOneRecordAndClose_data()
{
    addStyleRows();
}

void TestReportForm::shouldAppendOneRecordAndClose()
{
    QFETCH(int, style);
    QFETCH(int, recordLines);
    bench().StyleCode = Integer(style);
    const auto form = openForm(style);
    form->txtManualPara(0)->setText(QStringLiteral("75"));

    form->cmdAddTestResult->click();

    QVERIFY(!form->isVisible());
    QCOMPARE(form->result(), int(QDialog::Accepted));
    const QList<QByteArray> written = lines(m_saveFolder + QStringLiteral("Test Report 1.csv"));
    QCOMPARE(written.size(), recordLines);
    QCOMPARE(written.constFirst(), QByteArray("0001/22DAB"));
    QVERIFY(written.contains("75"));
    QCOMPARE(bench().RelayNumbering[std::size_t(style)][1], QStringLiteral("0002"));
}

void TestReportForm::shouldKeepTheFormOpenWhenTheRecordCannotBeWritten_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("ADD TEST RESULT") << "cmdAddTestResult";
    QTest::newRow("MAKE FINAL REPORT") << "cmdMakeFinalReport";
}

void TestReportForm::shouldKeepTheFormOpenWhenTheRecordCannotBeWritten()
{
    QFETCH(QString, button);
    platform::RecordedPrompts prompts;
    const QString missing = m_saveFolder + QStringLiteral("gone/");
    bench().SaveFolder = missing;
    bench().StyleCode = 4;
    const auto form = openForm(4);
    form->txtManualPara(0)->setText(QStringLiteral("77"));
    form->cmbOK(2)->setCurrentIndex(1);

    form->findChild<QPushButton *>(button)->click();

    QVERIFY(form->isVisible());
    QCOMPARE(form->txtManualPara(0)->text(), QStringLiteral("77"));
    QCOMPARE(form->cmbOK(2)->currentText(), QStringLiteral("OK"));
    QCOMPARE(prompts.messages.size(), 1);
    QVERIFY2(prompts.messages[0].text.contains(missing + QStringLiteral("Test Report 1.csv")),
             qPrintable(prompts.messages[0].text));
    QVERIFY(prompts.messages[0].icon != platform::PromptIcon::Information);
    QCOMPARE(bench().RelayNumbering[4][1], QStringLiteral("0001"));

    // Once the folder is there, the same form records the relay as typed.
    QVERIFY(QDir(m_saveFolder).mkdir(QStringLiteral("gone")));
    form->cmdAddTestResult->click();
    QVERIFY(!form->isVisible());
    QCOMPARE(lines(missing + QStringLiteral("Test Report 1.csv")).value(3), QByteArray("77"));
}

void TestReportForm::shouldTellWhetherTheFinalReportWasPrepared_data()
{
    QTest::addColumn<bool>("templatePresent");
    QTest::newRow("template in place") << true;
    QTest::newRow("template missing") << false;
}

void TestReportForm::shouldTellWhetherTheFinalReportWasPrepared()
{
    QFETCH(bool, templatePresent);
    platform::RecordedPrompts prompts;
    const QString templates = m_saveFolder + QStringLiteral("templates/");
    QVERIFY(QDir().mkpath(templates));
    bench().TemplateFolder = templates;
    bench().StyleCode = 4;
    if (templatePresent) {
        QFile file(templates + QStringLiteral("Routine_Test_Format_QL1.xlsm"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("template") == 8);
    }
    const auto form = openForm(4);

    form->cmdMakeFinalReport->click();

    QVERIFY(!form->isVisible());
    const QString report = m_saveFolder + QStringLiteral("Test Report 1.csv");
    QCOMPARE(lines(report).size(), 30);
    QCOMPARE(readFile(m_saveFolder + QStringLiteral("RoutineTest.csv")), readFile(report));
    QCOMPARE(prompts.messages.size(), 1);
    QCOMPARE(prompts.messages[0].title, QStringLiteral("Reports"));
    QCOMPARE(prompts.messages[0].text == QStringLiteral("Report successfully created."), templatePresent);
    QCOMPARE(prompts.messages[0].icon == platform::PromptIcon::Information, templatePresent);
}

void TestReportForm::shouldTakeTheChosenFileByName_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("answer");  // "" = cancelled
    QTest::addColumn<QString>("fileName");
    QTest::newRow("New") << 2 << "cmdNew" << "/elsewhere/Batch 7.csv" << "Batch 7.csv";
    QTest::newRow("Select") << 7 << "cmdSelect" << "/elsewhere/Old batch.csv" << "Old batch.csv";
    QTest::newRow("QECX61 has the dialog too") << 5 << "cmdSelect" << "/x/QECX.csv" << "QECX.csv";
    QTest::newRow("cancelled") << 2 << "cmdNew" << "" << "Test Report 1.csv";
}

void TestReportForm::shouldTakeTheChosenFileByName()
{
    QFETCH(int, style);
    QFETCH(QString, button);
    QFETCH(QString, answer);
    QFETCH(QString, fileName);
    platform::RecordedPrompts prompts;
    prompts.fileAnswers = QStringList{answer};
    const auto form = openForm(style);

    form->findChild<QPushButton *>(button)->click();

    QCOMPARE(form->txtFileName->text(), fileName);
    QCOMPARE(prompts.fileDialogFolders, QStringList{m_saveFolder});
    QVERIFY(form->isVisible());
}

void TestReportForm::shouldSetResultsApartFromTypedFields()
{
    const auto qn1 = openForm(2);
    const auto qna1 = openForm(1);
    const auto qna1k = openForm(3);
    const auto qta2 = openForm(6);

    QLineEdit *result = qn1->txtAutoPara(1);
    QCOMPARE(result->palette().color(QPalette::Base), QColor(255, 255, 192));
    QCOMPARE(result->palette().color(QPalette::Text), QColor(128, 128, 255));
    QCOMPARE(result->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    QCOMPARE(qn1->txtManualPara(1)->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    QVERIFY(qn1->txtManualPara(1)->palette().color(QPalette::Base) != QColor(255, 255, 192));
    QCOMPARE(qn1->txtRelayID(0)->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    for (int timing : {3, 6, 7, 8}) {
        QCOMPARE(qna1k->txtAutoPara(timing)->palette().color(QPalette::Base), QColor(Qt::white));
        QCOMPARE(qna1k->txtAutoPara(timing)->palette().color(QPalette::Text), QColor(Qt::black));
    }

    // The contact variant's code shows but cannot be changed; QN1 shows only the choice.
    QVERIFY(!qn1->opt(0)->isEnabled());
    QVERIFY(!qn1->txtAutoPara(6)->isVisible());
    QVERIFY(qna1->txtAutoPara(6)->isVisible());
    QVERIFY(!qna1->txtAutoPara(6)->isEnabled());
    QVERIFY(!qna1k->txtAutoPara(9)->isVisible());
    QVERIFY(!qta2->txtManualPara(1)->isVisible());
    QVERIFY(!qta2->txtManualPara(6)->isVisible());
    QVERIFY(qta2->txtManualPara(3)->isVisible());

    // A doubled "&" in a caption is one "&" on screen.
    QStringList captions;
    for (const QLabel *label : qna1->findChildren<QLabel *>())
        captions << label->text();
    QVERIFY(captions.contains(
        QStringLiteral("Ac Immunity Test 300 AC (when applied gradually & abruptly) Cl. 2.3 IRS S60")));
    QVERIFY(captions.contains(QStringLiteral("Coil Resistance Cl. 11.4 of BRS-931 at 20\u00B0C (Ohms)")));
}

QTEST_MAIN(TestReportForm)
#include "tst_reportform.moc"
