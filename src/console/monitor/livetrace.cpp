#include "console/monitor/livetrace.h"

LiveTrace::LiveTrace(double windowSeconds)
    : m_window(windowSeconds)
{
}

void LiveTrace::addSample(const Sample &sample)
{
    m_samples.push_back(sample);
    dropBefore(sample.seconds - m_window);
}

void LiveTrace::addMarker(const Marker &marker)
{
    m_markers.push_back(marker);
    dropBefore(marker.seconds - m_window);
}

void LiveTrace::addGap(const Gap &gap)
{
    m_gaps.push_back(gap);
    dropBefore(gap.to - m_window);
}

void LiveTrace::dropBefore(double seconds)
{
    while (!m_samples.empty() && m_samples.front().seconds < seconds)
        m_samples.pop_front();
    while (!m_markers.empty() && m_markers.front().seconds < seconds)
        m_markers.pop_front();
    while (!m_gaps.empty() && m_gaps.front().to < seconds)
        m_gaps.pop_front();
}

std::vector<LiveTrace::Run> LiveTrace::runs(double longestStep) const
{
    std::vector<Run> found;
    for (std::size_t i = 0; i < m_samples.size(); ++i) {
        if (i == 0 || m_samples[i].seconds - m_samples[i - 1].seconds > longestStep)
            found.push_back({i, i});
        found.back().last = i + 1;
    }
    return found;
}

QByteArray LiveTrace::toCsv() const
{
    QByteArray csv = "seconds,volts,milliamps,kit state\r\n";
    for (const Sample &s : m_samples) {
        csv += QByteArray::number(s.seconds, 'f', 3) + ',' + QByteArray::number(double(s.volts), 'f', 2) + ','
               + QByteArray::number(double(s.milliamps), 'f', 1) + ',' + QString(s.state).toUtf8() + "\r\n";
    }
    return csv;
}
