#include "console/monitor/benchmonitor.h"

#include "console/monitor/monitorlayout.h"

#include "kitlink/kitlink.h"
#include "kitlink/wireformat.h"
#include "platform/atomicfile.h"
#include "platform/prompts.h"
#include "tests/progress.h"

#include <QAreaSeries>
#include <QBuffer>
#include <QChart>
#include <QChartView>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QImageWriter>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QScatterSeries>
#include <QScreen>
#include <QSettings>
#include <QThread>
#include <QValueAxis>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>

namespace {

constexpr double SilenceSeconds = 1.0;  // the kit answers every poll tick; a second without a frame is not normal
constexpr double TopVolts = 30;         // the coil supply goes to 24 V
constexpr double TimeStepSeconds = 20;  // the time axis in round steps, -120 s to now
// Each curve and its axis in one colour, as the main window shows the readings: the
// voltage green, the current red.
const QColor VoltsColour(0, 150, 0);
const QColor MilliampsColour(210, 0, 0);
// Where there is room the monitor is as large as this; below the smallest size
// its chart cannot be read.
constexpr monitorlayout::Sizes MonitorSizes{QSize(1000, 560), QSize(440, 200)};

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

    // No title and the legend at the side: on a 1280 x 1024 screen the room beside
    // the main window is a strip of some 230 rows, and every row goes to the curves.
    m_chart = new QChart;
    m_chart->legend()->setAlignment(Qt::AlignRight);
    m_chart->legend()->setMarkerShape(QLegend::MarkerShapeFromSeries);  // a curve's mark is a piece of it
    m_chart->setMargins(QMargins(4, 4, 4, 4));
    // The axis counts back from now, so a reading keeps its age as it moves left:
    // "-120 s" at the left edge, "0 s" now.
    m_time = new QValueAxis(m_chart);
    m_time->setRange(-m_trace.windowSeconds(), 0);
    m_time->setTickCount(int(m_trace.windowSeconds() / TimeStepSeconds) + 1);
    m_time->setMinorTickCount(1);
    m_time->setLabelFormat(QStringLiteral("%d s"));
    m_voltsAxis = new QValueAxis(m_chart);
    m_voltsAxis->setTitleText(tr("coil voltage (V)"));
    m_voltsAxis->setRange(0, TopVolts);
    m_voltsAxis->setTickCount(monitorlayout::AxisSteps + 1);
    m_voltsAxis->setMinorTickCount(1);
    m_voltsAxis->setLabelFormat(QStringLiteral("%d"));
    // Its ticks fall on the voltage grid; a grid of its own would only cross it.
    m_milliampsAxis = new QValueAxis(m_chart);
    m_milliampsAxis->setTitleText(tr("coil current (mA)"));
    for (const auto &[axis, colour] : {std::pair(m_voltsAxis, VoltsColour), std::pair(m_milliampsAxis, MilliampsColour)}) {
        axis->setTitleBrush(colour);
        axis->setLabelsColor(colour);
        axis->setLinePenColor(colour);
    }
    m_milliampsAxis->setTickCount(monitorlayout::AxisSteps + 1);
    m_milliampsAxis->setGridLineVisible(false);
    scaleMilliamps(0);
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
    for (QLegendMarker *marker : m_chart->legend()->markers(m_busy)) {
        marker->setShape(QLegend::MarkerShapeRectangle);  // a swatch of the band, not of its invisible edge
        marker->setPen(QPen(QColor(200, 200, 80)));
    }

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
    useSegments(1);

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
    auto *state = new QHBoxLayout;
    state->addWidget(lblProcedure, 3);
    state->addWidget(barProgress, 2);
    state->addWidget(lblTimeLeft, 2);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
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
            draw();
    });
    connect(cmdStop, &QPushButton::clicked, this, [this] { m_sources.stop(); });
    connect(cmdExportCsv, &QPushButton::clicked, this, [this] { chooseAndExport(QStringLiteral("csv")); });
    connect(cmdExportPng, &QPushButton::clicked, this, [this] { chooseAndExport(QStringLiteral("png")); });
    m_everySecond.setInterval(500);
    connect(&m_everySecond, &QTimer::timeout, this, [this] {
        checkSilence();
        showProgress();
        if (drawing())
            draw();
    });
}

// An export still writing finishes before its window goes, so that the file is
// whole or as it was.
BenchMonitor::~BenchMonitor()
{
    for (QThread *writer : findChildren<QThread *>())
        writer->wait();
}

namespace {

QSettings monitorSettings()
{
    return QSettings(QStringLiteral("Quillmark"), QStringLiteral("Bench Monitor"));
}

// The window frame's width on each side, as the main window wears it: a window
// not yet shown has none to ask for.
QMargins frameMargins(const QWidget *window)
{
    if (!window)
        return {};
    const QRect frame = window->frameGeometry();
    const QRect inner = window->geometry();
    return {inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
            frame.bottom() - inner.bottom()};
}

bool fitsAScreen(const QRect &frame)
{
    const QList<QScreen *> screens = QGuiApplication::screens();
    return std::any_of(screens.begin(), screens.end(),
                       [&frame](const QScreen *screen) { return screen->availableGeometry().contains(frame); });
}

} // namespace

bool BenchMonitor::wasOpen()
{
    return monitorSettings().value(QStringLiteral("open"), false).toBool();
}

QWidget *BenchMonitor::mainWindow() const
{
    return parentWidget() ? parentWidget()->window() : nullptr;
}

// The main window's frame is known once the window system has put it on the
// screen; before that its place and frame are only what was asked for.
bool BenchMonitor::mainWindowOnScreen() const
{
    const QWidget *main = mainWindow();
    return !main || (main->isVisible() && main->windowHandle() && main->windowHandle()->isExposed());
}

void BenchMonitor::open()
{
    if (m_placed) {
        show();
        raise();
        activateWindow();
        return;
    }
    if (mainWindowOnScreen())
        return placeAndShow();
    // Shown, the main window has a window of its own, which says when it is on the screen.
    mainWindow()->installEventFilter(this);
    if (QWindow *handle = mainWindow()->windowHandle())
        handle->installEventFilter(this);
}

bool BenchMonitor::eventFilter(QObject *watched, QEvent *event)
{
    QWidget *main = mainWindow();
    if (!m_placed && main) {
        if (watched == main && event->type() == QEvent::Show && main->windowHandle())
            main->windowHandle()->installEventFilter(this);
        if (event->type() == QEvent::Expose && mainWindowOnScreen()) {
            main->removeEventFilter(this);
            main->windowHandle()->removeEventFilter(this);
            // After the expose has been handled, when the frame has its place.
            QMetaObject::invokeMethod(this, &BenchMonitor::placeAndShow, Qt::QueuedConnection);
        }
    }
    return QWidget::eventFilter(watched, event);
}

void BenchMonitor::placeAndShow()
{
    if (m_placed)
        return;
    m_placed = true;
    restorePlace();
    open();
}

void BenchMonitor::restorePlace()
{
    const QWidget *main = mainWindow();
    const QMargins frame = frameMargins(main);
    const QRect remembered = monitorSettings().value(QStringLiteral("place")).toRect();
    if (remembered.isValid() && fitsAScreen(remembered.marginsAdded(frame))) {
        setGeometry(remembered);
        return;
    }
    const QScreen *screen = main ? main->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QSize framed = minimumSizeHint().grownBy(frame);
    const monitorlayout::Sizes sizes{MonitorSizes.largest.expandedTo(framed), MonitorSizes.smallest.expandedTo(framed)};
    const QRect placed = monitorlayout::besideMainWindow(main ? main->frameGeometry() : QRect(),
                                                         m_sources.controlPanel ? m_sources.controlPanel() : QRect(),
                                                         sizes, screen->availableGeometry());
    const QRect inner = placed.marginsRemoved(frame);
    resize(inner.size());
    move(placed.topLeft());  // a window's position is its frame's
}

void BenchMonitor::remember(const BenchMonitor *monitor)
{
    QSettings settings = monitorSettings();
    settings.setValue(QStringLiteral("open"), monitor && monitor->isVisible());
    if (monitor)
        settings.setValue(QStringLiteral("place"), monitor->geometry());
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
        m_trace.addSample(
            {seconds, live.volts, live.milliamps, live.state.isEmpty() ? QChar() : live.state.front()});
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

// Everything kept, drawn afresh against now on the monitor's own tick, twice a
// second, never in the event that brought a frame: the main window's readings are
// shown first. Each stretch of readings is a line of its own.
void BenchMonitor::draw()
{
    const double at = now();
    const double from = -m_trace.windowSeconds();
    const std::deque<LiveTrace::Sample> &samples = m_trace.samples();
    const std::vector<LiveTrace::Run> runs = m_trace.runs(SilenceSeconds);
    useSegments(std::max<std::size_t>(runs.size(), 1));

    double largestMilliamps = 0;
    QList<QPointF> busyTop;
    for (std::size_t r = 0; r < runs.size(); ++r) {
        QList<QPointF> volts, milliamps;
        double busyLevel = 0;
        double x = 0;
        for (std::size_t i = runs[r].first; i < runs[r].last; ++i) {
            const LiveTrace::Sample &sample = samples[i];
            x = sample.seconds - at;
            volts << QPointF(x, double(sample.volts));
            milliamps << QPointF(x, double(sample.milliamps));
            if (x >= from)
                largestMilliamps = std::max(largestMilliamps, double(sample.milliamps));
            // The band steps where the kit's state changed, and lies down at the
            // ends of a stretch: nobody knows what the kit did in between.
            const double level = sample.state == QLatin1Char('B') ? TopVolts : 0;
            if (i == runs[r].first)
                busyTop << QPointF(x, 0);
            if (level != busyLevel)
                busyTop << QPointF(x, busyLevel) << QPointF(x, level);
            busyLevel = level;
        }
        busyTop << QPointF(x, busyLevel) << QPointF(x, 0);
        m_segments[r].volts->replace(volts);
        m_segments[r].milliamps->replace(milliamps);
    }
    if (runs.empty()) {
        m_segments.front().volts->clear();
        m_segments.front().milliamps->clear();
    }
    m_busyTop->replace(busyTop);

    QList<QPointF> voltMarkers, milliampMarkers;
    for (const LiveTrace::Marker &marker : m_trace.markers()) {
        const QPointF point(marker.seconds - at, double(marker.value));
        if (marker.milliamps) {
            milliampMarkers << point;
            if (point.x() >= from)
                largestMilliamps = std::max(largestMilliamps, point.y());
        } else {
            voltMarkers << point;
        }
    }
    m_voltMarkers->replace(voltMarkers);
    m_milliampMarkers->replace(milliampMarkers);
    scaleMilliamps(largestMilliamps);
}

// The current axis holds what the coil draws, in round steps: fixed by the coil once
// it is measured, so that the trace keeps its scale through a ramp; a reading above
// that still fits.
void BenchMonitor::scaleMilliamps(double largest)
{
    const double coil = m_sources.coil ? monitorlayout::coilMilliamps(m_sources.coil()) : 0;
    const double top = monitorlayout::milliampsAxisTop(std::max(coil, largest));
    if (top == m_milliampsAxis->max())
        return;
    m_milliampsAxis->setRange(0, top);
    const double step = top / monitorlayout::AxisSteps;
    m_milliampsAxis->setLabelFormat(step == std::floor(step) ? QStringLiteral("%d") : QStringLiteral("%.1f"));
}

// As many line pairs as there are stretches of readings; the legend names the
// first pair only.
void BenchMonitor::useSegments(std::size_t count)
{
    while (m_segments.size() > count) {
        for (QLineSeries *series : {m_segments.back().volts, m_segments.back().milliamps}) {
            m_chart->removeSeries(series);
            delete series;
        }
        m_segments.pop_back();
    }
    const auto line = [this](const QString &name, QValueAxis *axis, const QColor &colour) {
        auto *series = new QLineSeries(m_chart);
        series->setName(name);
        QPen pen(colour);
        pen.setWidthF(2.5);
        series->setPen(pen);
        m_chart->addSeries(series);
        series->attachAxis(m_time);
        series->attachAxis(axis);
        if (!m_segments.empty()) {
            for (QLegendMarker *marker : m_chart->legend()->markers(series))
                marker->setVisible(false);
        }
        return series;
    };
    while (m_segments.size() < count) {
        QLineSeries *volts = line(tr("coil voltage (V, left)"), m_voltsAxis, VoltsColour);
        QLineSeries *milliamps = line(tr("coil current (mA, right)"), m_milliampsAxis, MilliampsColour);
        // Where both run at the top of their axes (a 24 V coil drawing 27 mA on 0-30
        // mA) one lies on the other: the current is drawn dashed, and over the voltage.
        QPen dashed = milliamps->pen();
        dashed.setWidthF(2);
        dashed.setStyle(Qt::DashLine);
        milliamps->setPen(dashed);
        m_segments.push_back({volts, milliamps});
    }
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
    } else if (report.onOperator) {
        lblTimeLeft->setText(tr("time left unknown: waiting for the operator"));
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
    draw();
    showProgress();
    m_everySecond.start();
}

void BenchMonitor::hideEvent(QHideEvent *event)
{
    m_everySecond.stop();
    QWidget::hideEvent(event);
}

QList<QList<QPointF>> BenchMonitor::drawnLines(bool milliamps) const
{
    QList<QList<QPointF>> lines;
    for (const Segment &segment : m_segments) {
        const QList<QPointF> points = (milliamps ? segment.milliamps : segment.volts)->points();
        if (!points.isEmpty())
            lines << points;
    }
    return lines;
}

QList<QPointF> BenchMonitor::drawnPoints(bool milliamps) const
{
    QList<QPointF> points;
    for (const QList<QPointF> &line : drawnLines(milliamps))
        points += line;
    return points;
}

QList<QPointF> BenchMonitor::drawnMarkers() const
{
    return m_voltMarkers->points() + m_milliampMarkers->points();
}

void BenchMonitor::chooseAndExport(const QString &extension)
{
    m_sources.prompts.saveFile(
        this, tr("Export the trace"), m_exportFolder, extension, [this, extension](const platform::FileChoice &choice) {
            if (choice.fullPath.isEmpty())
                return;
            m_exportFolder = QFileInfo(choice.fullPath).absolutePath();
            if (extension == QLatin1String("csv"))
                exportCsv(choice.fullPath);
            else
                exportPng(choice.fullPath);
        });
}

void BenchMonitor::exportCsv(const QString &path)
{
    writeAway(path, [path, csv = m_trace.toCsv()] { return platform::replaceFileAtomically(path, csv); });
}

// The chart is taken on this thread, where it is drawn; it is encoded and written
// on the writer's.
void BenchMonitor::exportPng(const QString &path)
{
    writeAway(path, [path, picture = chartView->grab().toImage()] {
        QBuffer png;
        png.open(QIODevice::WriteOnly);
        QImageWriter writer(&png, "PNG");
        if (!writer.write(picture))
            return platform::WriteResult{false, writer.errorString()};
        return platform::replaceFileAtomically(path, png.data());
    });
}

// A full disk or a slow network folder holds the writer, never the kit's thread.
void BenchMonitor::writeAway(const QString &path, std::function<platform::WriteResult()> write)
{
    auto result = std::make_shared<platform::WriteResult>();
    QThread *writer = QThread::create([write = std::move(write), result] { *result = write(); });
    writer->setParent(this);
    connect(writer, &QThread::finished, this, [this, writer, path, result] {
        writer->deleteLater();
        if (!result->ok)
            m_sources.prompts.message(
                this, tr("Bench Monitor"),
                tr("The trace was not exported to %1: %2.\nA file of that name is left as it was.")
                    .arg(QDir::toNativeSeparators(path), result->error),
                platform::PromptIcon::Exclamation);
        emit exported(path, result->ok, result->error);
    });
    writer->start();
}
