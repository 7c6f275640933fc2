#include "reports/history/recorditems.h"

#include "console/record/benchrecord.h"
#include "platform/numbertext.h"
#include "reports/reportfields.h"
#include "reports/reportfile.h"

#include <QCryptographicHash>
#include <QHash>
#include <QJsonArray>
#include <QRegularExpression>

#include <array>
#include <charconv>
#include <cmath>
#include <string_view>

namespace history {

namespace {

using formlayout::Control;
using formlayout::Kind;

constexpr int LongRecordLines = 54;
constexpr int FirstLongItemLine = 39;  // item k on line 39 + k
constexpr int LongCodeLine = 38;

QString shown(const char *caption)
{
    return QString::fromUtf8(caption).replace(QStringLiteral("&&"), QStringLiteral("&")).trimmed();
}

const Control *findControl(const reports::StyleFields &style, const QString &name)
{
    for (const Control &c : reports::formControls(style)) {
        if (name == QLatin1String(c.name))
            return &c;
    }
    return nullptr;
}

// "txtAutoPara(3)" and "cmbOK(2)" are captioned by "lblAutoPara(3)" and "lblOK(2)".
QString captionOf(const reports::StyleFields &style, const QString &controlName)
{
    const Control *label = findControl(style, QStringLiteral("lbl") + controlName.mid(3));
    return label ? shown(label->caption) : QString();
}

QString groupOf(const reports::StyleFields &style, const Control &control)
{
    if (!control.parent || std::string_view(control.parent) == "Frame1")
        return {};
    const Control *frame = findControl(style, QString::fromLatin1(control.parent));
    return frame ? shown(frame->caption) : QString();
}

QString slug(const QString &text)
{
    QString out;
    for (const QChar c : text.toLower()) {
        if (c.isLetterOrNumber() && c.unicode() < 128)
            out += c;
        else if (!out.endsWith(QLatin1Char('_')) && !out.isEmpty() && c != QLatin1Char('&'))
            out += QLatin1Char('_');
    }
    while (out.endsWith(QLatin1Char('_')))
        out.chop(1);
    return out;
}

// Names that read the same on every style, so one quantity can be followed across
// styles: the clause references and units of the captions are left out.
QString nameOf(const QString &caption, const QString &group)
{
    static const std::array<std::pair<const char *, const char *>, 13> byStart{{
        {"HV Test", "hv_test"},
        {"Insulation Resistance", "insulation_resistance"},
        {"Coil Resistance", "coil_resistance"},
        {"Release (Ohms)", "coil_resistance_release"},
        {"Relay should not operate", "release_coil_non_operate"},
        {"Cont. Clearance", "contact_clearance"},
        {"Non-Bridging Test", "non_bridging_test"},
        {"Annealing Test", "annealing_test"},
        {"Visual Inspection", "visual_inspection"},
        {"% Release", "release_percent"},
        {"DA (mA)", "hand_drop_away_current"},
        {"PU (mA)", "hand_pick_up_current"},
        {"Ac Immunity Test", "ac_immunity"},
    }};
    for (const auto &[start, name] : byStart) {
        if (!caption.startsWith(QLatin1String(start)))
            continue;
        QString result = QLatin1String(name);
        if (result == QLatin1String("ac_immunity") && caption.contains(QLatin1String("(when applied gradually)")))
            result += QLatin1String("_gradual");
        else if (result == QLatin1String("ac_immunity") && caption.contains(QLatin1String("(when applied abruptly)")))
            result += QLatin1String("_abrupt");
        return result;
    }
    QString base = caption.section(QLatin1Char('('), 0, 0);
    for (const char *prefix : {"Contact Resistance", "Contact Pressure", "Plating thickness"}) {
        if (group.startsWith(QLatin1String(prefix)))
            base = QString::fromLatin1(prefix).section(QLatin1Char(' '), 0, 1) + QLatin1Char(' ') + base;
    }
    return slug(base);
}

// The form's caption names a unit at its end, "Front (Ohms)"; the history names it
// apart, from the quantity, so the caption is kept without it.
QString withoutUnit(const QString &caption)
{
    static const QRegularExpression trailing(QStringLiteral("\\s*\\((Ohms|MOhms|V|mA|gm|mm|inch|ms)\\)\\s*$"));
    return QString(caption).remove(trailing).trimmed();
}

// Each result a form shows is a bench record value, measured in its own unit: the
// kit reports contact resistance in tenths of a milliohm, whatever a caption says.
QString unitOf(reports::Source source)
{
    using reports::Source;
    switch (source) {
    case Source::CoilResistance1:
    case Source::CoilResistance2: return QStringLiteral("Ohms");
    case Source::PickUpVoltage:
    case Source::DropAwayVoltage:
    case Source::ManualDropAwayVoltage: return QStringLiteral("V");
    case Source::PickUpCurrent:
    case Source::DropAwayCurrent:
    case Source::FullOperateCurrent: return QStringLiteral("mA");
    case Source::ReleasePercent: return QStringLiteral("% or mA");  // each relay's own: releaseUnit()
    case Source::LargestFrontResistance:
    case Source::LargestBackResistance: return QStringLiteral("mOhms");
    case Source::LatestDelay:
    case Source::ReleaseTransferDelay:
    case Source::FrontBounce:
    case Source::BackBounce:
    case Source::DropAwayTime:
    case Source::DelayDifference: return QStringLiteral("ms");
    }
    return {};
}

// What the operator measures by hand and types in, by item name.
constexpr std::array<std::pair<const char *, const char *>, 10> TypedUnits{{
    {"insulation_resistance", "MOhms"},
    {"contact_pressure_front", "gm"},
    {"contact_pressure_back", "gm"},
    {"plating_thickness_armature", "mm"},
    {"plating_thickness_core", "mm"},
    {"plating_thickness_heel_piece", "mm"},
    {"contact_clearance", "inch"},
    {"hand_drop_away_current", "mA"},
    {"hand_pick_up_current", "mA"},
    {"ecr_v_drop_at_125", "V"},
}};

QString typedUnitOf(const QString &name)
{
    for (const auto &[item, unit] : TypedUnits) {
        if (name == QLatin1String(item))
            return QLatin1String(unit);
    }
    return {};
}

const reports::Fill *fillOf(const reports::StyleFields &style, const QString &controlName)
{
    for (const reports::Fill &fill : style.fills) {
        if (controlName == QStringLiteral("txtAutoPara(%1)").arg(fill.field))
            return &fill;
    }
    return nullptr;
}

Role roleOf(reports::Source source)
{
    using reports::Source;
    switch (source) {
    case Source::CoilResistance1: return Role::CoilResistance;
    case Source::PickUpVoltage:
    case Source::PickUpCurrent: return Role::PickUp;
    case Source::DropAwayVoltage:
    case Source::DropAwayCurrent: return Role::DropAway;
    case Source::LargestFrontResistance: return Role::FrontContact;
    case Source::LargestBackResistance: return Role::BackContact;
    default: return Role::None;
    }
}

// The long record carries the coil and voltage readings themselves on lines 2 to 5.
int rawLineOf(reports::Source source)
{
    using reports::Source;
    switch (source) {
    case Source::CoilResistance1: return 2;
    case Source::PickUpVoltage: return 3;
    case Source::DropAwayVoltage: return 4;
    case Source::ManualDropAwayVoltage: return 5;
    default: return 0;
    }
}

QList<ItemDefinition> buildDefinitions(int styleCode)
{
    const reports::StyleFields *style = reports::styleFields(styleCode);
    if (!style)
        return {};
    const bool longRecord = reports::recordLineCount(styleCode) == LongRecordLines;

    QHash<QString, int> itemLine;
    for (int k = 2; k < int(style->items.size()) + 2; ++k) {
        if (const char *name = style->items[std::size_t(k - 2)])
            itemLine.insert(QString::fromLatin1(name), longRecord ? FirstLongItemLine + k : k);
    }
    const QString codeControl = style->codeField >= 0 ? QStringLiteral("txtAutoPara(%1)").arg(style->codeField)
                                                      : QString();

    QList<ItemDefinition> definitions{{QStringLiteral("relay_id"), QStringLiteral("Relay ID No.:"), {}, ItemKind::Text, {},
                           Role::None, 1, -1}};
    bool codeDone = false;
    for (const Control &c : reports::formControls(*style)) {
        if (c.kind != Kind::TextBox && c.kind != Kind::List)
            continue;
        const QString name = QString::fromLatin1(c.name);
        const reports::Fill *fill = fillOf(*style, name);
        const bool code = name == codeControl
                          || (style->codeField == reports::CodeByContactVariant
                              && (name == QLatin1String("txtAutoPara(6)") || name == QLatin1String("txtAutoPara(7)")));
        ItemDefinition definition;
        if (code) {
            if (codeDone)
                continue;
            codeDone = true;
            definition = {QStringLiteral("interlocking_code"), QStringLiteral("Interlocking Code"), {}, ItemKind::Text, {},
                    Role::None, longRecord ? LongCodeLine : itemLine.value(name), -1};
        } else if (itemLine.contains(name)) {
            definition.line = itemLine.value(name);
        } else if (longRecord && fill && rawLineOf(fill->source) != 0) {
            definition.line = rawLineOf(fill->source);
            definition.decimals = fill->format == reports::Format::TwoDecimals ? 2 : 1;
        } else {
            continue;  // shown on the form but not recorded
        }
        if (!code) {
            const QString caption = captionOf(*style, name);
            definition.caption = withoutUnit(caption);
            definition.group = groupOf(*style, c);
            definition.name = nameOf(caption, definition.group);
            definition.kind = name.startsWith(QLatin1String("cmbOK")) ? ItemKind::Verdict
                        : name.startsWith(QLatin1String("cmb"))  ? ItemKind::Text
                                                                 : ItemKind::Measured;
            definition.unit = fill ? unitOf(fill->source)
                        : definition.kind == ItemKind::Measured ? typedUnitOf(definition.name)
                                                                : QString();
            if (fill) {
                definition.role = roleOf(fill->source);
                definition.pickUpCurrent = fill->source == reports::Source::PickUpCurrent;
                definition.releasePercent = fill->source == reports::Source::ReleasePercent;
            }
        }
        definitions.append(definition);
    }

    // A style with two of a kind (a pick-up voltage and current) reports the one
    // its record carries first.
    for (ItemDefinition &definition : definitions) {
        if (definition.role == Role::None)
            continue;
        for (const ItemDefinition &other : definitions) {
            if (&other != &definition && other.role == definition.role && other.line < definition.line)
                definition.role = Role::None;
        }
    }
    return definitions;
}

std::optional<double> numberOf(const QString &text)
{
    QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    if (!t.contains(QLatin1Char('.')))
        t.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = t.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

QString designText(const reports::StyleFields &style, const char *controlName)
{
    const Control *c = findControl(style, QString::fromLatin1(controlName));
    return c ? QString::fromUtf8(c->caption) : QString();
}

} // namespace

const QList<ItemDefinition> &itemDefinitions(int styleCode)
{
    static const std::array<QList<ItemDefinition>, 8> definitions{buildDefinitions(0), buildDefinitions(1), buildDefinitions(2), buildDefinitions(3),
                                                      buildDefinitions(4), buildDefinitions(5), buildDefinitions(6), buildDefinitions(7)};
    return definitions[std::size_t(styleCode >= 1 && styleCode <= 7 ? styleCode : 0)];
}

InterlockingCodes interlockingCodes(int styleCode)
{
    const reports::StyleFields *style = reports::styleFields(styleCode);
    if (!style || style->codeField == -1)
        return {};
    InterlockingCodes out;
    for (const ItemDefinition &definition : itemDefinitions(styleCode)) {
        if (definition.name == QLatin1String("interlocking_code"))
            out.line = definition.line;
    }
    if (style->codeField == reports::CodeByContactVariant)
        out.codes = {designText(*style, "txtAutoPara(6)"), designText(*style, "txtAutoPara(7)")};
    else
        out.codes = {designText(*style, qPrintable(QStringLiteral("txtAutoPara(%1)").arg(style->codeField)))};
    return out;
}

QString unitOf(Role role)
{
    for (int code = 1; code <= 7; ++code) {
        for (const ItemDefinition &definition : itemDefinitions(code)) {
            if (definition.role == role)
                return definition.unit;
        }
    }
    return {};
}

int styleCodeOf(const QString &styleName)
{
    for (int code = 1; code <= 7; ++code) {
        if (styleName.compare(reports::styleName(code), Qt::CaseInsensitive) == 0)
            return code;
    }
    return 0;
}

double shortestDouble(float value)
{
    std::array<char, 32> text{};
    const char *end = std::to_chars(text.data(), text.data() + text.size(), value).ptr;
    double widened = value;
    std::from_chars(text.data(), end, widened);
    return widened;
}

QString releaseUnit(const std::optional<double> &pickUpCurrent)
{
    return pickUpCurrent && *pickUpCurrent < 20 ? QStringLiteral("mA") : QStringLiteral("%");
}

RelayEntry entryFromLines(int styleCode, const QStringList &lines)
{
    RelayEntry entry;
    entry.styleCode = styleCode;
    entry.relayId = lines.value(0);
    const QList<ItemDefinition> &definitions = itemDefinitions(styleCode);
    std::optional<double> pickUpCurrent;
    for (const ItemDefinition &definition : definitions) {
        Item item{definition.name, definition.caption, definition.group, definition.kind, definition.unit, lines.value(definition.line - 1), {}};
        if (definition.kind == ItemKind::Measured)
            item.number = numberOf(item.text);
        if (definition.decimals >= 0)
            item.text = item.number ? platform::fixedDecimals(*item.number, definition.decimals) : item.text.trimmed();
        if (definition.pickUpCurrent)
            pickUpCurrent = item.number;
        switch (definition.role) {
        case Role::CoilResistance: entry.coilResistance = item.number; break;
        case Role::PickUp: entry.pickUp = item.number; entry.pickUpUnit = definition.unit; break;
        case Role::DropAway: entry.dropAway = item.number; entry.dropAwayUnit = definition.unit; break;
        case Role::FrontContact: entry.frontContact = item.number; break;
        case Role::BackContact: entry.backContact = item.number; break;
        case Role::None: break;
        }
        if (definition.kind == ItemKind::Verdict) {
            ++entry.verdictsTotal;
            if (item.text != QLatin1String("OK"))
                ++entry.verdictsFailed;
        }
        entry.items.append(item);
    }
    for (qsizetype i = 0; i < definitions.size(); ++i) {
        if (definitions[i].releasePercent)
            entry.items[i].unit = releaseUnit(pickUpCurrent);
    }

    // QNA1 and QN1 tell their contact variant by the interlocking code they carry.
    if (const reports::StyleFields *style = reports::styleFields(styleCode);
        style && style->codeField == reports::CodeByContactVariant) {
        const QString code = lines.value(LongCodeLine - 1);
        entry.contactVariant = code == designText(*style, "txtAutoPara(7)")   ? 1
                               : code == designText(*style, "txtAutoPara(6)") ? 2
                                                                              : 0;
    }
    entry.raw.insert(QStringLiteral("lines"), QJsonArray::fromStringList(lines));
    const QByteArray bytes = (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toLatin1();
    entry.recordSha1 = QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex();
    return entry;
}

RelayEntry withCurrentItems(const RelayEntry &kept)
{
    const QStringList lines = kept.raw.value(QStringLiteral("lines")).toVariant().toStringList();
    if (lines.isEmpty())
        return kept;
    const RelayEntry read = entryFromLines(kept.styleCode, lines);
    RelayEntry out = kept;
    out.items = read.items;
    out.pickUpUnit = read.pickUpUnit;
    out.dropAwayUnit = read.dropAwayUnit;
    return out;
}

RelayEntry entryFromRecord(const BenchRecord &record)
{
    QStringList lines = QString::fromLatin1(reports::formatRecord(record)).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.constLast().isEmpty())
        lines.removeLast();
    RelayEntry entry = entryFromLines(record.StyleCode, lines);
    entry.source = QStringLiteral("form");

    const auto channels = [](const std::array<float, ResultSlots> &values) {
        QJsonArray out;
        for (const float v : values)
            out.append(shortestDouble(v));
        return out;
    };
    entry.raw.insert(QStringLiteral("bench"),
                     QJsonObject{
                         {QStringLiteral("CoilResistance1"), shortestDouble(record.CoilResistance1)},
                         {QStringLiteral("CoilResistance2"), shortestDouble(record.CoilResistance2)},
                         {QStringLiteral("PickUpVoltage"), shortestDouble(record.PickUpVoltage)},
                         {QStringLiteral("PickUpCurrent"), shortestDouble(record.PickUpCurrent)},
                         {QStringLiteral("DropAwayVoltage"), shortestDouble(record.DropAwayVoltage)},
                         {QStringLiteral("DropAwayCurrent"), shortestDouble(record.DropAwayCurrent)},
                         {QStringLiteral("ManualDropAwayVoltage"), shortestDouble(record.ManualDropAwayVoltage)},
                         {QStringLiteral("ContactRes"), channels(record.ContactRes)},
                         {QStringLiteral("ContactDelay"), channels(record.ContactDelay)},
                         {QStringLiteral("NOSequence"), record.NOSequence},
                         {QStringLiteral("NCSequence"), record.NCSequence},
                         {QStringLiteral("ContactVariant"), record.ContactVariant},
                     });
    return entry;
}

} // namespace history
