#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>

class KitLog;
class QCheckBox;
class QLabel;
class QPlainTextEdit;

// The kit log on screen: the traffic so far, then each new command and frame as it
// happens, so the engineer can watch the poll cycle while the kit runs a ramp; or,
// with the live readings hidden, only what the tests said to the kit and heard back.
class KitLogWindow : public QDialog
{
    Q_OBJECT
public:
    // folder is where the save dialog opens first.
    explicit KitLogWindow(KitLog &log, const QString &folder = {}, QWidget *parent = nullptr);

    QPlainTextEdit *const txtLog;
    QLabel *const lblLegend;
    QCheckBox *const chkHideLive;

private:
    void showAll();
    void showLatest();
    void save();

    QPointer<KitLog> m_log;
    QString m_folder;
};
