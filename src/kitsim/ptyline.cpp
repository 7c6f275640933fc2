#include "kitsim/ptyline.h"

#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr int ResumeAfterHangUpMs = 200;

} // namespace

PtyLine::PtyLine(QObject *parent)
    : QObject(parent)
{
    m_resume.setSingleShot(true);
    m_resume.setInterval(ResumeAfterHangUpMs);
    connect(&m_resume, &QTimer::timeout, this, [this] {
        if (m_notifier)
            m_notifier->setEnabled(true);
    });
}

PtyLine::~PtyLine()
{
    unlink();
    delete m_notifier;
    delete m_writable;
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
}

bool PtyLine::fail(const QString &what)
{
    m_error = QStringLiteral("%1: %2").arg(what, QString::fromLocal8Bit(std::strerror(errno)));
    return false;
}

bool PtyLine::open()
{
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0)
        return fail(QStringLiteral("posix_openpt"));
    if (::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0)
        return fail(QStringLiteral("grantpt/unlockpt"));
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
    const char *name = ::ptsname(m_master);
    if (!name)
        return fail(QStringLiteral("ptsname"));
    m_slavePath = QString::fromLocal8Bit(name);

    m_slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_slave < 0)
        return fail(QStringLiteral("open %1").arg(m_slavePath));
    // The kit's side of a serial line: 9600 baud, 8 data bits, no parity, 1 stop bit,
    // no handshaking, and raw, so a carriage return arrives as it was sent and nothing
    // is echoed back to the bench.
    termios settings{};
    if (::tcgetattr(m_slave, &settings) != 0)
        return fail(QStringLiteral("tcgetattr"));
    ::cfmakeraw(&settings);
    ::cfsetispeed(&settings, B9600);
    ::cfsetospeed(&settings, B9600);
    settings.c_cflag &= ~(PARENB | CSTOPB | CSIZE | CRTSCTS);
    settings.c_cflag |= CS8 | CREAD | CLOCAL;
    if (::tcsetattr(m_slave, TCSANOW, &settings) != 0)
        return fail(QStringLiteral("tcsetattr"));

    m_notifier = new QSocketNotifier(m_master, QSocketNotifier::Read);
    connect(m_notifier, &QSocketNotifier::activated, this, &PtyLine::readMaster);
    m_writable = new QSocketNotifier(m_master, QSocketNotifier::Write);
    m_writable->setEnabled(false);
    connect(m_writable, &QSocketNotifier::activated, this, &PtyLine::writeWaiting);
    return true;
}

bool PtyLine::link(const QString &linkPath)
{
    const QFileInfo old(linkPath);
    if (old.isSymLink()) {
        if (!QFile::remove(linkPath))
            return fail(QStringLiteral("remove %1").arg(linkPath));
    } else if (old.exists()) {
        m_error = QStringLiteral("%1 exists and is not a link; it is left alone").arg(linkPath);
        return false;
    }
    if (::symlink(m_slavePath.toLocal8Bit().constData(), linkPath.toLocal8Bit().constData()) != 0)
        return fail(QStringLiteral("symlink %1").arg(linkPath));
    m_linkPath = linkPath;
    return true;
}

void PtyLine::unlink()
{
    if (m_linkPath.isEmpty())
        return;
    // Another kit may have taken the name over since; its link is not ours to remove.
    if (QFileInfo(m_linkPath).symLinkTarget() == m_slavePath)
        QFile::remove(m_linkPath);
    m_linkPath.clear();
}

void PtyLine::write(const QByteArray &bytes)
{
    // The master is non-blocking and a pseudo-terminal holds only a few kilobytes:
    // giving up on the first full buffer lost all but the start of a long burst and
    // the frames behind it, so the bench never saw the burst it was meant to survive.
    if (m_master < 0)
        return;
    const qsizetype room = MaxWaitingBytes - m_waiting.size();
    m_waiting += bytes.left(std::max<qsizetype>(room, 0));
    writeWaiting();
}

void PtyLine::writeWaiting()
{
    qsizetype done = 0;
    while (done < m_waiting.size()) {
        const ssize_t n = ::write(m_master, m_waiting.constData() + done,
                                  static_cast<size_t>(m_waiting.size() - done));
        if (n > 0)
            done += n;
        else if (n < 0 && errno == EINTR)
            continue;
        else
            break;  // the line is full: the rest goes when the bench has read some
    }
    m_waiting.remove(0, done);
    if (m_writable)
        m_writable->setEnabled(!m_waiting.isEmpty());
}

void PtyLine::readMaster()
{
    char buffer[256];
    for (;;) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n > 0) {
            emit received(QByteArray(buffer, static_cast<qsizetype>(n)));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN)
            return;
        // End of file or EIO: no slave end open. With our own slave descriptor this
        // should not happen, but if it does, wait instead of spinning on it.
        m_notifier->setEnabled(false);
        m_resume.start();
        return;
    }
}
