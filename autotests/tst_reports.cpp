// Routine test reports: number text, report file and what a crash leaves of it, the
// final report's copies, the report form of every relay style and "Generate Report".
// The spreadsheet templates read each value by its line number: every byte counts.

#include "console/record/benchrecord.h"
#include "console/record/configfiles.h"
#include "platform/prompts.h"
#include "platform/startupfolder.h"
#include "reports/finalreport.h"
#include "reports/recordnumber.h"
#include "reports/reportfile.h"
#include "reports/reportform.h"
#include "recordnumber_reference.h"
#include "testfiles.h"
#include "tests/reportdispatch.h"
#include "watchedpipe.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <memory>
#include <numeric>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

// A relay measured and reported, every value telling where it came from. Contact
// element 0 (the latest single reading) and 17 lie outside both channel ranges.
static void fillRecord(BenchRecord &r, int styleCode, const QString &relayId)
{
    r.StyleCode = qint16(styleCode);
    r.RelayID = r.ReportItems[1] = relayId;
    r.CoilResistance1 = 1030.0f;
    r.CoilResistance2 = 98.76f;
    r.PickUpVoltage = 16.25f;
    r.DropAwayVoltage = 4.1f;
    r.ManualDropAwayVoltage = 2.5f;
    r.PickUpCurrent = 48;
    r.DropAwayCurrent = 20;
    std::iota(r.ContactRes.begin(), r.ContactRes.end(), 0.0f);
    std::iota(r.ContactDelay.begin(), r.ContactDelay.end(), 0.5f);
    r.ContactRes[0] = r.ContactDelay[0] = 99.6f;
    r.NOSequence = u"ABCDE"_s;
    r.NCSequence = u"FGHKX"_s;
    for (int item = 2; item < ReportItemSlots; ++item)
        r.ReportItems[std::size_t(item)] = u"i%1"_s.arg(item);
    r.ReportItems[17] = u"Zo\u00eb \u2206\r\nx"_s;
}

// The records of fillRecord's relay 0001/22DAB. Items 2 to 15:
const QByteArray Items = "i2\r\ni3\r\ni4\r\ni5\r\ni6\r\ni7\r\ni8\r\ni9\r\ni10\r\ni11\r\ni12\r\ni13\r\ni14\r\ni15\r\n";
const QByteArray Qn1Golden =
    "0001/22DAB\r\n 1030 \r\n 16.25 \r\n 4.1 \r\n 2.5 \r\n 1 \r\n 2 \r\n 3 \r\n 4 \r\n 5 \r\n 6 \r\n 7 \r\n 8 \r\n"
    " 9 \r\n 10 \r\n 11 \r\n 12 \r\n 13 \r\n 14 \r\n 15 \r\n 16 \r\n 1.5 \r\n 2.5 \r\n 3.5 \r\n 4.5 \r\n 5.5 \r\n"
    " 6.5 \r\n 7.5 \r\n 8.5 \r\n 9.5 \r\n 10.5 \r\n 11.5 \r\n 12.5 \r\n 13.5 \r\n 14.5 \r\n 15.5 \r\n 16.5 \r\n"
    "ABCDE\r\nFGHKX\r\n0001/22DAB\r\n" + Items;
// Latin-1, with what it cannot hold as '?' and a line break inside a text blanked.
const QByteArray Ql1Golden = "0001/22DAB\r\n" + Items + "i16\r\nZo\xeb ?  x\r\ni18\r\ni19\r\ni20\r\ni21\r\ni22\r\n"
                             + "i23\r\ni24\r\ni25\r\ni26\r\ni27\r\ni28\r\ni29\r\ni30\r\n";
static QByteArray relay(const QByteArray &record, char serial)
{
    return QByteArray(record).replace("0001/", QByteArray("000") + serial + '/');
}

class TestReports : public QObject
{
    Q_OBJECT

    platform::RecordedPrompts m_prompts;
    BenchRecord m_record;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_folder;  // the fresh temporary folder, with its separator

    QString at(const QString &name) const { return m_folder + name; }

    // A form of styleCode, shown on 15 April 2022 unless said otherwise, telling and
    // asking through m_prompts unless given others.
    std::unique_ptr<reports::ReportForm> openForm(int styleCode, QDate today = QDate(2022, 4, 15),
                                                  platform::Prompts *prompts = nullptr)
    {
        auto form = std::make_unique<reports::ReportForm>(styleCode, m_record, prompts ? *prompts : m_prompts, nullptr,
                                                          nullptr, [today] { return today; });
        form->show();
        return form;
    }

private slots:
    // Texts in the rows are those of a PC with a decimal point, whatever this one has.
    void init()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_folder = m_dir->path() + u'/';
        m_record = BenchRecord{};
        m_record.SaveFolder = m_record.TemplateFolder = m_folder;
        for (int style = 1; style <= 7; ++style)
            m_record.RelayNumbering[std::size_t(style)] = {QString(), u"0001"_s, u"A"_s, u"B"_s};
        m_prompts.messages.clear();
        m_prompts.fileDialogFolders.clear();
    }

    // One row per rule, and the ties, which random floats seldom land on. plain: the
    // same number in a report form field. A text with a comma is of a German PC.
    void numberText_data()
    {
        QTest::addColumn<float>("value");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("plain");
        const auto row = [](const char *name, float value, const char *text, const char *plain) {
            QTest::newRow(name) << value << QString::fromLatin1(text) << QString::fromLatin1(plain);
        };
        row("zero", 0.0f, " 0 ", "0");
        row("negative zero", -0.0f, " 0 ", "0");
        row("negative quarter, no zero before the point", -0.25f, "-.25 ", "-0.25");
        row("24.05 is stored as 24.0499992", 24.05f, " 24.05 ", "24.05");
        row("tie goes away from zero, not to even", 1234568.5f, " 1234569 ", "1234569");
        row("negative tie in the fraction", -12345.125f, "-12345.13 ", "-12345.13");
        row("rounding carries through every digit", 1.9999999f, " 2 ", "2");
        row("9999999.5 is stored as 1E7", 9999999.5f, " 1E+07 ", "1E+07");
        row("eight integer digits", 12345678.0f, " 1.234568E+07 ", "1.234568E+07");
        row("seven places after the point stay plain", 1e-7f, " .0000001 ", "0.0000001");
        row("eight places after the point", 0.01234567f, " 1.234567E-02 ", "1.234567E-02");
        row("infinite", std::numeric_limits<float>::infinity(), " INF ", "INF");
        row("negative infinite", -std::numeric_limits<float>::infinity(), "-INF ", "-INF");
        row("not a number", std::numeric_limits<float>::quiet_NaN(), " NAN ", "NAN");
        row("comma below one", 0.25f, " ,25 ", "0,25");
        row("comma in the mantissa", -12345678.0f, "-1,234568E+07 ", "-1,234568E+07");
    }

    void numberText()
    {
        QFETCH(float, value);
        QFETCH(QString, text);
        if (text.contains(u','))
            QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(reports::recordNumber(value), text);
        QTEST(reports::plainNumber(value), "plain");
    }

    // Any float, and readings as the kit gives them: a few decimals in the bench's ranges.
    void numberTextAgreesWithPencilAndPaper()
    {
        const quint32 seed = QRandomGenerator::global()->generate();
        QRandomGenerator random(seed);
        for (const QLocale &locale : {QLocale(QLocale::English), QLocale(QLocale::French, QLocale::France)}) {
            QLocale::setDefault(locale);
            for (int i = 0; i < 100000; ++i) {
                float value = std::bit_cast<float>(random.generate());
                if (i % 2)
                    value = float(random.bounded(-200000, 2000000)) / float(std::pow(10, random.bounded(0, 5)));
                if (!std::isfinite(value))
                    continue;
                const QString got = reports::recordNumber(value), expected = reference(value, locale.decimalPoint()[0]);
                if (got != expected)
                    QFAIL(qPrintable(u"%1 (seed %2): [%3] not [%4]"_s.arg(value, 0, 'g', 9).arg(seed).arg(got)
                                         .arg(expected)));
            }
        }
    }

    // Relays 0002 and 0003 are added one after the other to "Batch 7", a name typed
    // without extension. A crash may have cut off relay 0002 before: the note beside
    // the report file tells what the file held and what was being added, and the next
    // append takes out what the crash left. A note that does not fit the file as a
    // crash leaves it is stale: the file is kept as it is and the operator told once.
    void appendOnlyWholeRecordsOfItsLength_data()
    {
        QTest::addColumn<int>("styleCode");
        QTest::addColumn<QByteArray>("before");  // "<none>": no file
        QTest::addColumn<QByteArray>("note");    // "<none>": no note
        QTest::addColumn<QByteArray>("after");   // "" when both are refused and the file left alone
        QTest::addColumn<bool>("told");          // of a stale note
        const QByteArray none("<none>"), qn1 = relay(Qn1Golden, '2') + relay(Qn1Golden, '3'), first = Ql1Golden;
        const QByteArray second = relay(first, '2'), third = relay(first, '3'), both = second + third;
        const QByteArray noted = QByteArray::number(first.size()) + '\n' + second;
        const auto row = [](const char *name, int style, const QByteArray &before, const QByteArray &note,
                            const QByteArray &after, bool told = false) {
            QTest::newRow(name) << style << before << note << after << told;
        };
        row("QN1: 54 lines", 2, none, none, qn1);
        row("QNA1: the same 54 lines", 1, none, none, qn1);
        row("QL1: 30 lines, the second relay from line 31", 4, none, none, both);
        row("QSPA1: the same 30 lines", 7, none, none, both);
        row("QL1 onto a QN1 file", 4, qn1, none, "");
        row("QN1 onto two QL1 records", 2, first + first, none, "");
        row("last line cut off", 4, first + "0003/2", none, "");
        row("style code 0 creates nothing", 0, none, none, none);
        row("cut off half way", 4, first + second.left(100), noted, first + both);
        row("nothing had reached the file", 4, first, noted, first + both);
        row("every byte had reached the file", 4, first + second, noted, first + second + both);
        row("another whole record after the old end", 4, first + first, noted, first + first + both, true);
        row("another whole record, shorter than noted", 4, first + first, noted + second, first + first + both, true);
        row("more than the noted record after the old end", 4, first + second + second, noted,
            first + second + second + both, true);
        row("shorter than the noted old end", 4, first, QByteArray::number(first.size() + 1) + '\n' + second,
            first + both, true);
        row("gone since", 4, none, noted, both, true);
        row("the first record of a new file", 4, second.left(40), "0\n" + second, both);
        row("the new file was not made yet", 4, none, "0\n" + second, both);
        row("not a note of this program", 4, first, "see the folder \"old\"", "");
    }

    void appendOnlyWholeRecordsOfItsLength()
    {
        QFETCH(int, styleCode);
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, note);
        QFETCH(QByteArray, after);
        QFETCH(bool, told);
        const QString path = at(u"Batch 7"_s), notePath = path + u".appending"_s;
        if (before != "<none>")
            writeFile(path, before);
        if (note != "<none>")
            writeFile(notePath, note);
        for (const char serial : {'2', '3'}) {
            fillRecord(m_record, styleCode, u"000%1/22DAB"_s.arg(serial));
            const reports::AppendResult result = reports::appendReportRecord(m_record, u"Batch 7"_s);
            QCOMPARE(result.ok, !after.isEmpty());
            QVERIFY2(result.ok ? result.error.isEmpty() : result.error.contains(path), qPrintable(result.error));
            QVERIFY2(told && serial == '2' ? result.notice.contains(path) : result.notice.isEmpty(),
                     qPrintable(result.notice));
        }
        QCOMPARE(QFile::exists(path) ? readFile(path) : QByteArray("<none>"), after.isEmpty() ? before : after);
        QCOMPARE(QFile::exists(notePath), after.isEmpty() && note != "<none>");
    }

    // A QL1 batch whose last record a crash cut off; the report folder "save/" holds
    // older copies. A copy onto itself is skipped, the file not even rewritten; a copy
    // that fails names its file and leaves the older one whole. Nothing else is left.
    void finalReportPlacesExactCopies_data()
    {
        QTest::addColumn<QString>("templateFolder");  // "gone/" does not exist
        QTest::addColumn<QString>("fileName");        // "gone.csv" does not exist
        QTest::newRow("both copies replace the older ones") << "tpl/" << "Test Report 1.csv";
        QTest::newRow("template missing") << "gone/" << "Test Report 1.csv";
        QTest::newRow("report file missing") << "tpl/" << "gone.csv";
        QTest::newRow("templates in the report folder, by another path") << "tpl/../save/" << "Test Report 1.csv";
        QTest::newRow("report file named RoutineTest.csv") << "save/" << "RoutineTest.csv";
    }

    void finalReportPlacesExactCopies()
    {
        QFETCH(QString, templateFolder);
        QFETCH(QString, fileName);
        const bool templateThere = templateFolder != "gone/"_L1, reportThere = fileName != "gone.csv"_L1;
        const auto inode = [](const QString &path) {
            struct stat st {};
            return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : ino_t(0);
        };
        QVERIFY(QDir(m_folder).mkpath(u"save"_s) && QDir(m_folder).mkpath(u"tpl"_s));
        const QString save = at(u"save/"_s), name = u"Routine_Test_Format_QL1.xlsm"_s;
        m_record.StyleCode = 4;
        m_record.SaveFolder = save;
        m_record.TemplateFolder = at(templateFolder);
        const QByteArray templateBytes = readFile(QCoreApplication::applicationFilePath());  // large, every byte value
        const QByteArray report = Ql1Golden + relay(Ql1Golden, '2'), cut = relay(Ql1Golden, '3');
        writeFile(save + u"RoutineTest.csv"_s, "older batch\r\n");
        writeFile(save + name, "older template");
        if (templateThere)
            writeFile(m_record.TemplateFolder + name, templateBytes);
        if (reportThere) {
            writeFile(save + fileName, report + cut.left(50));
            writeFile(save + fileName + u".appending"_s, QByteArray::number(report.size()) + '\n' + cut);
        }
        const ino_t templateInode = inode(save + name), reportInode = inode(save + fileName);

        const reports::FinalReportResult result = reports::prepareFinalReport(m_record, fileName);

        QVERIFY2(result.ok == (templateThere && reportThere), qPrintable(result.message));
        QCOMPARE(result.message.contains(m_record.TemplateFolder + name), !templateThere);
        QCOMPARE(result.message.contains(u"RoutineTest.csv"_s), !reportThere);
        QCOMPARE(readFile(save + u"RoutineTest.csv"_s), reportThere ? report : "older batch\r\n");
        QVERIFY(readFile(save + name) == (templateThere ? templateBytes : "older template"));
        QCOMPARE(inode(save + fileName), reportInode);
        QCOMPARE(inode(save + name) == templateInode, templateFolder != "tpl/"_L1);
        QCOMPARE(QDir(save).entryList(QDir::Files | QDir::Hidden).size(), fileName == "Test Report 1.csv"_L1 ? 3 : 2);
    }

    // A named pipe where the operator named a file: it is refused as what it is, and
    // nothing waits on it (the report file's append runs on the bench's own thread).
    void namedPipeIsNeverWaitedOn_data()
    {
        QTest::addColumn<QString>("pipe");
        QTest::newRow("the report file of ADD TEST RESULT") << u"Batch 7"_s;
        QTest::newRow("the template of the final report") << u"tpl/Routine_Test_Format_QL1.xlsm"_s;
        QTest::newRow("a settings file at start-up") << u"art.cfg"_s;
    }

    void namedPipeIsNeverWaitedOn()
    {
        QFETCH(QString, pipe);
        fillRecord(m_record, 4, u"0002/22DAB"_s);
        if (pipe.endsWith(u".xlsm"_s)) {
            writeFile(at(u"Batch 7"_s), Ql1Golden);
            QVERIFY(QDir(m_folder).mkpath(u"tpl"_s));
            m_record.TemplateFolder = at(u"tpl/"_s);
        }
        const WatchedPipe watched(at(pipe));
        QString told;
        if (pipe == "art.cfg"_L1)
            told = config::keepBeforeReset(m_dir->path(), config::load(m_dir->path())).value(0).written.error;
        else if (pipe.endsWith(u".xlsm"_s))
            told = reports::prepareFinalReport(m_record, u"Batch 7"_s).message;
        else
            told = reports::appendReportRecord(m_record, pipe).error;
        QVERIFY2(told.contains(at(pipe)) && told.contains(u"it is a named pipe (FIFO), not a file"_s), qPrintable(told));
        QVERIFY(!watched.waitedOn());
    }

    // One row per relay style, and per contact variant (0: never dispatched) where the
    // style has two, over fillRecord's relay with the pick-up current given and, where
    // not 0, a front contact delay longer than every back one. code: the interlocking
    // code the sequence lines take; QECX61 has none and leaves them. someItems are
    // "k=text": they pin each style's result sources and formats and where the verdict
    // list with the highest index goes, which the operator sets to "OK".
    void formAppendsTheRecordOfItsStyleAndCloses_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<int>("variant");
        QTest::addColumn<float>("pickUp");  // mA
        QTest::addColumn<float>("front");   // ms
        QTest::addColumn<int>("items");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QStringList>("someItems");
        const auto row = [](const char *name, int style, int variant, int items, const char *code,
                            const QStringList &someItems, float pickUp = 48, float front = 0) {
            QTest::newRow(name) << style << variant << pickUp << front << items << QString::fromLatin1(code)
                                << someItems;
        };
        row("QNA1 12F-4B", 1, 2, 15, "ABDFH", {"8=OK", "14=8.0", "15=16.0"});
        row("QNA1 8F-8B", 1, 1, 15, "ABDGH", {"8=OK"});
        row("QN1, variant unset", 2, 0, 15, "ABCDE", {"7=OK", "8=", "15=16.0"});
        row("QN1 8F-8B", 2, 1, 15, "ABCDF", {"7=OK"});
        row("QNA1K", 3, 0, 24, "CDEKY",
            {"2=1030.0", "5=16.25", "6=48.0", "7=100", "8=15.5", "9=7.5", "10=47.5", "23=CDEKY", "24=OK"});
        row("QL1", 4, 0, 20, "ABDEG", {"3=98.8", "7=4.10", "14=OK", "15=ABDEG"});
        row("QECX61", 5, 0, 18, "left", {"5=20.0", "6=48.0", "15=OK", "16=PU", "18=PU"});
        row("QTA2", 6, 0, 21, "FGHKX", {"6=60", "8=42", "18=50", "20=OK"});
        row("QTA2, release from a pick-up of 20 mA", 6, 0, 21, "FGHKX", {"8=100"}, 20);
        row("QTA2, release below: the current", 6, 0, 21, "FGHKX", {"8=20"}, 19.5f);
        row("QSPA1", 7, 0, 22, "ABDEJ", {"7=2.50", "8=16.5", "9=8", "15=OK"});
        row("QSPA1, delay difference never negative", 7, 0, 22, "ABDEJ", {"9=3.5"}, 48, 20);
    }

    // The record takes the style's own items and leaves every later item alone: the
    // 30-line record writes those tail items as they stand.
    void formAppendsTheRecordOfItsStyleAndCloses()
    {
        QFETCH(int, style);
        QFETCH(int, variant);
        QFETCH(float, pickUp);
        QFETCH(float, front);
        QFETCH(QStringList, someItems);
        BenchRecord &r = m_record;
        fillRecord(r, style, QString());
        r.ContactVariant = qint16(variant);
        r.PickUpCurrent = pickUp;
        r.ContactDelay[3] = std::max(front, r.ContactDelay[3]);
        r.NOSequence = r.NCSequence = u"left"_s;
        const auto before = r.ReportItems;
        const auto form = openForm(style);
        QTEST(r.NOSequence, "code");
        QTEST(r.NCSequence, "code");
        if (QRadioButton *eightFront = form->opt(1))
            QCOMPARE(eightFront->isChecked(), variant == 1);
        int lastVerdict = 0;
        while (form->cmbOK(lastVerdict + 1))
            ++lastVerdict;
        form->cmbOK(lastVerdict)->setCurrentIndex(1);

        form->cmdAddTestResult->click();

        QVERIFY(!form->isVisible());
        QFETCH(int, items);
        for (int k = 0; k < ReportItemSlots; ++k)
            QVERIFY2((r.ReportItems[k] == before[k]) == (k < 1 || k > items), qPrintable(QString::number(k)));
        for (const QString &expected : someItems)
            QCOMPARE(expected.section('=', 0, 0) + '=' + r.ReportItems[expected.section('=', 0, 0).toUInt()], expected);
        QCOMPARE(std::count(r.ReportItems.begin(), r.ReportItems.end(), u"OK"_s), 1);
        QCOMPARE(r.RelayID, u"0001/22DAB"_s);
        QCOMPARE(r.RelayNumbering[std::size_t(style)][1], u"0002"_s);
    }

    // Every field the operator can reach holds a text of its own, typed over what
    // the form showed: "1i.i" in txtManualPara(i) (one with an inch mark) and "2i,i"
    // in txtAutoPara(i). Fields the form hides or locks are set the same way, so that
    // a swap among them shows too. Verdicts and light unit lists differ from their
    // neighbours in the record, and every raw value of the long record is a number
    // of its own (a zero before the point dropped, a minus sign for the blank). The
    // report file must be the style's record written out by hand, byte for byte.
    void formRecordsEveryFieldOnItsOwnLine_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<int>("variant");
        QTest::addColumn<QString>("verdicts");  // cmbOK(0), cmbOK(1), ...: '+' "OK", '-' "Not OK"
        QTest::addColumn<QString>("lights");    // cmbPUDA(0), ...: 'P' "PU", 'D' "DA"
        QTest::newRow("QNA1 8F-8B") << 1 << 1 << "-+-+-" << "";
        QTest::newRow("QN1 12F-4B") << 2 << 2 << "-+-+" << "";
        QTest::newRow("QNA1K") << 3 << 0 << "+-+" << "";
        QTest::newRow("QL1") << 4 << 0 << "+-+-+" << "";
        QTest::newRow("QECX61") << 5 << 0 << "-+-+" << "DPD";
        QTest::newRow("QTA2") << 6 << 0 << "-++-" << "";
        QTest::newRow("QSPA1") << 7 << 0 << "-+-+-" << "";
    }

    void formRecordsEveryFieldOnItsOwnLine()
    {
        QFETCH(int, style);
        QFETCH(int, variant);
        QFETCH(QString, verdicts);
        QFETCH(QString, lights);
        BenchRecord &r = m_record;
        r.StyleCode = qint16(style);
        r.ContactVariant = qint16(variant);
        r.RelayNumbering[std::size_t(style)] = {QString(), u"0417"_s, u"K"_s, u"M"_s};
        r.CoilResistance1 = 1030.4f;
        r.PickUpVoltage = 16.25f;
        r.DropAwayVoltage = 4.1f;
        r.ManualDropAwayVoltage = -0.5f;
        r.ContactRes.fill(9.9f);  // element 0 and those past channel 16 reach no line
        r.ContactDelay.fill(99.5f);
        for (int channel = 1; channel <= 16; ++channel) {
            r.ContactRes[std::size_t(channel)] = float(channel) / 100 + 0.003f;
            r.ContactDelay[std::size_t(channel)] = 12.5f * float(channel);
        }
        const auto form = openForm(style);
        for (int i = 0; i < 10; ++i) {
            const QString manual = u"1%1.%1"_s.arg(i) + (i == 3 ? u"\""_s : QString()), result = u"2%1,%1"_s.arg(i);
            for (const auto &[field, text] :
                 {std::pair{form->txtManualPara(i), manual}, {form->txtAutoPara(i), result}}) {
                if (field && field->isVisible() && field->isEnabled()) {
                    field->selectAll();
                    QTest::keyClicks(field, text);
                } else if (field) {
                    field->setText(text);
                }
                QVERIFY(!field || field->text() == text);
            }
        }
        QVERIFY(!form->cmbOK(int(verdicts.size())) && !form->cmbPUDA(int(lights.size())));
        for (int i = 0; i < verdicts.size(); ++i)
            form->cmbOK(i)->setCurrentIndex(verdicts[i] == u'+');
        for (int i = 0; i < lights.size(); ++i)
            form->cmbPUDA(i)->setCurrentIndex(lights[i] == u'D');

        form->cmdAddTestResult->click();

        const QString golden = QStringLiteral(QUILLMARK_TEST_DATA "/report_%1.csv").arg(form->objectName().mid(3));
        QCOMPARE(readFile(at(u"Test Report 1.csv"_s)).split('\n'), readFile(golden).split('\n'));
    }

    // Escape does nothing on a report form: what was typed stays and the serial is
    // not used up. The close box still ends the form and hands the serial on.
    void escapeLeavesTheFormAsItWas()
    {
        for (int style = 1; style <= 7; ++style) {
            const auto form = openForm(style);
            QLineEdit *insulation = form->txtManualPara(0);
            insulation->selectAll();
            QTest::keyClicks(insulation, u"77"_s);
            QTest::keyClick(insulation, Qt::Key_Escape);
            QTest::keyClick(form.get(), Qt::Key_Escape);
            QVERIFY2(form->isVisible(), qPrintable(form->objectName()));
            QCOMPARE(insulation->text(), u"77"_s);
            QCOMPARE(m_record.RelayNumbering[std::size_t(style)][1], u"0001"_s);
            QVERIFY(form->close());
            QCOMPARE(m_record.RelayNumbering[std::size_t(style)][1], u"0002"_s);
        }
    }

    // New and Select open the PC's own file dialog in the report folder with nothing
    // of the form's own set: no title, and no filter, so that a report file named
    // without an extension is listed for the operator to pick. A new name typed
    // without an extension gets ".csv".
    void fileDialogsListEveryFile_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("typed");  // after the click on the listed file; "" for none
        QTest::addColumn<QString>("taken");
        QTest::newRow("New") << "cmdNew" << "Batch 8" << "Batch 8.csv";
        QTest::newRow("Select") << "cmdSelect" << "" << "Batch 7";
    }

    void fileDialogsListEveryFile()
    {
        QFETCH(QString, button);
        QFETCH(QString, typed);
        writeFile(at(u"Batch 7"_s), Ql1Golden);
        platform::DialogPrompts dialogs;  // the dialogs the operator gets
        const auto form = openForm(4, QDate(2022, 4, 15), &dialogs);
        form->findChild<QPushButton *>(button)->click();
        auto *dialog = form->findChild<QFileDialog *>();
        QVERIFY(dialog && dialog->isVisible());
        QFileDialog untitled;
        untitled.setAcceptMode(dialog->acceptMode());
        QCOMPARE(dialog->windowTitle(), untitled.windowTitle());
        QCOMPARE(dialog->directory(), QDir(m_folder));
        QListView *list = dialog->findChild<QListView *>(u"listView"_s);
        const auto batch7 = [list] {
            const QAbstractItemModel *files = list->model();
            return files->match(files->index(0, 0, list->rootIndex()), Qt::DisplayRole, u"Batch 7"_s, 1,
                                Qt::MatchExactly).value(0);
        };
        QTRY_VERIFY(batch7().isValid());  // once the folder has been read
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(batch7()).center());
        if (!typed.isEmpty()) {
            QLineEdit *name = dialog->findChild<QLineEdit *>(u"fileNameEdit"_s);
            name->selectAll();
            QTest::keyClicks(name, typed);
        }
        static_cast<QDialog *>(dialog)->accept();  // as the dialog's own button does
        QTEST(form->txtFileName->text(), "taken");
    }

    // How a showing of the QL1 form ends, on a PC with German dates and numbers: by a
    // button, or "close" (the close box). The report file is chosen by name ("New"
    // from elsewhere), in the report folder. message: what the one message says,
    // <file> standing for the report file's path.
    void formEndsAndHandsOnTheSerial_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("missing");  // "folder" or "template"
        QTest::addColumn<QString>("serial");
        QTest::addColumn<QString>("next");
        QTest::addColumn<QString>("message");  // "" for none
        const QString discard("txtDiscard"), add("cmdAddTestResult"), final("cmdMakeFinalReport");
        QTest::newRow("discarded") << discard << "" << "0009" << "0010" << "";
        QTest::newRow("9999 grows a digit") << discard << "" << "9999" << "10000" << "";
        QTest::newRow("not a number") << discard << "" << "abc" << "0001" << "";
        QTest::newRow("blanks ignored, number then text") << discard << "" << " 1 2x" << "0013" << "";
        QTest::newRow("close box") << "close" << "" << "0041" << "0042" << "";
        QTest::newRow("ADD TEST RESULT, no folder") << add << "folder" << "0001" << "0002" << "<file>";
        QTest::newRow("MAKE FINAL REPORT, no folder") << final << "folder" << "0001" << "0002" << "<file>";
        QTest::newRow("MAKE FINAL REPORT") << final << "" << "0001" << "0002" << "Report successfully created.";
        QTest::newRow("MAKE FINAL REPORT, no template") << final << "template" << "0001" << "0002"
                                                        << "Routine_Test_Format_QL1.xlsm";
    }

    // Every close hands on the serial after the one typed, of a relay recorded or not;
    // a record that cannot be written keeps the form open with everything typed.
    void formEndsAndHandsOnTheSerial()
    {
        QFETCH(QString, button);
        QFETCH(QString, missing);
        QFETCH(QString, serial);
        QFETCH(QString, next);
        QFETCH(QString, message);
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        const QString folder = at(u"reports/"_s), report = folder + u"Batch 7.csv"_s;
        m_record.SaveFolder = folder;
        m_record.StyleCode = 4;
        m_record.CoilResistance1 = 1234.5f;
        QVERIFY(missing == "folder"_L1 || QDir().mkpath(folder));
        if (missing != "template"_L1)
            writeFile(at(u"Routine_Test_Format_QL1.xlsm"_s), "template");
        const auto form = openForm(4, QDate(2022, 12, 31));
        m_prompts.fileAnswers = QStringList{u"/elsewhere/Batch 7.csv"_s};
        form->cmdNew->click();
        QCOMPARE(m_prompts.fileDialogFolders, QStringList{folder});
        for (const auto &[part, text] : {std::pair{0, serial}, {3, u"X"_s}, {4, u"Y"_s}})
            form->txtRelayID(part)->setText(text);
        form->txtManualPara(0)->setText(u"77"_s);
        form->cmbOK(2)->setCurrentIndex(1);

        button == "close"_L1 ? void(form->close()) : form->findChild<QPushButton *>(button)->click();

        QTRY_COMPARE(m_prompts.messages.size(), message.isEmpty() ? 0 : 1);  // the PDF is written on a thread of its own
        for (const platform::RecordedPrompts::Shown &shown : std::as_const(m_prompts.messages)) {
            QVERIFY2(shown.text.contains(message.replace(u"<file>"_s, report)), qPrintable(shown.text));
            QCOMPARE(shown.icon == platform::PromptIcon::Information, message.startsWith("Report"));
        }
        QTRY_COMPARE(form->isVisible(), missing == "folder"_L1);
        if (form->isVisible()) {
            QCOMPARE(form->txtManualPara(0)->text() + form->cmbOK(2)->currentText(), u"77OK"_s);
            QCOMPARE(m_record.RelayNumbering[4][1], u"0001"_s);
            QVERIFY(QDir().mkpath(folder));
            form->cmdAddTestResult->click();  // the same form then records the relay as typed
        }
        QCOMPARE(readFile(report).split('\n').value(3), QByteArray(button.startsWith("cmd") ? "77\r" : ""));
        QCOMPARE(m_record.RelayNumbering[4], (std::array<QString, 4>{QString(), next, u"X"_s, u"Y"_s}));

        // The next showing starts from the design texts, with the serial whole;
        // December gives L, and the date and numbers have the PC's separators.
        form->show();
        form->buildReportRecord();
        const QComboBox *verdict = form->cmbOK(2);
        const QStringList shown{m_record.RelayID, form->txtDate->text(), form->txtAutoPara(0)->text(),
                                form->txtManualPara(0)->text(), verdict->currentText(), verdict->itemText(2)};
        QCOMPARE(shown.join(u'|'), next + u"/22LXY|31.12.2022|1234,5|50|Not OK|"_s);
    }

    // "Generate Report" pressed twice over one folder that is both the start-up and
    // the report folder; it holds an older, longer copy of the contact results, and
    // the latest in "crval.csv" where resultsThere. A copy that fails is told.
    void generateReportOpensTheFormOfTheSelectedRelay_data()
    {
        QTest::addColumn<int>("listIndex");
        QTest::addColumn<bool>("resultsThere");
        QTest::addColumn<bool>("folderThere");
        QTest::addColumn<QString>("seen");  // each press's form and serial; the style code and contact variant after
        QTest::newRow("QNA1 12F-4B") << 1 << true << true << "frmQNA1 0001,frmQNA1 0002|1 2";
        QTest::newRow("QECX61 leaves the variant, no results") << 6 << false << true
                                                               << "frmQECX61 0001,frmQECX61 0002|5 0";
        QTest::newRow("QSPA1, the last") << 8 << true << true << "frmQSPA1 0001,frmQSPA1 0002|7 0";
        QTest::newRow("nothing selected still copies") << -1 << true << true << "|4 0";
        QTest::newRow("report folder missing") << 4 << true << false << "frmQNA1K 0001,frmQNA1K 0002|3 0";
    }

    // Each press opens the same form, window-modal over the main window, and returns
    // at once; the form comes back with the next serial.
    void generateReportOpensTheFormOfTheSelectedRelay()
    {
        QFETCH(int, listIndex);
        QFETCH(bool, resultsThere);
        QFETCH(bool, folderThere);
        QWidget mainWindow;
        const QByteArray results("Channel 1,\t1.25\r\n\xB0\x00\xFF", 20);
        writeFile(at(u"CR_Values.csv"_s), results + results);
        if (resultsThere)
            writeFile(at(u"crval.csv"_s), results);
        m_record.StyleCode = 4;
        m_record.SaveFolder = folderThere ? m_folder : at(u"gone/"_s);

        QStringList shown;
        for (int press = 0; press < 2; ++press) {
            reportdispatch::generateReport({mainWindow, m_record, m_prompts, platform::StartupFolder(m_dir->path())},
                                           listIndex);
            for (reports::ReportForm *form : mainWindow.findChildren<reports::ReportForm *>()) {
                if (form->isVisible() && form->windowModality() == Qt::WindowModal)
                    shown << form->objectName() + ' ' + form->txtRelayID(0)->text();
                form->cmdDiscard->click();
            }
        }

        QTEST(shown.join(',') + u"|%1 %2"_s.arg(m_record.StyleCode).arg(m_record.ContactVariant), "seen");
        QCOMPARE(mainWindow.findChildren<reports::ReportForm *>().size(), listIndex < 0 ? 0 : 1);
        QCOMPARE(readFile(at(u"CR_Values.csv"_s)), resultsThere && folderThere ? results : results + results);
        QCOMPARE(m_prompts.messages.size(), folderThere ? 0 : 2);
        QVERIFY(folderThere || m_prompts.messages[1].text.contains(at(u"gone/CR_Values.csv"_s)));
    }
};

QTEST_MAIN(TestReports)
#include "tst_reports.moc"
