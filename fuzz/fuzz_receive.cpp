// Arbitrary bytes from the kit, in arbitrary pieces, through the receive handler:
// no crash, no sanitizer report, and the receive buffer never outgrows a frame plus
// the piece that is being added.

#include "console/record/benchrecord.h"
#include "kitlink/kitlink.h"
#include "kitlink/kitport.h"
#include "kitlink/linkview.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdint>
#include <cstdlib>

namespace {

class FedPort final : public KitPort
{
public:
    bool open(const QString &) override { return true; }
    bool isOpen() const override { return true; }
    QString errorString() const override { return {}; }
    bool write(const QByteArray &) override { return true; }
    QByteArray readAll() override { return std::exchange(pending, {}); }
    void setReceiveEvents(bool) override {}
    QByteArray pending;
};

class NoView final : public LinkView
{
public:
    void showCommStatus(const QString &) override {}
    void showLiveReadings(const QString &, const QString &, bool) override {}
    void tellPortError(const QString &, const QString &) override {}
};

// Told of every result frame that no run waits for, as the procedures are.
class WholeFramesOnly final : public UnaskedAnswers
{
public:
    void unasked(wire::FrameKind, const QString &frame) override
    {
        if (frame.isEmpty() || !frame.endsWith(QLatin1Char('\r')))
            std::abort();  // a handed-on frame always ends in its carriage return
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_receive";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);

    BenchRecord record;
    FedPort port;
    NoView view;
    QTimer tmrPortOpen, tmrComm, tmrTout, tmrPortWatch;
    platform::WaitStack waits;
    KitLink link(record, port, view, {tmrPortOpen, tmrComm, tmrTout, tmrPortWatch}, waits);
    WholeFramesOnly results;
    link.receiver.tellUnasked(&results);

    // The first byte of each piece says how long the piece is.
    size_t at = 0;
    while (at < size) {
        const size_t length = std::min<size_t>(1 + data[at] % 32, size - at - 1 + 1);
        const size_t start = at + 1;
        const size_t end = std::min(size, start + length);
        port.pending = QByteArray(reinterpret_cast<const char *>(data + start), qsizetype(end - start));
        const qsizetype piece = port.pending.size();
        link.receiver.onDataReceived();
        if (link.receiver.pending().size() > 21 + piece)
            std::abort();
        at = end;
    }
    return 0;
}
