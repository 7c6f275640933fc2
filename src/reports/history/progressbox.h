#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace history {

// How far a long piece of history work got, window-modal over the window that
// waits for it (so nothing there is pressed twice meanwhile), with Cancel. Opened
// without an event loop of its own.
class ProgressBox : public QDialog
{
    Q_OBJECT
public:
    ProgressBox(const QString &text, QWidget *parent);

    void setProgress(qint64 done, qint64 total);

    QLabel *const lblText;
    QProgressBar *const barProgress;
    QPushButton *const cmdCancel;

signals:
    void cancelRequested();

protected:
    // Escape and the close box call the work off like Cancel; the box goes when the work ends.
    void reject() override;
};

} // namespace history
