#include "console/window/demofolder.h"

#include "console/record/configfiles.h"
#include "platform/atomicfile.h"
#include "platform/paths.h"
#include "reports/finalreport.h"
#include "reports/reportfile.h"

#include <QDir>
#include <QFile>

namespace demofolder {

namespace {

constexpr int StyleCount = 7;

QString subfolder(const QString &folder, const QString &name)
{
    return platform::inFolder(folder, name) + platform::separator();
}

bool holdsTheBenchDefaults(const QString &folder)
{
    QFile artc(config::artcPath(folder));
    if (!artc.open(QIODevice::ReadOnly))
        return false;
    const std::optional<config::Folders> found = config::parseArtc(artc.readAll());
    const config::Folders defaults = config::defaultFolders(folder);
    return found && found->excelPath == defaults.excelPath && found->templateFolder == defaults.templateFolder
           && found->saveFolder == defaults.saveFolder;
}

void note(QStringList &problems, const QString &path, const platform::WriteResult &written)
{
    if (!written.ok)
        problems << QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), written.error);
}

} // namespace

QStringList prepare(const QString &folder)
{
    QStringList problems;
    const QString templates = subfolder(folder, QStringLiteral("templates"));
    const QString reports = subfolder(folder, QStringLiteral("reports"));
    for (const QString &made : {templates, reports}) {
        if (!QDir().mkpath(made))
            problems << QStringLiteral("%1: the folder cannot be made").arg(QDir::toNativeSeparators(made));
    }
    // The bench resets both settings files when either is missing, so art.cfg comes too.
    if (!QFile::exists(config::artPath(folder)))
        note(problems, config::artPath(folder), config::saveArt(folder, config::defaultPortAndNumbering()));
    if (!QFile::exists(config::artcPath(folder)) || holdsTheBenchDefaults(folder))
        note(problems, config::artcPath(folder),
             config::saveArtc(folder, {platform::defaultSpreadsheetPath(), templates, reports}));

    for (int styleCode = 1; styleCode <= StyleCount; ++styleCode) {
        const QString name = reports::templateFileName(styleCode);
        const QString path = platform::concatenated(templates, name);
        if (QFile::exists(path))
            continue;
        const QString text = QStringLiteral("A stand-in for the %1 routine-test template, made by Quillmark for the "
                                            "simulated kit;\nit is not a spreadsheet. Put the real template here.\n")
                                 .arg(reports::styleName(styleCode));
        note(problems, path, platform::replaceFileAtomically(path, text.toUtf8()));
    }
    return problems;
}

} // namespace demofolder
