#include "console/window/frmoptions.h"

#include "console/record/benchrecord.h"
#include "platform/formlayout.h"
#include "platform/prompts.h"

#include <QLineEdit>
#include <QPushButton>

#include <array>

using namespace formlayout;

namespace {

constexpr Font Sans{Face::SansSerif, 8.25};

constexpr std::array OptionsControls = std::to_array<Control>({
    {"Label1", Kind::Label, nullptr, "EXCEL Path:", 240, 240, 1095, 255, Sans},
    {"txtExcelPath", Kind::TextBox, nullptr, "C:\\Program Files (x86)\\Microsoft Office\\Office12\\EXCEL.EXE", 1680,
     240, 6375, 285, Sans},
    {"cmdExcel", Kind::Button, nullptr, "...", 8160, 240, 615, 255, Sans},
    {"Label2", Kind::Label, nullptr, "Template Path:", 240, 720, 1335, 255, Sans},
    {"txtTemplatePath", Kind::TextBox, nullptr, "D:\\", 1680, 720, 6375, 285, Sans},
    {"cmdTemplate", Kind::Button, nullptr, "...", 8160, 720, 615, 255, Sans},
    {"Label3", Kind::Label, nullptr, "Default Save Path:", 240, 1200, 1575, 255, Sans},
    {"txtDefault", Kind::TextBox, nullptr, "", 1680, 1200, 6375, 285, Sans},
    {"cmdSave", Kind::Button, nullptr, "...", 8160, 1200, 615, 255, Sans},
    {"cmdCancel", Kind::Button, nullptr, "Cancel", 1800, 1680, 1815, 375, Sans},
    {"cmdOK", Kind::Button, nullptr, "OK", 6120, 1680, 1815, 375, Sans},
});

} // namespace

FrmOptions::FrmOptions(BenchRecord &record, platform::Prompts &prompts, QWidget *parent)
    : DialogForm(OptionsControls, parent)
    , txtExcelPath(control<QLineEdit>(QStringLiteral("txtExcelPath")))
    , txtTemplatePath(control<QLineEdit>(QStringLiteral("txtTemplatePath")))
    , txtDefault(control<QLineEdit>(QStringLiteral("txtDefault")))
    , cmdExcel(control<QPushButton>(QStringLiteral("cmdExcel")))
    , cmdTemplate(control<QPushButton>(QStringLiteral("cmdTemplate")))
    , cmdSave(control<QPushButton>(QStringLiteral("cmdSave")))
    , cmdOK(control<QPushButton>(QStringLiteral("cmdOK")))
    , cmdCancel(control<QPushButton>(QStringLiteral("cmdCancel")))
    , m_record(record)
    , m_prompts(prompts)
{
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("Optoions"));
    setFixedSize(px(9195), px(2250));

    cmdOK->setDefault(true);  // Enter; Escape is the dialog's own reject
    setTabOrder(txtExcelPath, cmdExcel);
    setTabOrder(cmdExcel, txtTemplatePath);
    setTabOrder(txtTemplatePath, txtDefault);
    setTabOrder(txtDefault, cmdCancel);
    setTabOrder(cmdCancel, cmdOK);
    setTabOrder(cmdOK, cmdTemplate);
    setTabOrder(cmdTemplate, cmdSave);

    txtExcelPath->setText(m_record.ExcelPath);
    txtTemplatePath->setText(m_record.TemplateFolder);
    txtDefault->setText(m_record.SaveFolder);

    connect(cmdExcel, &QPushButton::clicked, this, [this] { browse([this] { txtExcelPath->setText(m_fileName); }); });
    connect(cmdTemplate, &QPushButton::clicked, this,
            [this] { browse([this] { txtTemplatePath->setText(folderOfChoice()); }); });
    connect(cmdSave, &QPushButton::clicked, this, [this] { browse([this] { txtDefault->setText(folderOfChoice()); }); });
    connect(cmdOK, &QPushButton::clicked, this, &FrmOptions::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void FrmOptions::browse(std::function<void()> fill)
{
    m_prompts.openFile(this, {}, {}, {}, [this, fill = std::move(fill)](const platform::FileChoice &choice) {
        if (!choice.fullPath.isEmpty()) {
            m_fileName = choice.fullPath;
            m_fileTitle = choice.fileName;
        }
        fill();
    });
}

QString FrmOptions::folderOfChoice() const
{
    return m_fileName.left(m_fileName.size() - m_fileTitle.size());
}

void FrmOptions::cmdOK_Click()
{
    m_record.ExcelPath = txtExcelPath->text();
    m_record.TemplateFolder = txtTemplatePath->text();
    m_record.SaveFolder = txtDefault->text();
    accept();
}
