#pragma once

#include "platform/formlayout.h"

#include <functional>

struct BenchRecord;
class QLineEdit;
class QPushButton;
namespace platform {
class Prompts;
}

// The three paths of the bench: spreadsheet program, template folder and report
// folder. OK changes them in memory; they reach artc.cfg when the bench closes.
class FrmOptions : public formlayout::DialogForm
{
    Q_OBJECT
public:
    FrmOptions(BenchRecord &record, platform::Prompts &prompts, QWidget *parent = nullptr);

    QLineEdit *const txtExcelPath;
    QLineEdit *const txtTemplatePath;
    QLineEdit *const txtDefault;
    QPushButton *const cmdExcel;
    QPushButton *const cmdTemplate;
    QPushButton *const cmdSave;
    QPushButton *const cmdOK;
    QPushButton *const cmdCancel;

private:
    // One file dialog serves the three "..." buttons and remembers its last choice:
    // a cancelled browse gives the file chosen before it in this opening, or nothing.
    // fill() puts the choice into the box beside the button once the dialog answers.
    void browse(std::function<void()> fill);
    QString folderOfChoice() const;
    void cmdOK_Click();

    BenchRecord &m_record;
    platform::Prompts &m_prompts;
    QString m_fileName;   // full name of the last chosen file
    QString m_fileTitle;  // its name without the folder
};
