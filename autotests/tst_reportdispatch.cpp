// "Generate Report": which form the selected relay opens, what the bench record
// then says about the relay, and the contact resistance results handed over.

#include "console/benchrecord.h"
#include "platform/prompts.h"
#include "reports/reportform.h"
#include "tests/reportdispatch.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

using reports::ReportForm;

namespace {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// What the operator found in front of them while the form was up.
struct Shown {
    QPointer<ReportForm> form;
    bool modal = false;
    Integer styleCode = 0;
    Integer contactVariant = 0;
    QString relaySerial;
    QString typed;
};

} // namespace

class TestReportDispatch : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QWidget> m_main;
    QString m_startup;
    QString m_saveFolder;

    // Presses "Generate Report"; the form that opens is looked at, given
    // whatever typing act does, and discarded.
    Shown generateReport(int listIndex, const std::function<void(ReportForm &)> &act = {})
    {
        Shown shown;
        QTimer::singleShot(0, this, [&] {
            auto *form = qobject_cast<ReportForm *>(QApplication::activeModalWidget());
            if (!form)
                return;
            shown = {form, form->isModal(), bench().StyleCode, bench().ContactVariant, form->txtRelayID(0)->text(),
                     form->txtManualPara(0)->text()};
            if (act)
                act(*form);
            form->cmdDiscard->click();
        });
        reportdispatch::cmdReport_Click(m_main.get(), m_startup, listIndex);
        return shown;
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_startup = m_dir->filePath(QStringLiteral("bench"));
        m_saveFolder = m_dir->filePath(QStringLiteral("reports")) + QLatin1Char('/');
        QVERIFY(QDir().mkpath(m_startup));
        QVERIFY(QDir().mkpath(m_saveFolder));
        bench() = BenchRecord{};
        for (int style = 1; style <= 7; ++style)
            bench().RelayNumbering[std::size_t(style)] = {QString(), "0001", "A", "B"};
        bench().SaveFolder = m_saveFolder;
        m_main = std::make_unique<QWidget>();
        m_main->show();
    }

    void shouldOpenTheFormOfTheSelectedRelay_data()
    {
        QTest::addColumn<int>("listIndex");
        QTest::addColumn<QString>("formName");
        QTest::addColumn<int>("styleCode");
        QTest::addColumn<int>("contactVariant");  // an earlier dispatch left 2
        QTest::newRow("QNA1 8F-8B") << 0 << "frmQNA1" << 1 << 1;
        QTest::newRow("QNA1 12F-4B") << 1 << "frmQNA1" << 1 << 2;
        QTest::newRow("QN1 8F-8B") << 2 << "frmQN1" << 2 << 1;
        QTest::newRow("QN1 12F-4B") << 3 << "frmQN1" << 2 << 2;
        QTest::newRow("QNA1K") << 4 << "frmQNA1K" << 3 << 2;
        QTest::newRow("QL1") << 5 << "frmQL1" << 4 << 2;
        QTest::newRow("QECX61") << 6 << "frmQECX61" << 5 << 2;
        QTest::newRow("QTA2") << 7 << "frmQTA2" << 6 << 2;
        QTest::newRow("QSPA1") << 8 << "frmQSPA1" << 7 << 2;
    }

    void shouldOpenTheFormOfTheSelectedRelay()
    {
        QFETCH(int, listIndex);
        QFETCH(QString, formName);
        QFETCH(int, styleCode);
        QFETCH(int, contactVariant);
        bench().ContactVariant = 2;
        if (listIndex == 2)  // the QN1 8F-8B relay must set its variant itself
            bench().ContactVariant = 0;

        const Shown shown = generateReport(listIndex);

        QVERIFY(shown.form);
        QCOMPARE(shown.form->objectName(), formName);
        QCOMPARE(shown.form->parentWidget(), m_main.get());
        QVERIFY(shown.modal);
        QCOMPARE(int(shown.styleCode), styleCode);
        QCOMPARE(int(shown.contactVariant), contactVariant);
        QCOMPARE(shown.form->styleCode(), styleCode);
        QVERIFY(!shown.form->isVisible());
    }

    void shouldShowTheSameFormAgainFromItsDesignTexts()
    {
        const Shown first = generateReport(6, [](ReportForm &form) {
            form.txtManualPara(0)->setText(QStringLiteral("123"));
        });
        const Shown second = generateReport(6);

        QVERIFY(first.form);
        QCOMPARE(second.form.data(), first.form.data());
        QCOMPARE(second.typed, QStringLiteral("50"));
        QCOMPARE(second.relaySerial, QStringLiteral("0002"));
        QCOMPARE(m_main->findChildren<ReportForm *>().size(), 1);
        QCOMPARE(bench().RelayNumbering[5][1], QStringLiteral("0003"));
    }

    void shouldOpenNoFormWithoutASelectedRelay()
    {
        bench().StyleCode = 4;
        bench().ContactVariant = 2;
        QVERIFY(writeFile(m_startup + QStringLiteral("/crval.csv"), "A1,1.5\r\n"));

        reportdispatch::cmdReport_Click(m_main.get(), m_startup, -1);

        QVERIFY(m_main->findChildren<ReportForm *>().isEmpty());
        QCOMPARE(int(bench().StyleCode), 4);
        QCOMPARE(int(bench().ContactVariant), 2);
        QCOMPARE(readFile(m_saveFolder + QStringLiteral("CR_Values.csv")), QByteArray("A1,1.5\r\n"));
    }

    void shouldHandOverTheContactResults_data()
    {
        QTest::addColumn<bool>("resultsPresent");
        QTest::addColumn<bool>("olderCopy");
        QTest::newRow("first copy") << true << false;
        QTest::newRow("replaces the older copy") << true << true;
        QTest::newRow("no results yet") << false << true;
    }

    void shouldHandOverTheContactResults()
    {
        QFETCH(bool, resultsPresent);
        QFETCH(bool, olderCopy);
        platform::RecordedPrompts prompts;
        QByteArray results;
        for (int channel = 1; channel <= 16; ++channel)
            results += "Channel " + QByteArray::number(channel) + ",\t" + QByteArray::number(channel * 1.25) + "\r\n";
        results += QByteArray("\xB0\x00\xFF", 3);
        const QString copy = m_saveFolder + QStringLiteral("CR_Values.csv");
        if (resultsPresent)
            QVERIFY(writeFile(m_startup + QStringLiteral("/crval.csv"), results));
        if (olderCopy)
            QVERIFY(writeFile(copy, "an older relay's results, longer than the new ones\r\n" + results));

        const Shown shown = generateReport(5);

        QVERIFY(shown.form);
        QVERIFY(prompts.messages.isEmpty());
        if (resultsPresent)
            QCOMPARE(readFile(copy), results);
        else
            QCOMPARE(QFile::exists(copy), olderCopy);
        QCOMPARE(QDir(m_saveFolder).entryList(QDir::Files).size(), olderCopy || resultsPresent ? 1 : 0);
    }

    void shouldSayWhyTheResultsWereNotCopiedAndOpenTheForm()
    {
        platform::RecordedPrompts prompts;
        QVERIFY(writeFile(m_startup + QStringLiteral("/crval.csv"), "A1,1.5\r\n"));
        const QString missing = m_dir->filePath(QStringLiteral("unplugged")) + QLatin1Char('/');
        bench().SaveFolder = missing;

        const Shown shown = generateReport(4);

        QVERIFY(shown.form);
        QCOMPARE(prompts.messages.size(), 1);
        QVERIFY2(prompts.messages[0].text.contains(missing + QStringLiteral("CR_Values.csv")),
                 qPrintable(prompts.messages[0].text));
        QCOMPARE(prompts.messages[0].icon, platform::PromptIcon::Exclamation);
    }
};

QTEST_MAIN(TestReportDispatch)
#include "tst_reportdispatch.moc"
