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

#include <vector>

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

// No more of a text is laid out than a record's line can hold.
QString valueText(const Item &item)
{
    const QString text = shownText(item.text, ReportReader::LineBytes);
    if (item.kind == ItemKind::Measured && !item.unit.isEmpty() && !text.isEmpty())
        return text + QLatin1Char(' ') + item.unit;
    return text;
}

QList<Block> sectionOf(const RelayEntry &relay, const QDate &reportDate)
{
    QList<Block> blocks{{Block::Title, QStringLiteral("Relay ID No.: ") + shownText(relay.relayId, TextFieldChars), {}}};
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

namespace {

// Where a block goes; kept from the layout pass for the drawing pass, which makes
// the blocks again from the relays instead of holding them all.
struct Placed {
    int page, top, height;
};

bool paintRoutinePdf(QIODevice *device, const RelaySource &relays, const PdfHeading &heading, const Job &job,
                     QString *error)
{
    QPdfWriter pdf(device);
    pdf.setResolution(Dpi);
    pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 12, 15, 12),
                                  QPageLayout::Millimeter));
    pdf.setTitle(QStringLiteral("Routine test report"));
    pdf.setCreator(QStringLiteral("Quillmark"));
    QPainter painter(&pdf);
    const QRect page = pdf.pageLayout().paintRectPixels(Dpi).translated(0, 0);
    const QRect area(0, 0, page.width(), page.height());
    Layout layout(painter, area);
    const qint64 steps = 2 * std::max<qint64>(relays.count, 1);
    qint64 step = 0;
    const auto calledOff = [&] {
        if (job.cancelled()) {
            *error = QStringLiteral("called off");
            return true;
        }
        job.progress(++step, steps);
        return false;
    };

    // Where every block goes: a section starts on a new page when it does not fit
    // on the rest of this one.
    std::vector<Placed> placed;
    const int top = layout.headerHeight(), bottom = area.height() - layout.footerHeight();
    int pageIndex = 0, y = top;
    const bool laidOut = relays.forEach(
        [&](const RelayEntry &relay) {
            if (calledOff())
                return false;
            QList<Block> section = sectionOf(relay, heading.reportDate);
            int height = 0;
            for (Block &block : section)
                height += block.height = layout.measure(block);
            if (y > top && y + height > bottom)
                ++pageIndex, y = top;
            for (const Block &block : std::as_const(section)) {
                if (y > top && y + block.height > bottom)
                    ++pageIndex, y = top;
                placed.push_back({pageIndex, y, block.height});
                y += block.height;
            }
            y += mm(4);
            return true;
        },
        error);
    if (!laidOut || !error->isEmpty())
        return false;

    const int pages = pageIndex + 1;
    int drawnPage = -1;
    const auto turnTo = [&](int p) {
        for (; drawnPage < p; ++drawnPage) {
            if (drawnPage >= 0)
                pdf.newPage();
            layout.drawFrame(heading, drawnPage + 2, pages);
        }
    };
    turnTo(0);
    if (placed.empty()) {
        Block none{Block::Row, QStringLiteral("No relays."), {}};
        none.height = layout.measure(none);
        none.top = top;
        layout.draw(none);
        return true;
    }
    std::size_t next = 0;
    const bool drawn = relays.forEach(
        [&](const RelayEntry &relay) {
            if (calledOff())
                return false;
            for (Block &block : sectionOf(relay, heading.reportDate)) {
                if (next == placed.size()) {
                    *error = QStringLiteral("the relays changed while they were printed");
                    return false;
                }
                const Placed &at = placed[next++];
                block.page = at.page;
                block.top = at.top;
                block.height = at.height;
                turnTo(block.page);
                layout.draw(block);
            }
            return true;
        },
        error);
    if (drawn && error->isEmpty() && next != placed.size())
        *error = QStringLiteral("the relays changed while they were printed");
    return drawn && error->isEmpty();
}

} // namespace

RelaySource relaysOf(const QList<RelayEntry> &relays)
{
    return {relays.size(), [relays](const std::function<bool(const RelayEntry &)> &visit, QString *) {
                for (const RelayEntry &relay : relays) {
                    if (!visit(relay))
                        break;
                }
                return true;
            }};
}

QByteArray routinePdf(const QList<RelayEntry> &relays, const PdfHeading &heading)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QString error;
    paintRoutinePdf(&buffer, relaysOf(relays), heading, Job(), &error);
    return buffer.data();
}

PdfResult writeRoutinePdf(const QString &path, const RelaySource &relays, const PdfHeading &heading, const Job &job)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QString error;
    if (!paintRoutinePdf(&buffer, relays, heading, job, &error))
        return {false, path, error, job.cancelled()};
    buffer.close();
    const platform::WriteResult written = platform::replaceFileAtomically(path, buffer.data());
    return {written.ok, path, written.error, false};
}

PdfResult writeRoutinePdf(const QString &path, const QList<RelayEntry> &relays, const PdfHeading &heading)
{
    return writeRoutinePdf(path, relaysOf(relays), heading);
}

PdfResult writeFinalReportPdf(const BenchRecord &record, const QString &fileName, const QDate &reportDate,
                              const Job &job)
{
    const QString reportFile = platform::concatenated(record.SaveFolder, fileName);
    const QString path = platform::concatenated(record.SaveFolder, QStringLiteral("RoutineTest.pdf"));
    ReportReader reader(reportFile, record.StyleCode);
    if (!reader.check(job))
        return {false, path, reader.error(), job.cancelled()};
    const RelaySource records{reader.records(), [&reader](const std::function<bool(const RelayEntry &)> &visit,
                                                          QString *error) {
                                  if (!reader.rewind()) {
                                      *error = reader.error();
                                      return false;
                                  }
                                  for (RelayEntry relay; reader.next(&relay);) {
                                      if (!visit(relay))
                                          return true;
                                  }
                                  *error = reader.error();
                                  return error->isEmpty();
                              }};
    return writeRoutinePdf(path, records, {QSysInfo::machineHostName(), reportFile, reportDate}, job);
}

} // namespace history
