// "Generate Report": which form the selected relay opens, what the bench record
// then says about the relay, and the contact resistance results handed over.

#include "console/benchrecord.h"
#include "platform/prompts.h"
#include "reports/reportform.h"
#include "testfiles.h"
#include "tests/reportdispatch.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class TestReportDispatch : public QObject
{
    Q_OBJECT

private slots:
    // One folder is both the bench's and the report folder: it has the contact
    // results in "crval.csv" where resultsThere, and an older copy. A report folder
    // that is missing is told to the operator; the form still opens.
    void shouldOpenTheFormOfTheSelectedRelay_data()
    {
        QTest::addColumn<int>("listIndex");
        QTest::addColumn<QString>("formName");  // "" when none opens
        QTest::addColumn<int>("styleCode");  // 4 before
        QTest::addColumn<int>("contactVariant");  // 0 before
        QTest::addColumn<bool>("resultsThere");
        QTest::addColumn<bool>("folderThere");
        QTest::newRow("QNA1 12F-4B") << 1 << "frmQNA1" << 1 << 2 << true << true;
        QTest::newRow("QECX61 leaves the variant, no results") << 6 << "frmQECX61" << 5 << 0 << false << true;
        QTest::newRow("QSPA1, the last") << 8 << "frmQSPA1" << 7 << 0 << true << true;
        QTest::newRow("nothing selected still copies") << -1 << "" << 4 << 0 << true << true;
        QTest::newRow("report folder missing") << 4 << "frmQNA1K" << 3 << 0 << true << false;
    }

    // "Generate Report" pressed twice: the same form comes back from its design
    // texts with the next serial.
    void shouldOpenTheFormOfTheSelectedRelay()
    {
        QFETCH(int, listIndex);
        QFETCH(QString, formName);
        QFETCH(bool, resultsThere);
        QFETCH(bool, folderThere);
        platform::RecordedPrompts prompts;
        QTemporaryDir dir;
        QWidget mainWindow;
        const QByteArray results("Channel 1,\t1.25\r\n\xB0\x00\xFF", 20);
        writeFile(dir.filePath(QStringLiteral("CR_Values.csv")), results + results);  // an older, longer copy
        if (resultsThere)
            writeFile(dir.filePath(QStringLiteral("crval.csv")), results);
        bench() = BenchRecord{};
        bench().StyleCode = 4;
        bench().SaveFolder = folderThere ? dir.path() + '/' : dir.filePath(QStringLiteral("gone/"));

        QStringList shown;  // each press: the modal form that opened, its serial and first typed field
        for (int press = 0; press < 2; ++press) {
            QTimer::singleShot(0, this, [&] {
                if (auto *form = qobject_cast<reports::ReportForm *>(QApplication::activeModalWidget())) {
                    shown << form->objectName() + ' ' + form->txtRelayID(0)->text() + '|'
                                 + form->txtManualPara(0)->text();
                    form->txtManualPara(0)->setText(QStringLiteral("123"));
                    form->cmdDiscard->click();
                }
            });
            reportdispatch::cmdReport_Click(&mainWindow, dir.path(), listIndex);
        }

        QCOMPARE(shown.join(','), formName.isEmpty() ? QString() : formName + " |50," + formName + " 0001|50");
        QCOMPARE(mainWindow.findChildren<reports::ReportForm *>(QString(), Qt::FindDirectChildrenOnly).size(),
                 formName.isEmpty() ? 0 : 1);
        QTEST(int(bench().StyleCode), "styleCode");
        QTEST(int(bench().ContactVariant), "contactVariant");
        QCOMPARE(readFile(dir.filePath(QStringLiteral("CR_Values.csv"))),
                 resultsThere && folderThere ? results : results + results);
        QCOMPARE(prompts.messages.size(), folderThere ? 0 : 2);
        QVERIFY(folderThere || prompts.messages[1].text.contains(dir.filePath(QStringLiteral("gone/CR_Values.csv"))));
    }
};

QTEST_MAIN(TestReportDispatch)
#include "tst_reportdispatch.moc"
