#pragma once

#include "kitheard.h"

#include "console/record/configfiles.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// quillmark-kitsim playing the kit on a pseudo-terminal, linked as COM<Port> in a
// scratch folder whose settings files name that port. Told more faults while it runs.
class KitProcess
{
public:
    static constexpr int Port = 9;

    explicit KitProcess(int relay, const QStringList &faults = {})
    {
        config::PortAndNumbering stored = config::defaultPortAndNumbering();
        stored.portNumber = Port;
        (void)config::saveArt(folder.path(), stored);
        (void)config::saveArtc(folder.path(), config::defaultFolders(folder.path()));
        QStringList arguments{"--folder", folder.path(), "--port", QString::number(Port), "--relay",
                              QString::number(relay), "--time-scale", "0.05", "--fault-input"};
        for (const QString &fault : faults)
            arguments << "--fault" << fault;
        kit.start(QStringLiteral(KITSIM_PROGRAM), arguments);
        m_linked = kitSays(QStringLiteral("linked as"));
    }
    ~KitProcess()
    {
        kit.terminate();
        kit.waitForFinished(3000);
    }
    KitProcess(const KitProcess &) = delete;
    KitProcess &operator=(const KitProcess &) = delete;

    bool linked() const { return m_linked; }

    bool kitSays(const QString &text, int timeoutMs = 10000)
    {
        return QTest::qWaitFor(
            [&] {
                m_said += QString::fromLocal8Bit(kit.readAllStandardError());
                return m_said.contains(text);
            },
            timeoutMs);
    }
    QString said() const { return m_said; }

    // Puts a fault in force from the kit's next frame on.
    bool turnKit(const QString &fault)
    {
        kit.write((fault + QLatin1Char('\n')).toLocal8Bit());
        return kitSays(QStringLiteral("fault %1 in force").arg(fault));
    }

    // The kit's cable pulled ("unplug": its line and link gone) or plugged back in
    // ("plug": a new line at the same link); each once a rig.
    bool cable(const QString &action)
    {
        kit.write((action + QLatin1Char('\n')).toLocal8Bit());
        return kitSays(action == QLatin1String("plug") ? QStringLiteral("plugged in on") : QStringLiteral("unplugged"));
    }

    // The kit asked what its outputs are left at: everything off and at zero.
    bool leftSafe()
    {
        kit.write("state\n");
        return kitSays(QStringLiteral("state supply 0.00 V, coil 1 off, coil 2 off, source off at 0.0 mA"));
    }

    // A kit killed leaves its link behind, leading to a pseudo-terminal number the
    // next program to ask for one may get: gone with it, so that the bench looking for
    // its kit again never finds another test's.
    void killKit()
    {
        kit.kill();
        QFile::remove(folder.filePath(QStringLiteral("COM%1").arg(Port)));
    }

    // Commands the kit heard, in order.
    QStringList heard()
    {
        m_heard += kit.readAllStandardOutput();
        QStringList commands;
        for (const Heard &h : readKitLog(m_heard))
            commands << h.command;
        return commands;
    }

    // Commands heard from now on only.
    void forgetHeard()
    {
        (void)heard();
        m_heard.clear();
    }

    QTemporaryDir folder;
    QProcess kit;

private:
    bool m_linked = false;
    QString m_said;
    QByteArray m_heard;
};
