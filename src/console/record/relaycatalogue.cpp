#include "console/record/relaycatalogue.h"

namespace catalogue {

namespace {

// One column per entry, one character per channel 1..16: '.' none, 'F' front, 'B' back.
constexpr std::array<const char *, EntryCount> LayoutColumns = {
    "FFFFFFFFBBBBBBBB",  // 0 QNA1 8F-8B
    "FFFFFFFFBFFBBFFB",  // 1 QNA1 12F-4B
    "FFFFFFFFBBBBBBBB",  // 2 QN1 8F-8B
    "FFFFFFFFBFFBBFFB",  // 3 QN1 12F-4B
    "FFFFBFFBBBBB....",  // 4 QNA1K 6F-6B
    "FFFFFFFFBFFBBF.B",  // 5 QL1 11F-4B
    "FFFFBBBB........",  // 6 QECX61 4F-4B
    "F..F.......B....",  // 7 QTA2 2F-1B
    "FFFFFFFFBBBB....",  // 8 QSPA1 8F-4B
};

} // namespace

const std::array<Entry, EntryCount> &entries()
{
    static const std::array<Entry, EntryCount> table = {{
        {"Style 'QNA1' 24VDC(ACI) 8F-8B", 1, 1, "frmQNA1"},
        {"Style 'QNA1' 24VDC(ACI) 12F-4B", 1, 2, "frmQNA1"},
        {"Style 'QN1' 24VDC(NON-ACI) 8F-8B", 2, 1, "frmQN1"},
        {"Style 'QN1' 24VDC(NON-ACI) 12F-4B", 2, 2, "frmQN1"},
        {"Style 'QNA1K' 24VDC 6F-6B", 3, 0, "frmQNA1K"},
        {"Style 'QL1' 24VDC 11F-4B", 4, 0, "frmQL1"},
        {"Style 'QECX61' 24VDC 4F-4B", 5, 0, "frmQECX61"},
        {"Style 'QTA2',9OHM(ACI) 2F-1B", 6, 0, "frmQTA2"},
        {"Style 'QSPA1'(ACI)24VDC 8F-4B", 7, 0, "frmQSPA1"},
    }};
    return table;
}

QStringList entryTexts()
{
    QStringList texts;
    for (const Entry &e : entries())
        texts << QString::fromLatin1(e.text);
    return texts;
}

QStringList channelSelectorTexts()
{
    QStringList texts;
    for (int channel = 1; channel <= ChannelCount; ++channel)
        texts << QStringLiteral("%1%2").arg(QChar(u'A' + (channel - 1) % 4)).arg((channel - 1) / 4 + 1);
    texts << QStringLiteral("ALL");
    return texts;
}

QString channelSelectorText(int entry)
{
    static const QStringList texts = channelSelectorTexts();
    return texts.value(entry);
}

void buildContactLayout(ContactLayoutTable &table)
{
    for (auto &column : table)
        column.fill(0);
    for (int entry = 0; entry < EntryCount; ++entry) {
        for (int channel = 1; channel <= ChannelCount; ++channel) {
            const char c = LayoutColumns[entry][channel - 1];
            const Contact contact = c == 'F' ? Contact::Front : c == 'B' ? Contact::Back : Contact::None;
            table[entry][channel] = static_cast<qint16>(contact);
        }
    }
}

SelectionRules selectionRules(int listIndex)
{
    const bool current = listIndex == QTA2;
    return {
        listIndex != QL1,
        listIndex == QSPA1 || listIndex == QNA1K,
        current ? QStringLiteral("Pick-Up Current:") : QStringLiteral("Pick-Up Voltage:"),
        current ? QStringLiteral("Drop-Away Current:") : QStringLiteral("Drop-Away Voltage:"),
    };
}

} // namespace catalogue
