#pragma once

#include <QByteArray>
#include <QChar>
#include <QString>

#include <cstddef>
#include <deque>
#include <vector>

// What the Bench Monitor draws: the coil voltage and current of the last two minutes
// from the live-readings frames, the results that arrived meanwhile, and the
// stretches in which the kit said nothing. Bounded: whatever is older than the
// window is dropped as new readings come, so a bench left polling for a shift keeps
// a fixed footprint.
class LiveTrace
{
public:
    struct Sample {
        double seconds;  // on the monitor's clock
        float volts;
        float milliamps;
        QChar state;     // the kit's state letter: "B" busy, "F" free
    };
    struct Marker {
        double seconds;
        float value;     // volts, or milliamperes for the current-mode results
        bool milliamps;
        QString label;   // "pick-up 15.80 V"
    };
    struct Gap {
        double from;
        double to;
    };

    explicit LiveTrace(double windowSeconds = 120);

    void addSample(const Sample &sample);
    void addMarker(const Marker &marker);
    void addGap(const Gap &gap);

    const std::deque<Sample> &samples() const { return m_samples; }
    const std::deque<Marker> &markers() const { return m_markers; }
    const std::deque<Gap> &gaps() const { return m_gaps; }

    // The samples as stretches of readings, [first, last) in samples(): a stretch
    // ends wherever none came for longer than longestStep seconds (the poll held
    // through a contact run, a kit gone quiet), so that no curve is drawn across a
    // time nobody measured.
    struct Run {
        std::size_t first;
        std::size_t last;
    };
    std::vector<Run> runs(double longestStep) const;
    double windowSeconds() const { return m_window; }

    // "seconds,volts,milliamps,kit state", then a row a sample, CR LF, '.' decimals.
    QByteArray toCsv() const;

private:
    void dropBefore(double seconds);

    double m_window;
    std::deque<Sample> m_samples;
    std::deque<Marker> m_markers;
    std::deque<Gap> m_gaps;
};
