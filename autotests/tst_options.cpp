// The paths dialog: what each "..." button puts in its box, the order the Tab key
// visits the controls in, and what OK and Cancel keep.

#include "console/benchrecord.h"
#include "console/frmoptions.h"
#include "platform/prompts.h"

#include <QLineEdit>
#include <QTest>

class TestOptions : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        bench().ExcelPath = QStringLiteral("/bin/calc");
        bench().TemplateFolder = QStringLiteral("/tpl/");
        bench().SaveFolder = QStringLiteral("/out/");
    }

    // Each row: the answers of the shared file dialog ("" = cancelled), the buttons
    // pressed in order, and what the three boxes then hold, all split at '|';
    // untouched boxes show the paths the bench had.
    void shouldFillTheBoxesFromTheSharedFileDialog_data()
    {
        QTest::addColumn<QString>("answers");
        QTest::addColumn<QString>("presses");
        QTest::addColumn<QString>("boxes");
        QTest::newRow("save folder from a chosen file") << "/r/x.csv" << "cmdSave" << "/bin/calc|/tpl/|/r/";
        QTest::newRow("first browse cancelled empties the box") << "" << "cmdTemplate" << "/bin/calc||/out/";
        QTest::newRow("excel, then a cancel: its folder") << "/o/c|" << "cmdExcel|cmdTemplate" << "/o/c|/o/|/out/";
    }

    void shouldFillTheBoxesFromTheSharedFileDialog()
    {
        QFETCH(QString, answers);
        QFETCH(QString, presses);
        platform::RecordedPrompts prompts;
        prompts.fileAnswers = answers.split(u'|');
        FrmOptions dialog;
        for (const QString &button : presses.split(u'|'))
            dialog.findChild<QPushButton *>(button)->click();
        const QStringList boxes{dialog.txtExcelPath->text(), dialog.txtTemplatePath->text(), dialog.txtDefault->text()};
        QTEST(boxes.join(u'|'), "boxes");
        // Each press opens the dialog once, in no particular folder.
        QCOMPARE(prompts.fileDialogFolders, QStringList(presses.count(u'|') + 1, QString()));
    }

    // Each row: the control a key goes to (after a full round of Tab the focus is back
    // on txtExcelPath), the key, and the three paths the bench then holds, split at '|'.
    void shouldTabInTheBenchOrderAndStoreTheTextsAsTypedOnlyOnOk_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("stored");
        QTest::newRow("OK button") << "cmdOK" << int(Qt::Key_Space) << "/bin/calc||/no/slash";
        QTest::newRow("Enter") << "txtExcelPath" << int(Qt::Key_Return) << "/bin/calc||/no/slash";
        QTest::newRow("Cancel button") << "cmdCancel" << int(Qt::Key_Space) << "/bin/calc|/tpl/|/out/";
        QTest::newRow("Escape") << "txtExcelPath" << int(Qt::Key_Escape) << "/bin/calc|/tpl/|/out/";
    }

    void shouldTabInTheBenchOrderAndStoreTheTextsAsTypedOnlyOnOk()
    {
        QFETCH(QString, control);
        QFETCH(int, key);
        platform::RecordedPrompts prompts;  // a "..." button pressed by mistake answers at once
        FrmOptions dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Optoions"));  // as the bench has always spelt it
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QString order;  // from the control that has the focus when the dialog opens
        for (int i = 0; i < 8; ++i, QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab))
            order += QApplication::focusWidget()->objectName() + u' ';
        QCOMPARE(order, QStringLiteral("txtExcelPath cmdExcel txtTemplatePath txtDefault "
                                       "cmdCancel cmdOK cmdTemplate cmdSave "));

        dialog.txtDefault->setText(QStringLiteral("/no/slash"));
        dialog.txtTemplatePath->clear();
        QTest::keyClick(dialog.findChild<QWidget *>(control), Qt::Key(key));
        QVERIFY(!dialog.isVisible());
        QTEST(QStringList({bench().ExcelPath, bench().TemplateFolder, bench().SaveFolder}).join(u'|'), "stored");
    }
};

QTEST_MAIN(TestOptions)
#include "tst_options.moc"
