// Arbitrary art.cfg and artc.cfg bytes through the settings reader: no crash, and
// whatever the reader accepts is written back in a form it reads the same way.

#include "console/record/configfiles.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));

    if (const auto art = config::parseArt(bytes)) {
        if (art->portNumber < 0 || art->portNumber > 255)
            std::abort();
        // A value with a double quote or a line break cannot be written back as it
        // was read; every other accepted file must survive a round trip.
        bool plain = true;
        for (int r = 1; r <= config::RelayRows; ++r)
            for (int f = 1; f <= 3; ++f)
                plain = plain && !art->relayNumbering[r][f].contains(QLatin1Char('"'));
        if (plain) {
            const auto again = config::parseArt(config::formatArt(*art));
            if (!again || again->portNumber != art->portNumber || again->relayNumbering != art->relayNumbering)
                std::abort();
        }
    }
    if (const auto artc = config::parseArtc(bytes)) {
        const auto again = config::parseArtc(config::formatArtc(*artc));
        if (!again)
            std::abort();
    }
    return 0;
}
