// The relay catalogue: which contacts each relay has on which channel, and what
// choosing a relay changes on the main window. A wrong cell here drives the coil
// the wrong way round for a contact, so the table is checked against the facts a
// bench engineer knows about each relay rather than copied back.

#include "console/relaycatalogue.h"

#include <QRegularExpression>
#include <QSet>
#include <QTest>

namespace {

ContactLayoutTable builtLayout()
{
    ContactLayoutTable table{};
    catalogue::buildContactLayout(table);
    return table;
}

int countInColumn(const ContactLayoutTable &table, int entry, catalogue::Contact contact)
{
    int n = 0;
    for (int channel = 1; channel <= catalogue::ChannelCount; ++channel)
        n += table[entry][channel] == static_cast<Integer>(contact);
    return n;
}

// The channels of a column as "F", "B" or "." per channel 1..16, for readable failures.
QByteArray columnPattern(const ContactLayoutTable &table, int entry)
{
    QByteArray pattern;
    for (int channel = 1; channel <= catalogue::ChannelCount; ++channel)
        pattern += table[entry][channel] == 1 ? 'F' : table[entry][channel] == 2 ? 'B' : '.';
    return pattern;
}

QString styleName(const QString &entryText)
{
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("'([A-Z0-9]+)'")).match(entryText);
    return m.hasMatch() ? m.captured(1) : QString();
}

} // namespace

class TestCatalogue : public QObject
{
    Q_OBJECT

private slots:
    void shouldOfferNineEntriesEachNamingAStyleAndItsContacts();

    void shouldHoldAsManyFrontAndBackContactsAsTheEntryTextSays_data();
    void shouldHoldAsManyFrontAndBackContactsAsTheEntryTextSays();

    void shouldPutEachContactOnItsChannel_data();
    void shouldPutEachContactOnItsChannel();

    void shouldShareContactLayoutsBetweenVariantsOfTheSameArrangement_data();
    void shouldShareContactLayoutsBetweenVariantsOfTheSameArrangement();

    void shouldLeaveEveryCellOutsideTheUsedRangeEmpty();

    void shouldDeriveStyleCodeVariantAndFormFromTheEntry();

    void shouldNameChannelsColumnByColumnThenOfferAll_data();
    void shouldNameChannelsColumnByColumnThenOfferAll();

    void shouldEnableButtonsAndWordCaptionsForEachEntry_data();
    void shouldEnableButtonsAndWordCaptionsForEachEntry();
};

void TestCatalogue::shouldOfferNineEntriesEachNamingAStyleAndItsContacts()
{
    const QStringList texts = catalogue::entryTexts();
    QCOMPARE(texts.size(), catalogue::EntryCount);
    QCOMPARE(int(catalogue::entries().size()), catalogue::EntryCount);
    QCOMPARE(QSet<QString>(texts.begin(), texts.end()).size(), catalogue::EntryCount);  // all distinct
    for (const QString &text : texts) {
        QVERIFY2(text.startsWith(QStringLiteral("Style '")), qPrintable(text));
        QVERIFY2(!styleName(text).isEmpty(), qPrintable(text));
        QVERIFY2(text.contains(QRegularExpression(QStringLiteral(" \\d+F-\\d+B$"))), qPrintable(text));
    }
    // The list indexes the bench branches on point at the styles they are named after.
    QCOMPARE(styleName(texts.at(catalogue::QNA1K)), QStringLiteral("QNA1K"));
    QCOMPARE(styleName(texts.at(catalogue::QL1)), QStringLiteral("QL1"));
    QCOMPARE(styleName(texts.at(catalogue::QECX61)), QStringLiteral("QECX61"));
    QCOMPARE(styleName(texts.at(catalogue::QTA2)), QStringLiteral("QTA2"));
    QCOMPARE(styleName(texts.at(catalogue::QSPA1)), QStringLiteral("QSPA1"));
}

void TestCatalogue::shouldHoldAsManyFrontAndBackContactsAsTheEntryTextSays_data()
{
    QTest::addColumn<int>("entry");
    const QStringList texts = catalogue::entryTexts();
    for (int i = 0; i < texts.size(); ++i)
        QTest::addRow("%d %s", i, qPrintable(texts.at(i))) << i;
}

void TestCatalogue::shouldHoldAsManyFrontAndBackContactsAsTheEntryTextSays()
{
    QFETCH(int, entry);
    const QString text = catalogue::entryTexts().at(entry);
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("(\\d+)F-(\\d+)B$")).match(text);
    QVERIFY2(m.hasMatch(), qPrintable(text));

    const ContactLayoutTable table = builtLayout();
    const QByteArray pattern = columnPattern(table, entry);
    QVERIFY2(countInColumn(table, entry, catalogue::Contact::Front) == m.captured(1).toInt(), pattern.constData());
    QVERIFY2(countInColumn(table, entry, catalogue::Contact::Back) == m.captured(2).toInt(), pattern.constData());
    for (int channel = 1; channel <= catalogue::ChannelCount; ++channel)
        QVERIFY(table[entry][channel] >= 0 && table[entry][channel] <= 2);
}

void TestCatalogue::shouldPutEachContactOnItsChannel_data()
{
    QTest::addColumn<int>("entry");
    QTest::addColumn<int>("channel");
    QTest::addColumn<int>("contact");  // 0 none, 1 front, 2 back

    // QTA2: front on A1 and D1, its one back contact on D3, nothing else.
    QTest::newRow("QTA2 A1 front") << 7 << 1 << 1;
    QTest::newRow("QTA2 B1 none") << 7 << 2 << 0;
    QTest::newRow("QTA2 D1 front") << 7 << 4 << 1;
    QTest::newRow("QTA2 A3 none") << 7 << 9 << 0;
    QTest::newRow("QTA2 D3 back") << 7 << 12 << 2;
    QTest::newRow("QTA2 D4 none") << 7 << 16 << 0;
    // QL1: the 12F-4B arrangement with nothing on C4.
    QTest::newRow("QL1 B4 front") << 5 << 14 << 1;
    QTest::newRow("QL1 C4 none") << 5 << 15 << 0;
    QTest::newRow("QL1 D4 back") << 5 << 16 << 2;
    QTest::newRow("QL1 A3 back") << 5 << 9 << 2;
    // QNA1K: back contacts on A2 and D2 among the fronts, none on row 4.
    QTest::newRow("QNA1K D1 front") << 4 << 4 << 1;
    QTest::newRow("QNA1K A2 back") << 4 << 5 << 2;
    QTest::newRow("QNA1K B2 front") << 4 << 6 << 1;
    QTest::newRow("QNA1K D2 back") << 4 << 8 << 2;
    QTest::newRow("QNA1K D3 back") << 4 << 12 << 2;
    QTest::newRow("QNA1K A4 none") << 4 << 13 << 0;
    // QECX61: fronts on row 1, backs on row 2, nothing beyond.
    QTest::newRow("QECX61 D1 front") << 6 << 4 << 1;
    QTest::newRow("QECX61 A2 back") << 6 << 5 << 2;
    QTest::newRow("QECX61 D2 back") << 6 << 8 << 2;
    QTest::newRow("QECX61 A3 none") << 6 << 9 << 0;
    // QSPA1: fronts on rows 1-2, backs on row 3, row 4 empty.
    QTest::newRow("QSPA1 D2 front") << 8 << 8 << 1;
    QTest::newRow("QSPA1 D3 back") << 8 << 12 << 2;
    QTest::newRow("QSPA1 A4 none") << 8 << 13 << 0;
    // 8F-8B: fronts on rows 1-2, backs on rows 3-4.
    QTest::newRow("QNA1 8F-8B D2 front") << 0 << 8 << 1;
    QTest::newRow("QNA1 8F-8B A3 back") << 0 << 9 << 2;
    QTest::newRow("QNA1 8F-8B B3 back") << 0 << 10 << 2;
    QTest::newRow("QN1 8F-8B D4 back") << 2 << 16 << 2;
    // 12F-4B: the outer channels of rows 3-4 are backs, the inner ones fronts.
    QTest::newRow("QNA1 12F-4B A3 back") << 1 << 9 << 2;
    QTest::newRow("QNA1 12F-4B B3 front") << 1 << 10 << 1;
    QTest::newRow("QNA1 12F-4B C3 front") << 1 << 11 << 1;
    QTest::newRow("QNA1 12F-4B D3 back") << 1 << 12 << 2;
    QTest::newRow("QN1 12F-4B A4 back") << 3 << 13 << 2;
    QTest::newRow("QN1 12F-4B C4 front") << 3 << 15 << 1;
}

void TestCatalogue::shouldPutEachContactOnItsChannel()
{
    QFETCH(int, entry);
    QFETCH(int, channel);
    QFETCH(int, contact);
    const ContactLayoutTable table = builtLayout();
    QCOMPARE(int(table[entry][channel]), contact);
}

void TestCatalogue::shouldShareContactLayoutsBetweenVariantsOfTheSameArrangement_data()
{
    QTest::addColumn<int>("entry");
    QTest::addColumn<int>("sameAs");
    QTest::addColumn<int>("exceptChannel");  // 0: no exception

    QTest::newRow("QN1 8F-8B as QNA1 8F-8B") << 2 << 0 << 0;
    QTest::newRow("QN1 12F-4B as QNA1 12F-4B") << 3 << 1 << 0;
    QTest::newRow("QL1 as 12F-4B without C4") << 5 << 1 << 15;
}

void TestCatalogue::shouldShareContactLayoutsBetweenVariantsOfTheSameArrangement()
{
    QFETCH(int, entry);
    QFETCH(int, sameAs);
    QFETCH(int, exceptChannel);

    const ContactLayoutTable table = builtLayout();
    for (int channel = 1; channel <= catalogue::ChannelCount; ++channel) {
        if (channel == exceptChannel)
            QVERIFY(table[entry][channel] != table[sameAs][channel]);
        else
            QVERIFY2(table[entry][channel] == table[sameAs][channel], qPrintable(QString::number(channel)));
    }
}

void TestCatalogue::shouldLeaveEveryCellOutsideTheUsedRangeEmpty()
{
    // A table that already held something: building must not leave any of it behind.
    ContactLayoutTable table{};
    for (auto &column : table)
        column.fill(7);
    catalogue::buildContactLayout(table);

    for (int entry = 0; entry < LayoutEntries; ++entry)
        QVERIFY2(table[entry][0] == 0, qPrintable(QStringLiteral("channel 0 of entry %1").arg(entry)));
    for (int entry = catalogue::EntryCount; entry < LayoutEntries; ++entry) {
        for (int channel = 0; channel < LayoutChannels; ++channel)
            QVERIFY2(table[entry][channel] == 0, qPrintable(QStringLiteral("entry %1 channel %2").arg(entry).arg(channel)));
    }
    QVERIFY(table == builtLayout());
}

void TestCatalogue::shouldDeriveStyleCodeVariantAndFormFromTheEntry()
{
    const auto &entries = catalogue::entries();
    QStringList stylesInCodeOrder;
    for (int i = 0; i < catalogue::EntryCount; ++i) {
        const catalogue::Entry &e = entries[i];
        const QString text = QString::fromLatin1(e.text);
        const QString style = styleName(text);

        // Style codes 1..7 follow the order in which the styles first appear.
        if (!stylesInCodeOrder.contains(style))
            stylesInCodeOrder << style;
        QCOMPARE(int(e.styleCode), int(stylesInCodeOrder.indexOf(style)) + 1);

        // The report form is named after the style.
        QCOMPARE(QString::fromLatin1(e.formName), QStringLiteral("frm") + style);

        // Only QNA1 and QN1 come in two contact variants.
        const bool twoVariants = style == QStringLiteral("QNA1") || style == QStringLiteral("QN1");
        const int variant = !twoVariants ? 0 : text.endsWith(QStringLiteral(" 8F-8B")) ? 1 : 2;
        QCOMPARE(int(e.contactVariant), variant);
    }
    QCOMPARE(stylesInCodeOrder.size(), 7);
}

void TestCatalogue::shouldNameChannelsColumnByColumnThenOfferAll_data()
{
    QTest::addColumn<int>("channel");  // 1..16, 17 for all
    QTest::addColumn<QString>("text");

    QTest::newRow("1") << 1 << QStringLiteral("A1");
    QTest::newRow("2") << 2 << QStringLiteral("B1");
    QTest::newRow("4") << 4 << QStringLiteral("D1");
    QTest::newRow("5") << 5 << QStringLiteral("A2");
    QTest::newRow("11") << 11 << QStringLiteral("C3");
    QTest::newRow("12") << 12 << QStringLiteral("D3");
    QTest::newRow("13") << 13 << QStringLiteral("A4");
    QTest::newRow("16") << 16 << QStringLiteral("D4");
    QTest::newRow("all") << 17 << QStringLiteral("ALL");
}

void TestCatalogue::shouldNameChannelsColumnByColumnThenOfferAll()
{
    QFETCH(int, channel);
    QFETCH(QString, text);
    const QStringList texts = catalogue::channelSelectorTexts();
    QCOMPARE(texts.size(), 17);
    QCOMPARE(texts.at(channel - 1), text);  // channel number = selector index + 1
}

void TestCatalogue::shouldEnableButtonsAndWordCaptionsForEachEntry_data()
{
    QTest::addColumn<int>("entry");
    QTest::addColumn<bool>("dropAway");
    QTest::addColumn<bool>("contactDelay");
    QTest::addColumn<bool>("currents");

    QTest::newRow("0 QNA1 8F-8B") << 0 << true << false << false;
    QTest::newRow("1 QNA1 12F-4B") << 1 << true << false << false;
    QTest::newRow("2 QN1 8F-8B") << 2 << true << false << false;
    QTest::newRow("3 QN1 12F-4B") << 3 << true << false << false;
    QTest::newRow("4 QNA1K") << 4 << true << true << false;
    QTest::newRow("5 QL1 has no drop-away") << 5 << false << false << false;
    QTest::newRow("6 QECX61") << 6 << true << false << false;
    QTest::newRow("7 QTA2 in current") << 7 << true << false << true;
    QTest::newRow("8 QSPA1") << 8 << true << true << false;
}

void TestCatalogue::shouldEnableButtonsAndWordCaptionsForEachEntry()
{
    QFETCH(int, entry);
    QFETCH(bool, dropAway);
    QFETCH(bool, contactDelay);
    QFETCH(bool, currents);

    const catalogue::SelectionRules rules = catalogue::selectionRules(entry);
    QCOMPARE(rules.dropAwayEnabled, dropAway);
    QCOMPARE(rules.contactDelayEnabled, contactDelay);
    QCOMPARE(rules.pickUpCaption, currents ? QStringLiteral("Pick-Up Current:") : QStringLiteral("Pick-Up Voltage:"));
    QCOMPARE(rules.dropAwayCaption,
             currents ? QStringLiteral("Drop-Away Current:") : QStringLiteral("Drop-Away Voltage:"));
}

QTEST_GUILESS_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
