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
#include <QSettings>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// Kept in the user's Quillmark settings, beside the Bench Monitor's, not in the bench's settings files.
const QString HideLiveKey = QStringLiteral("hide live readings");
QSettings hidingLiveReadings()
{
    return QSettings(QStringLiteral("Quillmark"), QStringLiteral("Kit log"));
}

} // namespace

KitLogWindow::KitLogWindow(KitLog &log, platform::Prompts &prompts, const QString &folder, QWidget *parent)
    : QDialog(parent)
    , txtLog(new QPlainTextEdit(this))
    , lblLegend(new QLabel(KitLog::legend(), this))
    , chkHideLive(new QCheckBox(tr("&Hide the live readings (?D, &&D and their answers)"), this))
    , m_log(&log)
    , m_prompts(prompts)
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
    chkHideLive->setChecked(hidingLiveReadings().value(HideLiveKey, false).toBool());  // as the engineer left it
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
    connect(chkHideLive, &QCheckBox::toggled, this, [this](bool hidden) {
        hidingLiveReadings().setValue(HideLiveKey, hidden);
        showAll();
    });
    m_filling.setInterval(0);
    connect(&m_filling, &QTimer::timeout, this, &KitLogWindow::showSome);
}

void KitLogWindow::addLine(const KitLog::Entry &entry, QStringList &lines) const
{
    if (!(chkHideLive->isChecked() && entry.liveReading))
        lines << KitLog::formatLine(entry);
}

void KitLogWindow::showAll()
{
    txtLog->clear();
    m_backlog = m_log->entries();
    m_shown = 0;
    showSome();
    if (m_shown < m_backlog.size())
        m_filling.start();
}

void KitLogWindow::showSome()
{
    constexpr qsizetype Turn = 500;  // a few milliseconds
    QStringList lines;
    const qsizetype end = std::min(m_backlog.size(), m_shown + Turn);
    for (; m_shown < end; ++m_shown)
        addLine(m_backlog.at(m_shown), lines);
    if (!lines.isEmpty())
        txtLog->appendPlainText(lines.join(QLatin1Char('\n')));
    if (m_shown < m_backlog.size())
        return;
    m_filling.stop();
    m_backlog.clear();
    m_shown = 0;
    txtLog->moveCursor(QTextCursor::End);
}

void KitLogWindow::showLatest()
{
    if (m_filling.isActive()) {  // it goes in after the backlog
        m_backlog.append(m_log->latest());
        return;
    }
    // Only the new line: the document drops its oldest block itself once it holds
    // as many as the log, so the two stay in step without a rebuild (with the
    // readings hidden it may keep a few lines the log has let go, until the next).
    QStringList line;
    addLine(m_log->latest(), line);
    if (!line.isEmpty())
        txtLog->appendPlainText(line.front());
}

void KitLogWindow::save()
{
    m_prompts.saveFile(
        this, tr("Save Kit Log"), m_folder, QStringLiteral("txt"), [this](const platform::FileChoice &choice) {
            if (!m_log || choice.fullPath.isEmpty())
                return;
            const platform::WriteResult result = m_log->saveTo(choice.fullPath);
            if (result.ok) {
                m_folder = QFileInfo(choice.fullPath).absolutePath();  // the next save starts there
            } else {
                m_prompts.message(this, tr("Kit Log"),
                                  tr("The kit log could not be saved to %1.\n%2").arg(choice.fullPath, result.error),
                                  platform::PromptIcon::Exclamation);
            }
        });
}
