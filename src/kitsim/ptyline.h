#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

class QSocketNotifier;

// The stand-alone kit's end of the line: a pseudo-terminal whose other end the bench
// opens as its serial port, reached through a COM<n> link in a folder of the user's
// choosing. The kit keeps a slave descriptor of its own open, so the master never
// sees a hang-up when the bench closes its port and opens it again.
class PtyLine : public QObject
{
    Q_OBJECT
public:
    explicit PtyLine(QObject *parent = nullptr);
    ~PtyLine() override;

    bool open();
    // Points linkPath at the slave device, replacing an old link of that name.
    bool link(const QString &linkPath);
    // Removes the link, if it is still ours.
    void unlink();

    QString slavePath() const { return m_slavePath; }
    QString errorString() const { return m_error; }

    // Hands the bytes to the line in order. What the pseudo-terminal cannot take at
    // once waits here and goes out as the bench reads, as a real kit's transmitter
    // would keep sending; only beyond MaxWaitingBytes is the rest lost.
    void write(const QByteArray &bytes);

    static constexpr qsizetype MaxWaitingBytes = 16 * 1024 * 1024;

signals:
    void received(const QByteArray &bytes);

private:
    void readMaster();
    void writeWaiting();
    bool fail(const QString &what);

    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
    QString m_linkPath;
    QString m_error;
    QSocketNotifier *m_notifier = nullptr;
    QSocketNotifier *m_writable = nullptr;  // on while bytes wait for room on the line
    QByteArray m_waiting;
    QTimer m_resume;  // listens again a while after a hang-up, instead of spinning on it
};
