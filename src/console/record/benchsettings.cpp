#include "console/record/benchsettings.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <utility>

namespace {

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

QString keptCopyLine(const config::KeptCopy &kept)
{
    const QString file = QFileInfo(kept.path).completeBaseName();  // art.cfg.unreadable -> art.cfg
    if (!kept.written.ok)
        return QStringLiteral("Quillmark: %1 could not be used, and no copy of it could be kept as %2 (%3); "
                              "it is left as it is and the bench runs on the default settings")
            .arg(file, native(kept.path), kept.written.error);
    if (kept.unusable)
        return QStringLiteral("Quillmark: %1 could not be used and the settings are reset to the defaults; "
                              "what it held is kept in %2")
            .arg(file, native(kept.path));
    return QStringLiteral("Quillmark: %1 is reset to the defaults along with the other settings file; "
                          "what it held is kept in %2")
        .arg(file, native(kept.path));
}

} // namespace

BenchSettings::BenchSettings(const platform::StartupFolder &startupFolder)
    : m_folder(startupFolder.path())
{
}

BenchSettings::Loaded BenchSettings::load()
{
    Loaded result;
    const config::LoadResult found = config::load(m_folder);
    if (found.loaded) {
        result.values = {found.loaded->portAndNumbering, found.loaded->folders};
        return result;
    }

    // The reset stays silent on screen, as the bench always was; what it overwrites is
    // kept beside it, and the one who looks at the terminal or the service log learns
    // where. Only a file that could not even be copied is worth a message box: the
    // bench is about to run without the serial numbers it holds.
    QStringList notHeld;
    for (const config::KeptCopy &kept : config::keepBeforeReset(m_folder, found)) {
        qWarning().noquote() << keptCopyLine(kept);
        if (kept.written.ok)
            continue;
        const QString original = kept.path.left(kept.path.lastIndexOf(QLatin1Char('.')));
        m_heldBack.insert(original);
        notHeld << QStringLiteral("%1\n(%2)").arg(native(original), kept.written.error);
    }
    if (!notHeld.isEmpty())
        result.notice = QObject::tr("Quillmark could not use its settings file\n%1\n\nNo copy of it could be kept, "
                                    "so Quillmark leaves it exactly as it is and runs on the default settings "
                                    "until it closes: the port and the relay serial numbers start from the "
                                    "defaults. Closing will not overwrite it; the settings of this run are then "
                                    "kept under\n%2")
                            .arg(notHeld.join(QStringLiteral("\n")), native(QFileInfo(unsavedFolder()).path()));

    result.values = {config::defaultPortAndNumbering(), config::defaultFolders(m_folder)};
    for (const auto &[path, bytes] : {std::pair{config::artPath(m_folder), config::formatArt(result.values.portAndNumbering)},
                                      std::pair{config::artcPath(m_folder), config::formatArtc(result.values.folders)}}) {
        if (heldBack(path))
            continue;
        if (const platform::WriteResult written = platform::replaceFileAtomically(path, bytes); !written.ok)
            result.unwritable.append({path, written.error});
    }
    return result;
}

BenchSettings::Saved BenchSettings::save(const Values &values)
{
    const QList<std::pair<QString, QByteArray>> files{
        {config::artPath(m_folder), config::formatArt(values.portAndNumbering)},
        {config::artcPath(m_folder), config::formatArtc(values.folders)}};
    QStringList failures;
    for (const auto &[path, bytes] : files) {
        if (heldBack(path)) {
            failures << QObject::tr("%1\n(left as it was: it could not be read at start-up, and no copy of it "
                                    "could be kept)")
                            .arg(native(path));
            continue;
        }
        if (const platform::WriteResult written = platform::replaceFileAtomically(path, bytes); !written.ok)
            failures << QStringLiteral("%1\n(%2)").arg(native(path), written.error);
    }
    if (failures.isEmpty())
        return {};

    // Both files go together, so that the copy is a whole set the operator can put back.
    const QString folder = unsavedFolder();
    QStringList keptIn;
    QString keepError;
    if (!QDir().mkpath(folder)) {
        keepError = QObject::tr("the folder cannot be made");
    } else {
        for (const auto &[path, bytes] : files) {
            const QString copy = QDir(folder).filePath(QFileInfo(path).fileName());
            if (const platform::WriteResult written = platform::replaceFileAtomically(copy, bytes); !written.ok)
                keepError = written.error;
        }
    }

    Saved saved;
    saved.ok = false;
    saved.text = QObject::tr("Quillmark could not write its settings file\n%1\n\n").arg(failures.join(u'\n'));
    if (keepError.isEmpty())
        saved.text += QObject::tr("The port choice, the relay serial numbers and the folders of this run are kept "
                                  "in\n%1\nCopy art.cfg and artc.cfg from there into\n%2\nto start from them next "
                                  "time.")
                          .arg(native(folder), native(m_folder));
    else
        saved.text += QObject::tr("They could not be kept in %1 either (%2). The settings of this run are written "
                                  "on standard error.")
                          .arg(native(folder), keepError);

    // The same on standard error, with the files themselves, for a bench closed by a
    // logout or a service stop that no one watched.
    qWarning().noquote() << QStringLiteral("Quillmark: ") + saved.text;
    for (const auto &[path, bytes] : files)
        qWarning().noquote() << QStringLiteral("Quillmark: the settings of this run for %1:\n").arg(native(path))
                                    + QString::fromLocal8Bit(bytes);
    return saved;
}

QString BenchSettings::unsavedFolder()
{
    // Two benches of one user closed in the same second (a logout ends them all at
    // once) must not put their serial numbers into one folder: the process number
    // keeps them apart.
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QDir(data).filePath(QStringLiteral("Quillmark/unsaved settings/%1 process %2")
                                   .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH.mm.ss")))
                                   .arg(QCoreApplication::applicationPid()));
}
