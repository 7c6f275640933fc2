#include "console/benchrecord.h"
#include "console/frmoptions.h"
#include "platform/prompts.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

// The paths dialog: what each "..." button puts in its box, and what OK and Cancel keep.
class TestOptions : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        bench() = BenchRecord{};
        bench().ExcelPath = QStringLiteral("/usr/bin/localc");
        bench().TemplateFolder = QStringLiteral("/bench/templates/");
        bench().SaveFolder = QStringLiteral("/bench/reports/");
    }

    void shouldShowTheCurrentPaths()
    {
        FrmOptions options;
        QCOMPARE(options.windowTitle(), QStringLiteral("Optoions"));
        QCOMPARE(options.txtExcelPath->text(), QStringLiteral("/usr/bin/localc"));
        QCOMPARE(options.txtTemplatePath->text(), QStringLiteral("/bench/templates/"));
        QCOMPARE(options.txtDefault->text(), QStringLiteral("/bench/reports/"));
    }

    // Each row: the answers of the shared file dialog ("" = cancelled), the buttons
    // pressed in order, and what the three boxes then hold.
    void shouldFillTheBoxesFromTheSharedFileDialog_data()
    {
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QStringList>("presses");
        QTest::addColumn<QStringList>("boxes");
        QTest::newRow("save folder from a chosen file")
            << QStringList{"/data/Reports/x.csv"} << QStringList{"cmdSave"}
            << QStringList{"/usr/bin/localc", "/bench/templates/", "/data/Reports/"};
        QTest::newRow("first browse cancelled empties the box")
            << QStringList{""} << QStringList{"cmdTemplate"}
            << QStringList{"/usr/bin/localc", "", "/bench/reports/"};
        QTest::newRow("a cancel repeats the last choice as a folder")
            << QStringList{"/opt/office/soffice", ""} << QStringList{"cmdExcel", "cmdTemplate"}
            << QStringList{"/opt/office/soffice", "/opt/office/", "/bench/reports/"};
        QTest::newRow("excel takes the whole name")
            << QStringList{"/opt/office/soffice"} << QStringList{"cmdExcel"}
            << QStringList{"/opt/office/soffice", "/bench/templates/", "/bench/reports/"};
    }

    void shouldFillTheBoxesFromTheSharedFileDialog()
    {
        QFETCH(QStringList, answers);
        QFETCH(QStringList, presses);
        QFETCH(QStringList, boxes);
        platform::RecordedPrompts prompts;
        prompts.fileAnswers = answers;
        FrmOptions options;

        for (const QString &button : presses)
            options.findChild<QPushButton *>(button)->click();

        QCOMPARE((QStringList{options.txtExcelPath->text(), options.txtTemplatePath->text(),
                              options.txtDefault->text()}),
                 boxes);
        QCOMPARE(prompts.fileDialogFolders, QStringList(presses.size(), QString()));
    }

    void shouldStoreTheTextsAsTypedOnlyOnOk_data()
    {
        QTest::addColumn<bool>("ok");
        QTest::addColumn<bool>("byKey");
        QTest::newRow("OK button") << true << false;
        QTest::newRow("Enter") << true << true;
        QTest::newRow("Cancel button") << false << false;
        QTest::newRow("Escape") << false << true;
    }

    void shouldStoreTheTextsAsTypedOnlyOnOk()
    {
        QFETCH(bool, ok);
        QFETCH(bool, byKey);
        FrmOptions options;
        options.show();
        options.txtDefault->setText(QStringLiteral("/no/slash"));
        options.txtTemplatePath->setText(QString());

        if (byKey)
            QTest::keyClick(&options, ok ? Qt::Key_Return : Qt::Key_Escape);
        else
            (ok ? options.cmdOK : options.cmdCancel)->click();

        QVERIFY(!options.isVisible());
        QCOMPARE(bench().SaveFolder, ok ? QStringLiteral("/no/slash") : QStringLiteral("/bench/reports/"));
        QCOMPARE(bench().TemplateFolder, ok ? QString() : QStringLiteral("/bench/templates/"));
        QCOMPARE(bench().ExcelPath, QStringLiteral("/usr/bin/localc"));
    }

    void shouldTabThroughTheControlsInTheBenchOrder()
    {
        FrmOptions options;
        options.show();
        QVERIFY(QTest::qWaitForWindowActive(&options));
        options.txtExcelPath->setFocus();
        QStringList order;
        for (int i = 0; i < 8; ++i) {
            order << QApplication::focusWidget()->objectName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(order, (QStringList{"txtExcelPath", "cmdExcel", "txtTemplatePath", "txtDefault", "cmdCancel",
                                     "cmdOK", "cmdTemplate", "cmdSave"}));
    }
};

QTEST_MAIN(TestOptions)
#include "tst_options.moc"
