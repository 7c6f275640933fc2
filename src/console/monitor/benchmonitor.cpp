#include "console/monitor/benchmonitor.h"

#include "kitlink/kitlink.h"
#include "kitlink/wireformat.h"
#include "platform/atomicfile.h"
#include "platform/prompts.h"
#include "tests/progress.h"

#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QScatterSeries>
#include <QSettings>
#include <QValueAxis>
#include <QVBoxLayout>

#include <cmath>

namespace {

constexpr double SilenceSeconds = 1.0;  // the kit answers every poll tick; a second without a frame is not normal
constexpr double TopVolts = 30;         // the coil supply goes to 24 V
constexpr double TopMilliamps = 600;    // the QTA2 source drives 500 mA

QString resultLabel(wire::FrameKind kind)
{
    switch (kind) {
    case wire::FrameKind::PickUp:
    case wire::FrameKind::PickUpCurrent: return QStringLiteral("pick-up");
    case wire::FrameKind::Coil2PickUp: return QStringLiteral("coil-2 pick-up");
    case wire::FrameKind::DropAway:
    case wire::FrameKind::DropAwayCurrent: return QStringLiteral("drop-away");
    default: return {};
    }
}

QPushButton *button(const char *name, const QString &text, QWidget *parent)
{
    auto *made = new QPushButton(text, parent);
    made->setObjectName(QString::fromLatin1(name));
    made->setAccessibleName(text.trimmed().remove(QLatin1Char('&')));
    return made;
}

QLabel *label(const char *name, QWidget *parent)
{
    auto *made = new QLabel(parent);
    made->setObjectName(QString::fromLatin1(name));
    return made;
}

} // namespace

BenchMonitor::BenchMonitor(Sources sources, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , cmdPause(button("cmdPause", tr("&Pause"), this))
    , cmdExportCsv(button("cmdExportCsv", tr("Export &CSV..."), this))
    , cmdExportPng(button("cmdExportPng", tr("Export P&NG..."), this))
    , cmdStop(button("cmdStop", tr("&Stop"), this))
    , lblProcedure(label("lblProcedure", this))
    , barProgress(new QProgressBar(this))
    , lblTimeLeft(label("lblTimeLeft", this))
    , lblSilence(label("lblSilence", this))
    , chartView(new QChartView(this))
    , m_sources(std::move(sources))
{
    setObjectName(QStringLiteral("frmBenchMonitor"));
    setWindowTitle(QStringLiteral("Bench Monitor"));
    resize(760, 480);
    m_clock.start();
    m_exportFolder = QDir::homePath();

    m_chart = new QChart;
    m_chart->setTitle(tr("Coil voltage and current, last two minutes"));
    m_time = new QValueAxis(m_chart);
    m_time->setTitleText(tr("seconds"));
    m_time->setRange(-m_trace.windowSeconds(), 0);
    m_voltsAxis = new QValueAxis(m_chart);
    m_voltsAxis->setTitleText(tr("coil voltage (V)"));
    m_voltsAxis->setRange(0, TopVolts);
    m_milliampsAxis = new QValueAxis(m_chart);
    m_milliampsAxis->setTitleText(tr("coil current (mA)"));
    m_milliampsAxis->setRange(0, TopMilliamps);
    m_chart->addAxis(m_time, Qt::AlignBottom);
    m_chart->addAxis(m_voltsAxis, Qt::AlignLeft);
    m_chart->addAxis(m_milliampsAxis, Qt::AlignRight);

    // The kit's busy stretches as a shaded band behind the curves.
    m_busyTop = new QLineSeries(m_chart);
    m_busy = new QAreaSeries(m_busyTop);
    m_busy->setName(tr("kit busy"));
    m_busy->setColor(QColor(255, 255, 128, 110));
    m_busy->setBorderColor(Qt::transparent);
    m_chart->addSeries(m_busy);
    m_busy->attachAxis(m_time);
    m_busy->attachAxis(m_voltsAxis);

    const auto markers = [this](const QString &name, QValueAxis *axis, const QColor &colour) {
        auto *series = new QScatterSeries(m_chart);
        series->setName(name);
        series->setColor(colour);
        series->setMarkerSize(9);
        series->setPointLabelsVisible(true);
        series->setPointLabelsFormat(QStringLiteral("@yPoint"));
        m_chart->addSeries(series);
        series->attachAxis(m_time);
        series->attachAxis(axis);
        return series;
    };
    m_voltMarkers = markers(tr("result (V)"), m_voltsAxis, QColor(0, 128, 255));
    m_milliampMarkers = markers(tr("result (mA)"), m_milliampsAxis, QColor(200, 0, 200));
    newSegment();

    // setChart() hands back the view's own default chart without deleting it.
    QChart *const defaultChart = chartView->chart();
    chartView->setChart(m_chart);
    delete defaultChart;
    chartView->setRenderHint(QPainter::Antialiasing);
    chartView->setObjectName(QStringLiteral("chartTrace"));
    chartView->setAccessibleName(tr("Live trace of coil voltage and current"));
    chartView->setFocusPolicy(Qt::StrongFocus);

    barProgress->setObjectName(QStringLiteral("barProgress"));
    barProgress->setAccessibleName(tr("Progress of the running procedure"));
    cmdPause->setCheckable(true);
    lblSilence->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold"));

    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {cmdPause, cmdExportCsv, cmdExportPng})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(lblSilence);
    buttons->addStretch();
    buttons->addWidget(cmdStop);
    auto *state = new QGridLayout;
    state->addWidget(lblProcedure, 0, 0, 1, 2);
    state->addWidget(barProgress, 1, 0);
    state->addWidget(lblTimeLeft, 1, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(chartView, 1);
    layout->addLayout(state);
    layout->addLayout(buttons);
    setTabOrder(chartView, cmdPause);
    setTabOrder(cmdPause, cmdExportCsv);
    setTabOrder(cmdExportCsv, cmdExportPng);
    setTabOrder(cmdExportPng, cmdStop);

    connect(&m_sources.link, &KitLink::frameReceived, this, &BenchMonitor::onFrame);
    connect(&m_sources.progress, &Progress::changed, this, [this] {
        if (isVisible())
            showProgress();
    });
    connect(cmdPause, &QPushButton::toggled, this, [this](bool paused) {
        cmdPause->setText(paused ? tr("&Resume") : tr("&Pause"));
        if (!paused)
            redraw();
    });
    connect(cmdStop, &QPushButton::clicked, this, [this] { m_sources.stop(); });
    connect(cmdExportCsv, &QPushButton::clicked, this, [this] { chooseAndExport(QStringLiteral("csv")); });
    connect(cmdExportPng, &QPushButton::clicked, this, [this] { chooseAndExport(QStringLiteral("png")); });
    m_everySecond.setInterval(500);
    connect(&m_everySecond, &QTimer::timeout, this, [this] {
        checkSilence();
        showProgress();
        if (drawing())
            drawNew();
    });
}

namespace {

QSettings monitorSettings()
{
    return QSettings(QStringLiteral("Quillmark"), QStringLiteral("Bench Monitor"));
}

} // namespace

bool BenchMonitor::wasOpen()
{
    return monitorSettings().value(QStringLiteral("open"), false).toBool();
}

void BenchMonitor::restorePlace()
{
    restoreGeometry(monitorSettings().value(QStringLiteral("geometry")).toByteArray());
}

void BenchMonitor::remember(const BenchMonitor *monitor)
{
    QSettings settings = monitorSettings();
    settings.setValue(QStringLiteral("open"), monitor && monitor->isVisible());
    if (monitor)
        settings.setValue(QStringLiteral("geometry"), monitor->saveGeometry());
}

double BenchMonitor::now() const
{
    return m_now ? m_now() : double(m_clock.elapsed()) / 1000.0;
}

bool BenchMonitor::drawing() const
{
    return isVisible() && !cmdPause->isChecked();
}

void BenchMonitor::onFrame(const QString &frame)
{
    const double seconds = now();
    if (m_silent) {
        m_silent = false;
        lblSilence->clear();
        m_trace.addGap({m_lastFrame, seconds});
    }
    m_lastFrame = seconds;

    const wire::FrameKind kind = wire::classify(frame);
    if (kind == wire::FrameKind::LiveReadings) {
        const wire::LiveReadings live = wire::decodeLiveReadings(frame);
        addSample({seconds, live.volts, live.milliamps, live.state.isEmpty() ? QChar() : live.state.front()});
        return;
    }
    const QString result = resultLabel(kind);
    if (result.isEmpty())
        return;
    LiveTrace::Marker marker{seconds, 0, false, {}};
    if (kind == wire::FrameKind::PickUpCurrent || kind == wire::FrameKind::DropAwayCurrent) {
        marker.value = wire::decodeRampCurrent(frame);
        marker.milliamps = true;
        marker.label = result + QStringLiteral(" %1 mA").arg(double(marker.value), 0, 'f', 0);
    } else {
        marker.value = wire::decodeRampResult(frame).volts;
        marker.label = result + QStringLiteral(" %1 V").arg(double(marker.value), 0, 'f', 2);
    }
    m_trace.addMarker(marker);
}

void BenchMonitor::addSample(const LiveTrace::Sample &sample)
{
    m_trace.addSample(sample);
}

// What came since the last drawing, added to the curves. The chart is drawn on the
// monitor's own tick, twice a second, never in the event that brought a frame: the
// main window's readings are shown first.
void BenchMonitor::drawNew()
{
    const std::deque<LiveTrace::Sample> &samples = m_trace.samples();
    auto sample = std::upper_bound(samples.begin(), samples.end(), m_drawnUntil,
                                   [](double seconds, const LiveTrace::Sample &s) { return seconds < s.seconds; });
    if (!m_trace.gaps().empty() && m_trace.gaps().back().to > m_drawnUntil)
        newSegment();
    QList<QPointF> volts, milliamps;
    for (; sample != samples.end(); ++sample) {
        volts << QPointF(sample->seconds, double(sample->volts));
        milliamps << QPointF(sample->seconds, double(sample->milliamps));
        const bool busy = sample->state == QLatin1Char('B');
        if (busy != m_drawnBusy)  // a step, so the band starts and ends where the state changed
            m_busyTop->append(sample->seconds, m_drawnBusy ? TopVolts : 0);
        m_busyTop->append(sample->seconds, busy ? TopVolts : 0);
        m_drawnBusy = busy;
    }
    m_segments.back().volts->append(volts);
    m_segments.back().milliamps->append(milliamps);
    for (const LiveTrace::Marker &marker : m_trace.markers()) {
        if (marker.seconds > m_markersUntil)
            (marker.milliamps ? m_milliampMarkers : m_voltMarkers)->append(marker.seconds, double(marker.value));
    }
    if (!samples.empty())
        m_drawnUntil = samples.back().seconds;
    if (!m_trace.markers().empty())
        m_markersUntil = m_trace.markers().back().seconds;
    scrollTo(now());
}

// Older points leave the chart as they leave the window.
void BenchMonitor::scrollTo(double seconds)
{
    const double from = seconds - m_trace.windowSeconds();
    m_time->setRange(from, seconds);
    const auto dropOld = [from](QXYSeries *series) {
        int old = 0;
        while (old < series->count() && series->at(old).x() < from)
            ++old;
        if (old > 1)
            series->removePoints(0, old - 1);  // one stays, so a curve enters from the edge
    };
    for (const Segment &segment : m_segments) {
        dropOld(segment.volts);
        dropOld(segment.milliamps);
    }
    while (m_segments.size() > 1 && m_segments.front().volts->count() <= 1
           && (m_segments.front().volts->count() == 0 || m_segments.front().volts->at(0).x() < from)) {
        m_chart->removeSeries(m_segments.front().volts);
        m_chart->removeSeries(m_segments.front().milliamps);
        delete m_segments.front().volts;
        delete m_segments.front().milliamps;
        m_segments.erase(m_segments.begin());
    }
    for (QXYSeries *series : {static_cast<QXYSeries *>(m_busyTop), static_cast<QXYSeries *>(m_voltMarkers),
                              static_cast<QXYSeries *>(m_milliampMarkers)})
        dropOld(series);
}

void BenchMonitor::newSegment()
{
    const auto line = [this](const QString &name, QValueAxis *axis, const QColor &colour) {
        auto *series = new QLineSeries(m_chart);
        series->setName(name);
        series->setColor(colour);
        m_chart->addSeries(series);
        series->attachAxis(m_time);
        series->attachAxis(axis);
        return series;
    };
    m_segments.push_back({line(tr("coil voltage"), m_voltsAxis, QColor(0, 160, 0)),
                          line(tr("coil current"), m_milliampsAxis, QColor(200, 0, 0))});
    // One entry a curve in the legend, however many pieces it is drawn in.
    const auto markersOf = [this](QAbstractSeries *series) { return m_chart->legend()->markers(series); };
    if (m_segments.size() > 1) {
        for (QAbstractSeries *series : {static_cast<QAbstractSeries *>(m_segments.back().volts),
                                        static_cast<QAbstractSeries *>(m_segments.back().milliamps)})
            for (auto *marker : markersOf(series))
                marker->setVisible(false);
    }
}

// Everything kept, drawn afresh: on opening, and on resuming after a pause.
void BenchMonitor::redraw()
{
    for (const Segment &segment : m_segments) {
        m_chart->removeSeries(segment.volts);
        m_chart->removeSeries(segment.milliamps);
        delete segment.volts;
        delete segment.milliamps;
    }
    m_segments.clear();
    newSegment();
    m_busyTop->clear();
    m_voltMarkers->clear();
    m_milliampMarkers->clear();
    m_drawnBusy = false;
    m_drawnUntil = -1;
    // The gaps split the curves: each piece is drawn into a segment of its own.
    const std::deque<LiveTrace::Sample> &samples = m_trace.samples();
    std::size_t gap = 0;
    QList<QPointF> volts, milliamps;
    for (const LiveTrace::Sample &sample : samples) {
        if (gap < m_trace.gaps().size() && sample.seconds >= m_trace.gaps()[gap].to) {
            m_segments.back().volts->replace(volts);
            m_segments.back().milliamps->replace(milliamps);
            volts.clear();
            milliamps.clear();
            newSegment();
            ++gap;
        }
        volts << QPointF(sample.seconds, double(sample.volts));
        milliamps << QPointF(sample.seconds, double(sample.milliamps));
        const bool busy = sample.state == QLatin1Char('B');
        if (busy != m_drawnBusy)
            m_busyTop->append(sample.seconds, m_drawnBusy ? TopVolts : 0);
        m_busyTop->append(sample.seconds, busy ? TopVolts : 0);
        m_drawnBusy = busy;
    }
    m_segments.back().volts->replace(volts);
    m_segments.back().milliamps->replace(milliamps);
    for (const LiveTrace::Marker &marker : m_trace.markers())
        (marker.milliamps ? m_milliampMarkers : m_voltMarkers)->append(marker.seconds, double(marker.value));
    m_drawnUntil = samples.empty() ? -1 : samples.back().seconds;
    m_markersUntil = m_trace.markers().empty() ? -1 : m_trace.markers().back().seconds;
    scrollTo(now());
}

// The kit answers every poll tick, so a second without a frame while the bench polls
// means it has gone quiet. While a test holds the poll (a contact run, the coil
// measurement) the kit speaks only when a reading is due, and that is no silence.
void BenchMonitor::checkSilence()
{
    if (!m_sources.tmrComm.isActive() || m_sources.link.poll.pollHold()) {
        if (!m_silent)
            lblSilence->clear();
        m_lastFrame = now();
        return;
    }
    if (m_lastFrame < 0)
        m_lastFrame = now();
    const double quiet = now() - m_lastFrame;
    if (quiet <= SilenceSeconds)
        return;
    m_silent = true;
    lblSilence->setText(tr("No answer from the kit for %1 s").arg(int(std::floor(quiet))));
}

void BenchMonitor::showProgress()
{
    const Progress::Report report = m_sources.progress.report();
    lblProcedure->setText(report.text.isEmpty() ? tr("No test running") : report.text);
    barProgress->setRange(0, report.text.isEmpty() ? 1 : report.total);  // 0..0: running, count unknown
    barProgress->setValue(report.text.isEmpty() ? 0 : report.done);
    if (report.text.isEmpty()) {
        lblTimeLeft->clear();
    } else if (!report.waitsLeft) {
        lblTimeLeft->setText(tr("time left unknown: waiting on the kit"));
    } else {
        // The running wait ends with tmrTout's tick; each one after it takes a whole period.
        const QTimer &tout = m_sources.tmrTout;
        const int runningMs = tout.isActive() ? tout.remainingTime() : 0;
        const int waitsAfter = std::max(0, *report.waitsLeft - (tout.isActive() ? 1 : 0));
        const int leftMs = runningMs + waitsAfter * tout.interval();
        lblTimeLeft->setText(tr("%1 s left").arg((leftMs + 999) / 1000));
    }
}

void BenchMonitor::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    redraw();
    showProgress();
    m_everySecond.start();
}

void BenchMonitor::hideEvent(QHideEvent *event)
{
    m_everySecond.stop();
    QWidget::hideEvent(event);
}

QList<QPointF> BenchMonitor::drawnPoints(bool milliamps) const
{
    QList<QPointF> points;
    for (const Segment &segment : m_segments)
        points += (milliamps ? segment.milliamps : segment.volts)->points();
    return points;
}

QList<QPointF> BenchMonitor::drawnMarkers() const
{
    return m_voltMarkers->points() + m_milliampMarkers->points();
}

void BenchMonitor::chooseAndExport(const QString &extension)
{
    platform::Prompts::current().saveFile(
        this, tr("Export the trace"), m_exportFolder, extension, [this, extension](const platform::FileChoice &choice) {
            if (choice.fullPath.isEmpty())
                return;
            m_exportFolder = QFileInfo(choice.fullPath).absolutePath();
            QString why;
            if (!(extension == QLatin1String("csv") ? exportCsv(choice.fullPath, why) : exportPng(choice.fullPath, why)))
                platform::Prompts::current().message(this, tr("Bench Monitor"),
                                                     tr("The trace was not exported: %1").arg(why),
                                                     platform::PromptIcon::Exclamation);
        });
}

bool BenchMonitor::exportCsv(const QString &path, QString &why) const
{
    const platform::WriteResult written = platform::replaceFileAtomically(path, m_trace.toCsv());
    why = written.error;
    return written.ok;
}

bool BenchMonitor::exportPng(const QString &path, QString &why)
{
    if (chartView->grab().save(path, "PNG"))
        return true;
    why = tr("the picture could not be written to %1").arg(path);
    return false;
}
