#include "kitsim/relaymodel.h"

#include "console/record/relaycatalogue.h"

#include <QList>

#include <algorithm>
#include <array>

namespace kitsim {

namespace {

// One row per catalogue entry. The 24 V styles pick up between 14 and 18 V and drop
// away between 3 and 8 V; QTA2 is a 9 ohm track relay that works on about 120 mA.
// QSPA1 is slow to pick up, so its contacts take several times longer to transfer.
constexpr std::array<RelayModel, catalogue::EntryCount> Models = {{
    {1030.0, 0.0, 15.80, 6.10, 0.0, 24.0, 9000},    // QNA1 8F-8B
    {980.5, 0.0, 16.20, 5.80, 0.0, 24.0, 9500},     // QNA1 12F-4B
    {890.0, 0.0, 14.90, 5.20, 0.0, 24.0, 8500},     // QN1 8F-8B
    {845.0, 0.0, 15.30, 4.90, 0.0, 24.0, 8800},     // QN1 12F-4B
    {660.0, 0.0, 16.80, 7.20, 0.0, 24.0, 11000},    // QNA1K
    {740.0, 695.0, 15.10, 3.90, 14.60, 24.0, 10000},// QL1, second coil R3-R4
    {480.0, 0.0, 17.40, 7.80, 0.0, 24.0, 7500},     // QECX61
    {9.0, 0.0, 1.062, 0.639, 0.0, 4.5, 14000},      // QTA2: 118 mA up, 71 mA down
    {555.0, 0.0, 14.20, 3.60, 0.0, 24.0, 58000},    // QSPA1
}};

catalogue::Contact contactAt(int listIndex, int channel)
{
    static const ContactLayoutTable layout = [] {
        ContactLayoutTable table{};
        catalogue::buildContactLayout(table);
        return table;
    }();
    if (listIndex < 0 || listIndex >= catalogue::EntryCount || channel < 1 || channel > catalogue::ChannelCount)
        return catalogue::Contact::None;
    return static_cast<catalogue::Contact>(layout[listIndex][channel]);
}

} // namespace

const RelayModel &relayModel(int listIndex)
{
    return Models[listIndex >= 0 && listIndex < catalogue::EntryCount ? listIndex : 0];
}

double pickUpMilliamps(const RelayModel &relay)
{
    return relay.pickUpVolts / relay.coilOhms * 1000.0;
}

double dropAwayMilliamps(const RelayModel &relay)
{
    return relay.dropAwayVolts / relay.coilOhms * 1000.0;
}

bool isFront(int listIndex, int channel)
{
    return contactAt(listIndex, channel) == catalogue::Contact::Front;
}

bool isBack(int listIndex, int channel)
{
    return contactAt(listIndex, channel) == catalogue::Contact::Back;
}

int madeContactTenthMilliohms(int listIndex, int channel)
{
    return 200 + (channel * 173 + listIndex * 61) % 600;
}

int transferMicros(int listIndex, int channel)
{
    if (!isFront(listIndex, channel) && !isBack(listIndex, channel))
        return 0;
    // Back contacts break on the release, which is a little slower than the make.
    const int spread = ((channel * 7 + listIndex * 3) % 16) * 850;
    return relayModel(listIndex).transferMicros + spread + (isBack(listIndex, channel) ? 1500 : 0);
}

QByteArray contactSequence(int listIndex, bool normallyOpen)
{
    QList<int> channels;
    for (int channel = 1; channel <= catalogue::ChannelCount && channels.size() < 8; ++channel) {
        if (normallyOpen ? isFront(listIndex, channel) : isBack(listIndex, channel))
            channels << channel;
    }
    QList<int> byTime = channels;
    std::stable_sort(byTime.begin(), byTime.end(), [listIndex](int a, int b) {
        return transferMicros(listIndex, a) < transferMicros(listIndex, b);
    });
    QByteArray sequence(8, '-');
    for (qsizetype place = 0; place < channels.size(); ++place)
        sequence[place] = static_cast<char>('1' + byTime.indexOf(channels[place]));
    return sequence;
}

} // namespace kitsim
