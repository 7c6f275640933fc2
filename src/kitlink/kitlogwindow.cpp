#include "kitlink/kitlogwindow.h"

#include "kitlink/kitlog.h"
#include "platform/prompts.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

KitLogWindow::KitLogWindow(KitLog &log, const QString &folder, QWidget *parent)
    : QDialog(parent)
    , m_log(&log)
    , m_folder(folder)
{
    setObjectName(QStringLiteral("frmKitLog"));
    setWindowTitle(tr("Kit Log"));
    resize(640, 420);

    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("txtLog"));
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));  // frames line up column by column
    m_text->setMaximumBlockCount(log.capacity());
    QString backlog = log.formatted();
    backlog.chop(1);  // the document ends at the last line, not below it
    m_text->setPlainText(backlog);
    m_text->moveCursor(QTextCursor::End);

    auto *buttons = new QDialogButtonBox(this);
    auto *saveButton = buttons->addButton(tr("Save..."), QDialogButtonBox::ActionRole);
    saveButton->setObjectName(QStringLiteral("cmdSaveLog"));
    auto *closeButton = buttons->addButton(tr("Close"), QDialogButtonBox::RejectRole);
    closeButton->setObjectName(QStringLiteral("cmdClose"));
    connect(saveButton, &QPushButton::clicked, this, &KitLogWindow::save);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addWidget(buttons);

    connect(&log, &KitLog::appended, this, &KitLogWindow::showLatest);
}

void KitLogWindow::showLatest()
{
    // Only the new line: the document drops its oldest block itself once it holds
    // as many as the log, so the two stay in step without a rebuild.
    m_text->appendPlainText(KitLog::formatLine(m_log->latest()));
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
