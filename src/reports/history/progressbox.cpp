#include "reports/history/progressbox.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace history {

ProgressBox::ProgressBox(const QString &text, QWidget *parent)
    : QDialog(parent)
    , lblText(new QLabel(text, this))
    , barProgress(new QProgressBar(this))
    , cmdCancel(new QPushButton(tr("Cancel"), this))
{
    setObjectName(QStringLiteral("frmHistoryProgress"));
    setWindowTitle(tr("Results history"));
    barProgress->setObjectName(QStringLiteral("barProgress"));
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    barProgress->setRange(0, 0);
    auto *column = new QVBoxLayout(this);
    column->addWidget(lblText);
    column->addWidget(barProgress);
    column->addWidget(cmdCancel, 0, Qt::AlignRight);
    connect(cmdCancel, &QPushButton::clicked, this, &ProgressBox::reject);
}

void ProgressBox::setProgress(qint64 done, qint64 total)
{
    if (total <= 0) {
        barProgress->setRange(0, 0);
        return;
    }
    barProgress->setRange(0, 1000);
    barProgress->setValue(int(1000 * std::clamp<qint64>(done, 0, total) / total));
}

void ProgressBox::reject()
{
    cmdCancel->setEnabled(false);
    lblText->setText(tr("Stopping..."));
    emit cancelRequested();
}

} // namespace history
