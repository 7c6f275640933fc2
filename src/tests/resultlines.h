#pragma once

#include "tests/benchview.h"

#include <QStringList>

// A results list as data: the lines of the latest all-channel run (crval.csv is
// written from them), shown in the view's list as they come. While a run fills it,
// its box says so ("Testing ..."); a run that is stopped leaves it saying "Results".
class ResultLines
{
public:
    ResultLines(BenchView &view, BenchView::List list) : m_view(view), m_list(list) {}

    void startFilling(const QString &text)
    {
        m_lines.clear();
        m_filling = true;
        m_view.clearList(m_list, text);
    }
    void add(const QString &line)
    {
        m_lines.append(line);
        m_view.addToList(m_list, line);
    }
    void setText(const QString &text)
    {
        m_filling = false;
        m_view.setListText(m_list, text);
    }
    bool filling() const { return m_filling; }
    const QStringList &lines() const { return m_lines; }

private:
    BenchView &m_view;
    const BenchView::List m_list;
    QStringList m_lines;
    bool m_filling = false;
};
