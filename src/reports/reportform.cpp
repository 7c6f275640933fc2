#include "reports/reportform.h"

#include "console/record/benchrecord.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "reports/finalreport.h"
#include "reports/history/journal.h"
#include "reports/history/finalreportprint.h"
#include "reports/reportfields.h"
#include "reports/reportfile.h"
#include "reports/reportvalues.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>

#include <algorithm>
#include <array>

namespace reports {

namespace {

const QString ReportsTitle = QStringLiteral("Reports");

// What the operator may type into each relay ID part: serial, year, month letter
// and the two letters of the style.
constexpr std::array RelayIdLengths{4, 2, 1, 1, 1};

const StyleFields &styleOf(int styleCode)
{
    const StyleFields *style = styleFields(styleCode);
    Q_ASSERT_X(style, "ReportForm", "style code outside 1..7");
    return style ? *style : *styleFields(1);
}

// Typing is held to the part's length; a longer text, such as a serial past
// 9999, is still shown whole.
void showRelayIdPart(QLineEdit *part, int typedLength, const QString &text)
{
    part->setMaxLength(std::max(typedLength, int(text.size())));
    part->setText(text);
}

void fillList(QComboBox *list, const QString &first, const QString &second)
{
    list->addItem(first);
    list->addItem(second);
    list->setCurrentIndex(0);
}

} // namespace

ReportForm::ReportForm(int styleCode, BenchRecord &record, platform::Prompts &prompts, history::Journal *journal,
                       QWidget *parent, Clock today)
    : formlayout::DialogForm(formControls(styleOf(styleCode)), parent)
    , txtFileName(control<QLineEdit>(QStringLiteral("txtFileName")))
    , txtDate(control<QLineEdit>(QStringLiteral("txtDate")))
    , cmdNew(control<QPushButton>(QStringLiteral("cmdNew")))
    , cmdSelect(control<QPushButton>(QStringLiteral("cmdSelect")))
    , cmdMakeFinalReport(control<QPushButton>(QStringLiteral("cmdMakeFinalReport")))
    , cmdAddTestResult(control<QPushButton>(QStringLiteral("cmdAddTestResult")))
    , cmdDiscard(control<QPushButton>(QString::fromLatin1(styleOf(styleCode).discardName)))
    , m_style(styleOf(styleCode))
    , m_record(record)
    , m_prompts(prompts)
    , m_journal(journal)
    , m_today(std::move(today))
{
    setObjectName(QString::fromLatin1(m_style.formName));
    setWindowTitle(QString::fromUtf8(m_style.caption));
    setFixedSize(formlayout::px(formWidth()), formlayout::px(formHeight(m_style)));

    // Enter in a field must not record the relay; only a click does.
    for (QPushButton *button : findChildren<QPushButton *>())
        button->setAutoDefault(false);

    connect(cmdAddTestResult, &QPushButton::clicked, this, &ReportForm::cmdAddTestResult_Click);
    connect(cmdMakeFinalReport, &QPushButton::clicked, this, &ReportForm::cmdMakeFinalReport_Click);
    connect(cmdDiscard, &QPushButton::clicked, this, &QDialog::reject);
    connect(cmdNew, &QPushButton::clicked, this, &ReportForm::cmdNew_Click);
    connect(cmdSelect, &QPushButton::clicked, this, &ReportForm::cmdSelect_Click);
}

int ReportForm::styleCode() const
{
    return m_style.styleCode;
}

QLineEdit *ReportForm::txtAutoPara(int index) const
{
    return findChild<QLineEdit *>(QStringLiteral("txtAutoPara(%1)").arg(index));
}

QLineEdit *ReportForm::txtManualPara(int index) const
{
    return findChild<QLineEdit *>(QStringLiteral("txtManualPara(%1)").arg(index));
}

QComboBox *ReportForm::cmbOK(int index) const
{
    return findChild<QComboBox *>(QStringLiteral("cmbOK(%1)").arg(index));
}

QComboBox *ReportForm::cmbPUDA(int index) const
{
    return findChild<QComboBox *>(QStringLiteral("cmbPUDA(%1)").arg(index));
}

QRadioButton *ReportForm::opt(int index) const
{
    return findChild<QRadioButton *>(QStringLiteral("opt(%1)").arg(index));
}

QLineEdit *ReportForm::txtRelayID(int index) const
{
    return findChild<QLineEdit *>(QStringLiteral("txtRelayID(%1)").arg(index));
}

void ReportForm::setVisible(bool visible)
{
    if (visible && !m_loaded)
        formLoad();
    formlayout::DialogForm::setVisible(visible);
}

void ReportForm::done(int result)
{
    if (m_loaded)
        formUnload();
    formlayout::DialogForm::done(result);
}

// A report form has no Escape: the key would throw away everything the operator
// typed and use up the relay's serial number. The close box still ends the form.
void ReportForm::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Cancel)) {
        event->accept();
        return;
    }
    formlayout::DialogForm::keyPressEvent(event);
}

void ReportForm::formLoad()
{
    formlayout::restoreDesign(this, formControls(m_style));
    BenchRecord &record = m_record;
    const QDate today = m_today();

    // Every verdict starts as "Not OK", every light unit status as "PU".
    for (int i = 0; i < m_style.verdictLists; ++i)
        fillList(cmbOK(i), QStringLiteral("Not OK"), QStringLiteral("OK"));
    for (int i = 0; i < m_style.puDaLists; ++i)
        fillList(cmbPUDA(i), QStringLiteral("PU"), QStringLiteral("DA"));

    txtDate->setText(reportDate(today));

    for (const Fill &fill : m_style.fills)
        txtAutoPara(fill.field)->setText(resultText(fill.source, fill.format, record));

    // The interlocking code reaches the long record through the two sequence lines.
    if (m_style.codeField == CodeByContactVariant) {
        if (record.ContactVariant == 1)
            opt(1)->setChecked(true);
        const QString code = (opt(0)->isChecked() ? txtAutoPara(6) : txtAutoPara(7))->text();
        record.NOSequence = code;
        record.NCSequence = code;
    } else if (m_style.codeField >= 0) {
        record.NOSequence = txtAutoPara(m_style.codeField)->text();
        record.NCSequence = record.NOSequence;
    }

    const RelayNumberingTable::value_type &numbering = record.RelayNumbering[std::size_t(m_style.styleCode)];
    const std::array<QString, 5> relayId{numbering[1], QString::number(today.year() - 2000),
                                         QChar(0x40 + today.month()), numbering[2], numbering[3]};
    for (int i = 0; i < int(relayId.size()); ++i)
        showRelayIdPart(txtRelayID(i), RelayIdLengths[std::size_t(i)], relayId[std::size_t(i)]);

    m_loaded = true;
}

void ReportForm::formUnload()
{
    RelayNumberingTable::value_type &numbering = m_record.RelayNumbering[std::size_t(m_style.styleCode)];
    numbering[1] = nextSerial(txtRelayID(0)->text());
    numbering[2] = txtRelayID(3)->text();
    numbering[3] = txtRelayID(4)->text();
    m_loaded = false;
}

void ReportForm::buildReportRecord()
{
    BenchRecord &record = m_record;
    record.RelayID = txtRelayID(0)->text() + QLatin1Char('/') + txtRelayID(1)->text() + txtRelayID(2)->text()
                     + txtRelayID(3)->text() + txtRelayID(4)->text();
    record.ReportItems[1] = record.RelayID;
    std::size_t item = 2;
    for (const char *name : m_style.items) {
        QString text;
        if (name) {
            QWidget *source = control<QWidget>(QString::fromLatin1(name));
            if (auto *list = qobject_cast<QComboBox *>(source))
                text = list->currentText();
            else if (auto *box = qobject_cast<QLineEdit *>(source))
                text = box->text();
        }
        record.ReportItems[item++] = text;
    }
}

// On failure the operator is told why and the form stays open with everything
// typed, to try another file name. What was found beside the file on the way is
// told in the same message.
void ReportForm::recordRelay(std::function<void()> then)
{
    buildReportRecord();
    const AppendResult appended = appendReportRecord(m_record, txtFileName->text());
    // Only a record that is safe in the report file goes on to the results history.
    if (appended.ok && m_journal) {
        m_journal->recordAppended(m_record, platform::concatenated(m_record.SaveFolder, txtFileName->text()),
                                  appended.recordIndex);
    }
    QStringList told;
    if (!appended.notice.isEmpty())
        told << appended.notice;
    if (!appended.ok)
        told << appended.error;
    QDialog *box = told.isEmpty() ? nullptr
                                  : m_prompts.message(this, ReportsTitle, told.join(QStringLiteral("\n\n")),
                                                      platform::PromptIcon::Exclamation);
    if (appended.ok)
        platform::whenClosed(box, this, std::move(then));
}

void ReportForm::cmdAddTestResult_Click()
{
    recordRelay([this] { accept(); });
}

void ReportForm::cmdMakeFinalReport_Click()
{
    recordRelay([this] {
        const FinalReportResult prepared = prepareFinalReport(m_record, txtFileName->text());
        // The printable report is made whether or not the spreadsheet template is
        // there, so a bench without the spreadsheet still has its report; it is
        // written on a thread of its own while the bench goes on.
        history::printFinalReport(m_record, txtFileName->text(), m_today(), this, [this, prepared](const history::PdfResult &pdf) {
            const QString pdfTold = pdf.ok ? tr("The routine-test report was written as %1.").arg(pdf.path)
                                           : tr("The routine-test report %1 could not be written: %2").arg(pdf.path, pdf.error);
            // Copies made but no PDF: one message says which of the three files are
            // there and why the last is not, rather than a success that is not one.
            const QString told = !prepared.ok ? prepared.message + QLatin1Char('\n') + pdfTold
                                 : !pdf.ok    ? tr("RoutineTest.csv and %1 were copied to %2, but the routine-test "
                                                   "report %3 could not be written: %4")
                                                 .arg(templateFileName(m_record.StyleCode), m_record.SaveFolder,
                                                      pdf.path, pdf.error)
                                              : QString();
            QDialog *box = told.isEmpty() ? m_prompts.message(this, ReportsTitle, QStringLiteral("Report successfully created."),
                                                              platform::PromptIcon::Information)
                                          : m_prompts.message(this, ReportsTitle, told, platform::PromptIcon::Exclamation);
            platform::whenClosed(box, this, [this] { accept(); });
        });
    });
}

void ReportForm::cmdNew_Click()
{
    chooseReportFile(true);
}

void ReportForm::cmdSelect_Click()
{
    chooseReportFile(false);
}

// The report file is always taken by name in the report folder; a cancelled
// dialog leaves the name as it was. The dialog lists every file, since a report
// file may be named without an extension, and has the PC's own title.
void ReportForm::chooseReportFile(bool newFile)
{
    const QString csv = QStringLiteral("csv");
    const auto take = [this](const platform::FileChoice &choice) {
        if (!choice.fullPath.isEmpty())
            txtFileName->setText(choice.fileName);
    };
    const platform::FileListing everyFile = platform::FileListing::Everything;
    if (newFile)
        m_prompts.saveFile(this, {}, m_record.SaveFolder, csv, take, everyFile);
    else
        m_prompts.openFile(this, {}, m_record.SaveFolder, csv, take, everyFile);
}

} // namespace reports
