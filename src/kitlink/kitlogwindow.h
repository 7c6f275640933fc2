#pragma once

#include <QDialog>
#include <QList>
#include <QPointer>
#include <QString>
#include <QTimer>

#include "kitlink/kitlog.h"

class QCheckBox;
class QLabel;
class QPlainTextEdit;
namespace platform {
class Prompts;
}

// The kit log on screen: the traffic so far, then each new command and frame as it
// happens, so the engineer can watch the poll cycle while the kit runs a ramp; or,
// with the live readings hidden, only what the tests said to the kit and heard back.
class KitLogWindow : public QDialog
{
    Q_OBJECT
public:
    // folder is where the save dialog opens first.
    KitLogWindow(KitLog &log, platform::Prompts &prompts, const QString &folder = {}, QWidget *parent = nullptr);

    QPlainTextEdit *const txtLog;
    QLabel *const lblLegend;
    QCheckBox *const chkHideLive;

private:
    void showAll();
    void showSome();
    void showLatest();
    void addLine(const KitLog::Entry &entry, QStringList &lines) const;
    void save();

    QPointer<KitLog> m_log;
    platform::Prompts &m_prompts;
    QString m_folder;
    // A full log is ten thousand lines: they go into the window a few hundred on
    // each turn of the event loop, so the poll tick never waits for them.
    QList<KitLog::Entry> m_backlog;
    qsizetype m_shown = 0;
    QTimer m_filling;
};
