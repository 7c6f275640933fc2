// The relay catalogue: which contact each relay has on which channel. A wrong cell
// drives the coil the wrong way round for a contact, so the table is checked
// against what a bench engineer knows of each relay rather than copied back.

#include "console/relaycatalogue.h"

#include <QRegularExpression>
#include <QTest>

class TestCatalogue : public QObject
{
    Q_OBJECT

private slots:
    void shouldHoldAsManyFrontAndBackContactsAsEachEntrySays()
    {
        ContactLayoutTable table{};
        for (auto &column : table)
            column.fill(7);  // building must leave nothing of an earlier table behind
        catalogue::buildContactLayout(table);

        for (int entry = 0; entry < LayoutEntries; ++entry) {
            // "... 11F-4B" at the end of the text; entries past the catalogue hold no contacts.
            const QString text = entry < catalogue::EntryCount ? catalogue::entryTexts().at(entry)
                                                               : QStringLiteral("unused 0F-0B");
            const QRegularExpressionMatch m = QRegularExpression(QStringLiteral(" (\\d+)F-(\\d+)B$")).match(text);
            QByteArray column;  // channel 0..16: '.' none, 'F' front, 'B' back
            for (const Integer cell : table[entry])
                column += cell == 0 ? '.' : cell == 1 ? 'F' : cell == 2 ? 'B' : '?';
            QVERIFY2(m.hasMatch() && column.at(0) == '.' && !column.contains('?')
                         && column.count('F') == m.captured(1).toInt() && column.count('B') == m.captured(2).toInt(),
                     qPrintable(text + QStringLiteral(": ") + QString::fromLatin1(column)));
        }

        QCOMPARE(int(table[7][12]), 2);  // QTA2's one back contact is on D3
        QCOMPARE(int(table[5][15]), 0);  // QL1 has nothing on C4
        QCOMPARE(int(table[4][5]), 2);   // QNA1K has a back contact on A2 among its fronts
        QCOMPARE(int(table[3][10]), 1);  // 12F-4B: inner channels of row 3 are fronts...
        QCOMPARE(int(table[3][13]), 2);  // ...and outer ones backs
    }

    void shouldKeepTheNamedEntriesAndChannelsWhereTheBenchLooks()
    {
        const QStringList texts = catalogue::entryTexts();
        const std::pair<int, const char *> named[] = {{catalogue::QNA1K, "'QNA1K'"}, {catalogue::QL1, "'QL1'"},
                                                      {catalogue::QECX61, "'QECX61'"}, {catalogue::QTA2, "'QTA2'"},
                                                      {catalogue::QSPA1, "'QSPA1'"}};
        for (const auto &[index, style] : named)
            QVERIFY2(texts.at(index).contains(QLatin1String(style)), style);

        const QStringList channels = catalogue::channelSelectorTexts();  // index + 1 is the channel
        QCOMPARE(channels.size(), 17);
        QCOMPARE(channels.at(4), QStringLiteral("A2"));
        QCOMPARE(channels.at(11), QStringLiteral("D3"));
        QCOMPARE(channels.at(16), QStringLiteral("ALL"));
    }
};

QTEST_GUILESS_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
