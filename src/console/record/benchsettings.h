#pragma once

#include "console/record/configfiles.h"
#include "platform/startupfolder.h"

#include <QSet>
#include <QString>
#include <QStringList>

// The two settings files of one bench run: read once at start-up and written once at
// close, the way the bench always has, but never replaced by something worse. A file
// the bench cannot use is kept beside itself before the defaults overwrite it; one
// that cannot even be copied is left exactly as it is for the whole run, the bench
// running on the defaults in memory. Settings that cannot reach their files at close
// go to the user's own data folder and to standard error, so that nothing of the run
// (the advanced relay serial numbers above all) is lost without a word.
class BenchSettings
{
public:
    explicit BenchSettings(const platform::StartupFolder &startupFolder);

    struct Values {
        config::PortAndNumbering portAndNumbering;
        config::Folders folders;
    };

    struct Loaded {
        Values values;
        // What the operator must be told once, in a message box; empty when nothing.
        QString notice;
        // Files the defaults could not be written to at start-up (path, why).
        QList<std::pair<QString, QString>> unwritable;
    };
    Loaded load();

    struct Saved {
        bool ok = true;
        QString text;  // for the operator when not ok: which file, why, where the settings went
    };
    Saved save(const Values &values);

    // Where settings that could not be saved are put: a new folder each time, under
    // the user's data folder, named by the time and this program's process number.
    static QString unsavedFolder();

    const QString &startupFolder() const { return m_folder; }

private:
    bool heldBack(const QString &path) const { return m_heldBack.contains(path); }

    QString m_folder;
    QSet<QString> m_heldBack;  // could not be read nor copied: not overwritten this run
};
