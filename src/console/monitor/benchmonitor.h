#pragma once

#include "console/monitor/livetrace.h"
#include "console/monitor/monitorlayout.h"
#include "platform/atomicfile.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <utility>
#include <vector>

class KitLink;
class Progress;
class QAbstractSeries;
class QAreaSeries;
class QChart;
class QChartView;
class QLabel;
class QLineSeries;
class QProgressBar;
class QPushButton;
class QScatterSeries;
class QValueAxis;
namespace platform {
class Prompts;
}

// The Bench Monitor: the coil voltage and current as a curve, the running procedure
// and the time it still takes, a Stop, and a word when the kit goes quiet. A window
// of its own beside the main window, which keeps its fixed layout. It draws nothing
// while it is closed or paused; the readings of the last two minutes are kept either
// way, so opening it shows where the coil has been.
class BenchMonitor : public QWidget
{
    Q_OBJECT
public:
    struct Sources {
        KitLink &link;
        Progress &progress;
        const QTimer &tmrTout;  // its time left is part of the time left
        const QTimer &tmrComm;  // polling: the kit ought to answer
        std::function<void()> stop;
        platform::Prompts &prompts;  // the export's file dialog and what went wrong with it
        std::function<monitorlayout::Coil()> coil;  // the coil under test: what its current axis holds
        std::function<QRect()> controlPanel;        // the main window's Control Panel on the screen, never covered
    };

    explicit BenchMonitor(Sources sources, QWidget *parent = nullptr);
    ~BenchMonitor() override;

    // Whether the monitor was open when the bench last closed, and where it stood:
    // kept in the user's Quillmark settings, not in the bench's settings files.
    static bool wasOpen();
    // Shows the monitor, raised. The first time it is placed where it was left, when
    // that still fits a screen, otherwise beside the main window: from the main
    // window's frame on the screen, so until the main window is shown and on the
    // screen the monitor waits for it, hidden.
    void open();
    // monitor nullptr: it was never opened in this run.
    static void remember(const BenchMonitor *monitor);

    const LiveTrace &trace() const { return m_trace; }
    // Seconds on the monitor's clock; a benchmark replays a shift faster than real time.
    void setClock(std::function<double()> clock) { m_now = std::move(clock); }
    // The points of a curve as drawn, in seconds before now: voltage or current,
    // newest last, each stretch of readings a line of its own.
    QList<QList<QPointF>> drawnLines(bool milliamps) const;
    QList<QPointF> drawnPoints(bool milliamps) const;
    QList<QPointF> drawnMarkers() const;
    QValueAxis *timeAxis() const { return m_time; }
    QValueAxis *milliampsAxis() const { return m_milliampsAxis; }

    QPushButton *const cmdPause;
    QPushButton *const cmdExportCsv;
    QPushButton *const cmdExportPng;
    QPushButton *const cmdStop;
    QLabel *const lblProcedure;
    QProgressBar *const barProgress;
    QLabel *const lblTimeLeft;
    QLabel *const lblSilence;
    QChartView *const chartView;

    // Writes the trace as CSV, or the chart as PNG, on a thread of its own: the
    // file is replaced whole or left as it was, and exported() tells which.
    void exportCsv(const QString &path);
    void exportPng(const QString &path);

signals:
    // why: the cause when not ok ("No space left on device").
    void exported(const QString &path, bool ok, const QString &why);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *mainWindow() const;
    bool mainWindowOnScreen() const;
    void placeAndShow();
    void restorePlace();
    void chooseAndExport(const QString &extension);
    void onFrame(const QString &frame);
    void writeAway(const QString &path, std::function<platform::WriteResult()> write);
    void checkSilence();
    void showProgress();
    void draw();
    void scaleMilliamps(double largest);
    void useSegments(std::size_t count);
    bool drawing() const;
    double now() const;

    Sources m_sources;
    LiveTrace m_trace;
    QElapsedTimer m_clock;
    std::function<double()> m_now;
    double m_lastFrame = -1;      // seconds of the last frame of any kind
    bool m_silent = false;
    QTimer m_everySecond;         // drawing, kit silence and the time left, only while shown
    QString m_exportFolder;
    bool m_placed = false;        // once, the first time it opens

    QChart *m_chart = nullptr;
    QValueAxis *m_time = nullptr;
    QValueAxis *m_voltsAxis = nullptr;
    QValueAxis *m_milliampsAxis = nullptr;
    struct Segment {
        QLineSeries *volts;
        QLineSeries *milliamps;
    };
    std::vector<Segment> m_segments;  // one a stretch of readings, so a gap shows as one
    QLineSeries *m_busyTop = nullptr;
    QAreaSeries *m_busy = nullptr;
    QScatterSeries *m_voltMarkers = nullptr;
    QScatterSeries *m_milliampMarkers = nullptr;
};
