#include "kitlink/kitlogwindow.h"

#include "kitlink/kitlog.h"
#include "platform/prompts.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

KitLogWindow::KitLogWindow(KitLog &log, const QString &folder, QWidget *parent)
    : QDialog(parent)
    , txtLog(new QPlainTextEdit(this))
    , lblLegend(new QLabel(KitLog::legend(), this))
    , chkHideLive(new QCheckBox(tr("&Hide the live readings (?D, &&D and their answers)"), this))
    , m_log(&log)
    , m_folder(folder)
{
    setObjectName(QStringLiteral("frmKitLog"));
    setWindowTitle(tr("Kit Log"));
    resize(640, 420);

    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);  // frames line up column by column
    txtLog->setObjectName(QStringLiteral("txtLog"));
    txtLog->setReadOnly(true);
    txtLog->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtLog->setFont(fixed);
    txtLog->setMaximumBlockCount(log.capacity());
    lblLegend->setObjectName(QStringLiteral("lblLegend"));
    lblLegend->setFont(fixed);
    chkHideLive->setObjectName(QStringLiteral("chkHideLive"));
    showAll();

    auto *buttons = new QDialogButtonBox(this);
    auto *saveButton = buttons->addButton(tr("Save..."), QDialogButtonBox::ActionRole);
    saveButton->setObjectName(QStringLiteral("cmdSaveLog"));
    auto *closeButton = buttons->addButton(tr("Close"), QDialogButtonBox::RejectRole);
    closeButton->setObjectName(QStringLiteral("cmdClose"));
    connect(saveButton, &QPushButton::clicked, this, &KitLogWindow::save);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblLegend);
    layout->addWidget(txtLog);
    layout->addWidget(chkHideLive);
    layout->addWidget(buttons);

    connect(&log, &KitLog::appended, this, &KitLogWindow::showLatest);
    connect(chkHideLive, &QCheckBox::toggled, this, &KitLogWindow::showAll);
}

void KitLogWindow::showAll()
{
    QStringList lines;
    for (const KitLog::Entry &entry : m_log->entries()) {
        if (!(chkHideLive->isChecked() && entry.liveReading))
            lines << KitLog::formatLine(entry);
    }
    txtLog->setPlainText(lines.join(QLatin1Char('\n')));
    txtLog->moveCursor(QTextCursor::End);
}

void KitLogWindow::showLatest()
{
    // Only the new line: the document drops its oldest block itself once it holds
    // as many as the log, so the two stay in step without a rebuild (with the
    // readings hidden it may keep a few lines the log has let go, until the next).
    const KitLog::Entry &latest = m_log->latest();
    if (!(chkHideLive->isChecked() && latest.liveReading))
        txtLog->appendPlainText(KitLog::formatLine(latest));
}

void KitLogWindow::save()
{
    platform::Prompts::current().saveFile(
        this, tr("Save Kit Log"), m_folder, QStringLiteral("txt"), [this](const platform::FileChoice &choice) {
            if (!m_log || choice.fullPath.isEmpty())
                return;
            const platform::WriteResult result = m_log->saveTo(choice.fullPath);
            if (result.ok) {
                m_folder = QFileInfo(choice.fullPath).absolutePath();  // the next save starts there
            } else {
                platform::Prompts::current().message(
                    this, tr("Kit Log"), tr("The kit log could not be saved to %1.\n%2").arg(choice.fullPath, result.error),
                    platform::PromptIcon::Exclamation);
            }
        });
}
