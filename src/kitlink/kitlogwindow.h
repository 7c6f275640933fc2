#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>

class KitLog;
class QPlainTextEdit;

// The kit log on screen: the traffic so far, then each new command and frame as it
// happens, so the engineer can watch the poll cycle while the kit runs a ramp.
class KitLogWindow : public QDialog
{
    Q_OBJECT
public:
    // folder is where the save dialog opens first.
    explicit KitLogWindow(KitLog &log, const QString &folder = {}, QWidget *parent = nullptr);

private:
    void showLatest();
    void save();

    QPointer<KitLog> m_log;
    QString m_folder;
    QPlainTextEdit *m_text = nullptr;
};
