#pragma once

#include "platform/formlayout.h"

#include <QDate>
#include <QPointer>

#include <functional>

class QComboBox;
class QKeyEvent;
class QLineEdit;
class QPushButton;
class QRadioButton;

struct BenchRecord;
namespace history {
class Journal;
}
namespace platform {
class Prompts;
}

namespace reports {

struct StyleFields;

// The routine-test report of one relay: shows the relay's results from the bench
// record, takes the values and verdicts the kit cannot measure, numbers the relay
// and adds its record to the report file. One class serves all seven relay styles;
// the style's tables (reportfields.h) say which fields it has and what they hold.
//
// Every showing starts from the design texts and loads the bench record afresh;
// every close, however it comes about, advances the style's serial number, so a
// relay number is never handed out twice.
class ReportForm : public formlayout::DialogForm
{
    Q_OBJECT
public:
    using Clock = std::function<QDate()>;

    // styleCode 1..7; prompts shows what the operator is told and the report file
    // dialogs; journal, when given, takes each relay recorded on to the results
    // history; today gives the report date and the relay ID's year and month.
    ReportForm(int styleCode, BenchRecord &record, platform::Prompts &prompts, history::Journal *journal = nullptr,
               QWidget *parent = nullptr, Clock today = &QDate::currentDate);

    int styleCode() const;

    // Elements of the control arrays; nullptr when the style has no such element.
    QLineEdit *txtAutoPara(int index) const;
    QLineEdit *txtManualPara(int index) const;
    QComboBox *cmbOK(int index) const;
    QComboBox *cmbPUDA(int index) const;
    QRadioButton *opt(int index) const;
    QLineEdit *txtRelayID(int index) const;

    QLineEdit *const txtFileName;
    QLineEdit *const txtDate;
    QPushButton *const cmdNew;
    QPushButton *const cmdSelect;
    QPushButton *const cmdMakeFinalReport;
    QPushButton *const cmdAddTestResult;
    QPushButton *const cmdDiscard;  // "DISCARD TEST RESULT"; named txtDiscard on all but QN1

    // The relay ID and the report items of this form into the bench record.
    void buildReportRecord();

    void setVisible(bool visible) override;
    void done(int result) override;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private slots:
    void cmdAddTestResult_Click();
    void cmdMakeFinalReport_Click();
    void cmdNew_Click();
    void cmdSelect_Click();

private:
    void formLoad();
    void formUnload();
    // The relay's record into the report file; then() follows once the operator has
    // read what there was to tell, and only when the record went in.
    void recordRelay(std::function<void()> then);
    void chooseReportFile(bool newFile);

    const StyleFields &m_style;
    BenchRecord &m_record;
    platform::Prompts &m_prompts;
    QPointer<history::Journal> m_journal;
    Clock m_today;
    bool m_loaded = false;  // loaded by a showing, not yet closed
};

} // namespace reports
