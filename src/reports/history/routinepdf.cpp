#include "reports/history/routinepdf.h"

#include "console/record/benchrecord.h"
#include "platform/atomicfile.h"
#include "platform/paths.h"
#include "reports/history/reportimport.h"
#include "reports/reportfields.h"
#include "reports/reportfile.h"
#include "reports/reportvalues.h"

#include <QBuffer>
#include <QDir>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QSysInfo>

namespace history {

namespace {

constexpr int Dpi = 300;

int mm(double millimetres)
{
    return int(millimetres * Dpi / 25.4 + 0.5);
}

// One line or wrapped paragraph of a section.
struct Block {
    enum Kind { Title, Subtitle, Group, Row } kind;
    QString left, right;
    bool inGroup = false;  // a row of a group frame, set in under its caption
    int height = 0;
    int page = 0, top = 0;  // where it was placed
};

QString variantName(int variant)
{
    return variant == 1 ? QStringLiteral("8F-8B") : variant == 2 ? QStringLiteral("12F-4B") : QString();
}

QString valueText(const Item &item)
{
    if (item.kind == ItemKind::Measured && !item.unit.isEmpty() && !item.text.isEmpty())
        return item.text + QLatin1Char(' ') + item.unit;
    return item.text;
}

QList<Block> sectionOf(const RelayEntry &relay, const QDate &reportDate)
{
    QList<Block> blocks{{Block::Title, QStringLiteral("Relay ID No.: ") + relay.relayId, {}}};
    const reports::StyleFields *style = reports::styleFields(relay.styleCode);
    QStringList subtitle{style ? QString::fromUtf8(style->caption) : reports::styleName(relay.styleCode)};
    if (!variantName(relay.contactVariant).isEmpty())
        subtitle << variantName(relay.contactVariant);
    subtitle << (reportDate.isValid() ? QStringLiteral("Date: ") + reports::reportDate(reportDate)
                                      : QStringLiteral("Recorded: ") + recordedText(relay.recordedAt));
    blocks.append({Block::Subtitle, subtitle.join(QStringLiteral("   ")), {}});
    QString group;
    for (const Item &item : relay.items) {
        if (item.name == QLatin1String("relay_id"))
            continue;
        if (item.group != group && !item.group.isEmpty())
            blocks.append({Block::Group, item.group, {}});
        group = item.group;
        blocks.append({Block::Row, item.caption, valueText(item), !group.isEmpty()});
    }
    return blocks;
}

class Layout
{
public:
    explicit Layout(QPainter &painter, const QRect &page)
        : m_painter(painter)
        , m_page(page)
        , m_body(QStringLiteral("DejaVu Sans"), 9)
        , m_bold(m_body)
        , m_title(QStringLiteral("DejaVu Sans"), 12)
    {
        m_bold.setBold(true);
        m_title.setBold(true);
        // Letters stay letters: no "fi" ligature, so the text reads back as written.
        for (QFont *font : {&m_body, &m_bold, &m_title})
            font->setStyleStrategy(QFont::PreferNoShaping);
    }

    int headerHeight() const { return mm(18); }
    int footerHeight() const { return mm(10); }
    int captionWidth() const { return m_page.width() * 64 / 100; }
    static int indentOf(const Block &block) { return block.inGroup ? mm(4) : 0; }

    const QFont &fontOf(Block::Kind kind) const
    {
        return kind == Block::Title ? m_title : kind == Block::Group ? m_bold : m_body;
    }

    int measure(const Block &block) const
    {
        m_painter.setFont(fontOf(block.kind));
        const int width = block.kind == Block::Row ? captionWidth() - indentOf(block) - mm(2) : m_page.width();
        const QRect needed = m_painter.boundingRect(QRect(0, 0, width, 100000), Qt::TextWordWrap, block.left);
        const int gap = block.kind == Block::Title ? mm(3) : block.kind == Block::Group ? mm(2) : mm(1);
        return needed.height() + gap;
    }

    void draw(const Block &block) const
    {
        m_painter.setFont(fontOf(block.kind));
        const int gapAbove = block.kind == Block::Title ? mm(3) : block.kind == Block::Group ? mm(2) : mm(1);
        const int top = block.top + gapAbove;
        if (block.kind == Block::Title)
            m_painter.drawLine(0, block.top + mm(1), m_page.width(), block.top + mm(1));
        if (block.kind == Block::Row) {
            const int indent = indentOf(block);
            m_painter.drawText(QRect(indent, top, captionWidth() - indent - mm(2), block.height), Qt::TextWordWrap,
                               block.left);
            m_painter.drawText(QRect(captionWidth(), top, m_page.width() - captionWidth(), block.height),
                               Qt::AlignRight | Qt::AlignTop, block.right);
        } else {
            m_painter.drawText(QRect(0, top, m_page.width(), block.height), Qt::TextWordWrap, block.left);
        }
    }

    void drawFrame(const PdfHeading &heading, int page, int pages) const
    {
        const int line = mm(5);
        m_painter.setFont(m_bold);
        m_painter.drawText(QRect(0, 0, m_page.width(), line), Qt::AlignLeft, QStringLiteral("Routine test report"));
        m_painter.setFont(m_body);
        m_painter.drawText(QRect(0, 0, m_page.width(), line), Qt::AlignRight,
                           QStringLiteral("Bench: ") + heading.host);
        if (!heading.reportFile.isEmpty())
            m_painter.drawText(QRect(0, line, m_page.width(), line), Qt::AlignLeft,
                               QStringLiteral("Report file: ") + QDir::toNativeSeparators(heading.reportFile));
        m_painter.drawText(QRect(0, m_page.height() - line, m_page.width(), line), Qt::AlignHCenter,
                           QStringLiteral("Page %1 of %2").arg(page).arg(pages));
    }

private:
    QPainter &m_painter;
    QRect m_page;
    QFont m_body, m_bold, m_title;
};

} // namespace

QByteArray routinePdf(const QList<RelayEntry> &relays, const PdfHeading &heading)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        pdf.setResolution(Dpi);
        pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 12, 15, 12),
                                      QPageLayout::Millimeter));
        pdf.setTitle(QStringLiteral("Routine test report"));
        pdf.setCreator(QStringLiteral("Quillmark"));
        QPainter painter(&pdf);
        const QRect page = pdf.pageLayout().paintRectPixels(Dpi).translated(0, 0);
        const QRect area(0, 0, page.width(), page.height());
        Layout layout(painter, area);

        // Where every block goes: a section starts on a new page when it does not
        // fit on the rest of this one.
        QList<Block> blocks;
        const int top = layout.headerHeight(), bottom = area.height() - layout.footerHeight();
        int pageIndex = 0, y = top;
        for (const RelayEntry &relay : relays) {
            QList<Block> section = sectionOf(relay, heading.reportDate);
            int height = 0;
            for (Block &block : section)
                height += block.height = layout.measure(block);
            if (y > top && y + height > bottom)
                ++pageIndex, y = top;
            for (Block &block : section) {
                if (y > top && y + block.height > bottom)
                    ++pageIndex, y = top;
                block.page = pageIndex;
                block.top = y;
                y += block.height;
                blocks.append(block);
            }
            y += mm(4);
        }
        if (relays.isEmpty()) {
            Block none{Block::Row, QStringLiteral("No relays."), {}};
            none.height = layout.measure(none);
            none.top = top;
            blocks.append(none);
        }

        const int pages = pageIndex + 1;
        qsizetype next = 0;
        for (int p = 0; p < pages; ++p) {
            if (p > 0)
                pdf.newPage();
            layout.drawFrame(heading, p + 1, pages);
            for (; next < blocks.size() && blocks[next].page == p; ++next)
                layout.draw(blocks[next]);
        }
    }
    return buffer.data();
}

PdfResult writeRoutinePdf(const QString &path, const QList<RelayEntry> &relays, const PdfHeading &heading)
{
    const platform::WriteResult written = platform::replaceFileAtomically(path, routinePdf(relays, heading));
    return {written.ok, path, written.error};
}

PdfResult writeFinalReportPdf(const BenchRecord &record, const QString &fileName, const QDate &reportDate)
{
    const QString reportFile = platform::concatenated(record.SaveFolder, fileName);
    const QString path = platform::concatenated(record.SaveFolder, QStringLiteral("RoutineTest.pdf"));
    ReportEntries read = entriesOfReportFile(reportFile, record.StyleCode);
    if (!read.error.isEmpty())
        return {false, path, read.error};
    return writeRoutinePdf(path, read.entries, {QSysInfo::machineHostName(), reportFile, reportDate});
}

} // namespace history
