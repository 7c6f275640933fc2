#include "console/window/benchsession.h"
#include "console/window/demofolder.h"
#include "console/window/frmmain.h"
#include "kitsim/simulatedkitport.h"
#include "platform/displaycheck.h"
#include "platform/folderlock.h"
#include "platform/prompts.h"
#include "platform/shutdownsignals.h"
#include "platform/startupfolder.h"
#include "quillmark_version.h"
#include "reports/history/exporters.h"
#include "reports/history/historystore.h"
#include "reports/history/recorditems.h"
#include "reports/history/reportimport.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QStyleFactory>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <utility>
#include <vector>

namespace {

// The exit codes of a window run that could not begin, beside 1 and 2 of a command
// line the program cannot take: a service script tells them apart.
constexpr int NoDisplay = 3;
constexpr int FolderInUse = 4;

// Where the desktop entry starts the bench: the settings files art.cfg and artc.cfg
// and the contact results crval.csv are kept in the folder the program starts in. A
// simulated kit has a folder of its own inside it, so that trying the bench never
// moves the real bench's relay serial numbers on nor puts made-up relays in its
// results history.
QString benchFolder(bool simulated)
{
    const QString bench = QDir::home().filePath(QStringLiteral("Quillmark"));
    return simulated ? QDir(bench).filePath(QStringLiteral("Simulated kit")) : bench;
}

struct CommandLine {
    QCommandLineParser parser;
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption simulate{QStringLiteral("simulate"),
                                      QStringLiteral("Run against a simulated kit instead of a serial adapter "
                                                     "(demonstration and training).")};
    const QCommandLineOption inBenchFolder{QStringLiteral("bench-folder"),
                                           QStringLiteral("Start in the bench folder ~/Quillmark (made if missing) "
                                                          "instead of the current folder; art.cfg and artc.cfg "
                                                          "are kept there. The desktop entry starts Quillmark so. "
                                                          "With --simulate: ~/Quillmark/Simulated kit, with template and "
                                                          "report folders of its own.")};

    const QCommandLineOption history{QStringLiteral("history"),
                                     QStringLiteral("Keep the results history in URL: postgresql://user@host/database "
                                                    "for a history that several benches share, or sqlite:FILE. "
                                                    "Default: the environment variable QUILLMARK_HISTORY, else "
                                                    "history.sqlite in the start-up folder."),
                                     QStringLiteral("URL")};
    const QCommandLineOption exportHistory{QStringLiteral("export-history"),
                                           QStringLiteral("Write the relays of the results history to FILE (.csv or "
                                                          ".json) and exit; needs no display."),
                                           QStringLiteral("FILE")};
    const QCommandLineOption since{QStringLiteral("since"),
                                   QStringLiteral("With --export-history: only relays recorded on or after DATE "
                                                  "(yyyy-mm-dd)."),
                                   QStringLiteral("DATE")};
    const QCommandLineOption importReport{QStringLiteral("import-report"),
                                          QStringLiteral("Bring the records of the report file FILE into the results "
                                                         "history and exit; needs no display and --style."),
                                          QStringLiteral("FILE")};
    const QCommandLineOption style{QStringLiteral("style"),
                                   QStringLiteral("With --import-report: the relay style of the file, one of QNA1, "
                                                  "QN1, QNA1K, QL1, QECX61, QTA2, QSPA1."),
                                   QStringLiteral("NAME")};

    CommandLine()
    {
        parser.setApplicationDescription(QStringLiteral("Relay routine-test bench"));
        parser.addOption(simulate);
        parser.addOption(inBenchFolder);
        parser.addOption(history);
        parser.addOption(exportHistory);
        parser.addOption(since);
        parser.addOption(importReport);
        parser.addOption(style);
    }

    bool asksForTextOnly() const
    {
        return parser.isSet(help) || parser.isSet(version) || parser.isSet(QStringLiteral("help-all"));
    }

    bool isScript() const { return parser.isSet(exportHistory) || parser.isSet(importReport); }

    // What the parsed line holds that no run of the program takes, in one sentence;
    // empty when nothing. arguments: as parsed.
    QString mistake(const QStringList &arguments) const
    {
        if (!parser.unknownOptionNames().isEmpty()) {
            const QString name = parser.unknownOptionNames().constFirst();
            for (const QString &argument : arguments.mid(1)) {
                QString word = argument.section(QLatin1Char('='), 0, 0);
                while (word.startsWith(QLatin1Char('-')))
                    word.remove(0, 1);
                if (argument.startsWith(QLatin1Char('-')) && word == name)
                    return QStringLiteral("Unknown option %1 (quillmark --help lists the options)").arg(argument);
            }
            return QStringLiteral("Unknown option %1 (quillmark --help lists the options)").arg(name);
        }
        if (!parser.positionalArguments().isEmpty())
            return QStringLiteral("Unexpected argument %1 (quillmark takes no file or word without an option)")
                .arg(parser.positionalArguments().constFirst());
        // "--export-history ''", or the file left off the end of the line.
        for (const auto &[option, wanted] : {std::pair(&exportHistory, "a file name ending in .csv or .json"),
                                              std::pair(&importReport, "the report file to bring in")}) {
            if (parser.isSet(*option) && parser.value(*option).isEmpty())
                return QStringLiteral("--%1 needs %2").arg(option->names().constFirst(), QLatin1String(wanted));
        }
        for (const auto &[option, run] : {std::pair(&since, &exportHistory), std::pair(&style, &importReport)}) {
            if (parser.isSet(*option) && !parser.isSet(*run))
                return QStringLiteral("--%1 goes with --%2").arg(option->names().constFirst(), run->names().constFirst());
        }
        return {};
    }
};

// The window system's own options (-platform offscreen, -reverse and the like, with
// one dash or two), which it takes off the line when it opens; the rest is the
// program's. Its -style is left out: --style is the program's, and the bench wears
// Fusion whatever style is asked for.
QStringList withoutWindowSystemOptions(const QStringList &arguments)
{
    static const QStringList withValue{"platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
                                       "geometry", "qwindowtitle", "title", "qwindowicon", "icon", "session",
                                       "stylesheet", "display", "name", "visual", "qmljsdebugger"};
    static const QStringList alone{"reverse", "widgetcount", "sync", "testability", "nograb", "dograb"};
    QStringList ours;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        const QString word = argument.startsWith(QLatin1String("--")) ? argument.mid(2) : argument.mid(1);
        if (i == 0 || !argument.startsWith(QLatin1Char('-'))) {
            ours << argument;
        } else if (withValue.contains(word)) {
            ++i;  // and its value
        } else if (!alone.contains(word) && !withValue.contains(word.section(QLatin1Char('='), 0, 0))) {
            ours << argument;
        }
    }
    return ours;
}

// The folder the bench starts in: the current folder, or the bench folder when asked
// for, which the program then starts in as if started there (a relative path the
// operator typed means the same either way); none when it cannot be had. Taken once:
// whatever moves the current folder later, the bench's files stay here.
std::optional<platform::StartupFolder> startupFolder(const CommandLine &line)
{
    if (line.parser.isSet(line.inBenchFolder)) {
        const QString folder = benchFolder(line.parser.isSet(line.simulate));
        if (!QDir().mkpath(folder) || !QDir::setCurrent(folder)) {
            std::fprintf(stderr, "quillmark: cannot start in the bench folder %s\n",
                         qPrintable(QDir::toNativeSeparators(folder)));
            return std::nullopt;
        }
        // The menu's demonstration goes all the way to the final report in a folder of its own.
        if (line.parser.isSet(line.simulate) && !line.isScript()) {
            for (const QString &problem : demofolder::prepare(folder))
                std::fprintf(stderr, "quillmark: %s\n", qPrintable(problem));
        }
    }
    return platform::StartupFolder(QDir::currentPath());
}

// A script reads one line: what went wrong, or what was done.
int say(FILE *to, const QString &text, int code)
{
    std::fprintf(to, "quillmark: %s\n", qPrintable(text.simplified()));
    return code;
}

// A second bench started in a folder that another one holds: one line on standard
// error and, for an operator who started it from the menu and sees no terminal, a
// box saying the same. Ends once the box is closed, or at a stop signal.
int refuseHeldFolder(const QString &holder)
{
    say(stderr, holder, FolderInUse);
    platform::DialogPrompts prompts;
    QDialog *box = prompts.message(nullptr, QObject::tr("Quillmark is already running here"), holder,
                                   platform::PromptIcon::Exclamation);
    platform::ShutdownSignals stopSignals;
    QObject::connect(&stopSignals, &platform::ShutdownSignals::stopRequested, qApp, &QCoreApplication::quit);
    platform::whenClosed(box, qApp, &QCoreApplication::quit);
    QApplication::exec();
    return FolderInUse;
}

// A history password that came on the command line or in QUILLMARK_HISTORY stays
// readable in /proc for the whole run: once the address is read, its bytes there
// are overwritten.
void hideHistoryPassword(int argc = 0, char *argv[] = nullptr)
{
    for (int i = 1; i < argc; ++i)
        history::hidePassword(argv[i]);
    if (char *fromEnvironment = std::getenv("QUILLMARK_HISTORY"))
        history::hidePassword(fromEnvironment);
}

// --export-history and --import-report: the results history without a window.
int runScript(const CommandLine &line, int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (line.parser.isSet(line.exportHistory) && line.parser.isSet(line.importReport))
        return say(stderr, QStringLiteral("--export-history and --import-report are two runs; give one"), 2);
    const std::optional<platform::StartupFolder> folder = startupFolder(line);
    if (!folder)
        return 1;
    QString why;
    const std::optional<history::Location> location =
        history::chosenLocation(line.parser.value(line.history), *folder, &why);
    hideHistoryPassword();
    if (!location)
        return say(stderr, why, 2);
    history::Store store(*location, QStringLiteral("quillmark-script"));

    if (line.parser.isSet(line.importReport)) {
        const QString file = line.parser.value(line.importReport);
        const int styleCode = history::styleCodeOf(line.parser.value(line.style));
        if (styleCode == 0)
            return say(stderr, QStringLiteral("--import-report needs --style, one of QNA1, QN1, QNA1K, QL1, QECX61, "
                                              "QTA2, QSPA1"),
                       2);
        const history::ImportResult imported = history::importReportFile(store, file, styleCode);
        if (!imported.ok)
            return say(stderr, imported.error, 1);
        return say(stdout, QStringLiteral("%1: %2 record(s), %3 new to the results history %4")
                               .arg(file)
                               .arg(imported.records)
                               .arg(imported.added)
                               .arg(location->describe()),
                   0);
    }

    history::Filter filter;
    if (line.parser.isSet(line.since)) {
        filter.from = QDate::fromString(line.parser.value(line.since), Qt::ISODate);
        if (!filter.from.isValid())
            return say(stderr, QStringLiteral("--since takes a date as yyyy-mm-dd, not %1").arg(line.parser.value(line.since)),
                       2);
    }
    const QString file = line.parser.value(line.exportHistory);
    const history::ExportResult exported = history::exportRelays(store, filter, file);
    if (!exported.ok)
        return say(stderr, exported.error, 1);
    return say(stdout, QStringLiteral("%1 relay(s) written to %2").arg(exported.relays).arg(file), 0);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication::setApplicationName(QStringLiteral("Quillmark"));
    QApplication::setApplicationVersion(QStringLiteral(QUILLMARK_VERSION));

    // The whole line is read before the window system is opened, which would abort
    // on a PC with no display (a terminal over ssh, a package check): --help,
    // --version, the results history's scripts and every mistake are answered in
    // plain text there too.
    CommandLine line;
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    QStringList ours = withoutWindowSystemOptions(arguments);
    line.parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);  // "-bogus" is one word
    line.parser.parse(ours);
    // The window system reads the arguments again; the history's address is taken
    // from this first reading, before its password is hidden there.
    const QString historyUrl = line.parser.value(line.history);
    hideHistoryPassword(argc, argv);
    for (QString &argument : ours)
        argument = history::withoutPassword(argument);
    if (line.asksForTextOnly()) {
        // The usage line names the program as the operator types it, not the path it was started by.
        char name[] = "quillmark";
        std::vector<char *> named(argv, argv + argc);
        named.front() = name;
        QCoreApplication textOnly(argc, named.data());
        line.parser.process(ours);  // prints and exits
    }
    if (const QString mistake = line.mistake(ours); !mistake.isEmpty())
        return say(stderr, history::withoutPassword(mistake), 1);
    if (line.isScript())
        return runScript(line, argc, argv);

    auto displayCheck = std::make_unique<platform::DisplayCheck>(
        "quillmark: no display: set DISPLAY, or use --export-history/--import-report", NoDisplay);
    QApplication app(argc, argv);
    displayCheck.reset();
    QGuiApplication::setDesktopFileName(QStringLiteral(QUILLMARK_DESKTOP_ID));  // the menu entry's icon and name
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));  // coloured button faces everywhere
    QApplication::setWindowIcon(FrmMain::benchIcon());  // the dialogs wear it too

    const std::optional<platform::StartupFolder> folder = startupFolder(line);
    if (!folder)
        return 1;
    // Before anything of the folder is read or a port opened: held for the whole run.
    platform::FolderLock folderLock(*folder);
    if (const QString holder = folderLock.take(); !holder.isEmpty())
        return refuseHeldFolder(holder);
    QString historyWhy;
    // A simulated kit's relays go to a shared history only when the command line names it.
    const bool ownHistory = line.parser.isSet(line.simulate) && !line.parser.isSet(line.history);
    const std::optional<history::Location> historyAt =
        ownHistory ? std::optional(history::Location::inFolder(*folder))
                   : history::chosenLocation(historyUrl, *folder, &historyWhy);
    hideHistoryPassword();
    if (!historyAt)
        return say(stderr, historyWhy, 2);

    std::unique_ptr<KitPort> port;
    SimulatedKitPort *simulated = nullptr;
    if (line.parser.isSet(line.simulate)) {
        auto kitPort = std::make_unique<SimulatedKitPort>();
        simulated = kitPort.get();
        port = std::move(kitPort);
    }

    BenchRecord record;
    platform::DialogPrompts prompts;  // every message box and file dialog of the bench
    FrmMain frmMain(record, prompts, *folder, {}, std::move(port));
    if (simulated) {
        frmMain.setWindowTitle(frmMain.windowTitle() + QStringLiteral(" [simulated kit]"));
        // The simulated kit has the relay the operator selects wired to it.
        QObject::connect(&frmMain, &FrmMain::relaySelected, simulated,
                         [simulated](int listIndex) { simulated->kit().setRelay(listIndex); });
    }
    BenchSession session(frmMain, *historyAt);
    session.start();
    return app.exec();
}
