// The serial adapters window over a list the test gives it: pseudo-terminals stand
// in for two USB adapters, the kit's with a by-id-style link as udev keeps one for an
// adapter with a serial number, another without. Binding "COM n" makes the link the
// bench opens, and that link leads to the kit's adapter after a re-plug.

#include "controls.h"
#include "testfiles.h"

#include "kitlink/adapterwindow.h"
#include "kitlink/serialkitport.h"
#include "kitsim/ptyline.h"
#include "platform/paths.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// The PC with the kit's FTDI adapter and a Prolific one, and the window over them.
struct AdapterRig {
    QTemporaryDir startup;  // the bench's start-up folder
    QTemporaryDir byId;     // stands for /dev/serial/by-id
    std::unique_ptr<PtyLine> ftdi = std::make_unique<PtyLine>();
    PtyLine prolific;
    const QString ftdiStable = byId.filePath(QStringLiteral("usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"));
    std::unique_ptr<AdapterWindow> window;

    AdapterRig() { QVERIFY(ftdi->open() && prolific.open() && ftdi->link(ftdiStable)); }
    bool show(int portNumber)
    {
        // Read on the window's listing thread: an adapter is plugged only while none runs.
        window = std::make_unique<AdapterWindow>(
            [this] {
                return withStablePaths({{ftdi->slavePath(), "FT232R USB UART", "FTDI", "A50285BI", {}},
                                        {prolific.slavePath(), "USB-Serial Controller", "Prolific Technology Inc.", {}, {}}},
                                       byId.path());
            },
            platform::StartupFolder(startup.path()), portNumber);
        return QSignalSpy(window.get(), &AdapterWindow::listed).wait(5000);
    }
    // The rows as the window shows them, one text a row.
    QStringList rows() const
    {
        QStringList shown;
        for (int r = 0; r < window->tblAdapters->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < window->tblAdapters->columnCount(); ++c)
                cells << window->tblAdapters->item(r, c)->text();
            shown << cells.join(" | ");
        }
        return shown;
    }
    // Binding done and listed again, or refused.
    bool bind(int portNumber, int adapterRow)
    {
        QSignalSpy listed(window.get(), &AdapterWindow::listed);
        window->cmbPort->setCurrentIndex(portNumber - 1);
        window->tblAdapters->selectRow(adapterRow);
        control<QPushButton>(*window, "cmdBind").click();
        return window->lblBinding->text().startsWith("Not bound") || listed.wait(5000);
    }
};

class TestAdapters : public QObject
{
    Q_OBJECT

private slots:
    // The link COM<n> goes to the stable path where the adapter has one, else to its
    // device, replacing a link made by hand; a file of that name is left as it is.
    // The list shows each adapter as the system describes it, and the ports bound to it.
    void bindsThePortToTheChosenAdapter_data()
    {
        QTest::addColumn<int>("adapterRow");
        QTest::addColumn<QString>("before");  // COM3 in the start-up folder: "", "link" to the Prolific, "file"
        QTest::addColumn<QString>("target");  // "stable", "device", or "" when not bound
        QTest::newRow("the kit's adapter, by its stable path") << 0 << "" << "stable";
        QTest::newRow("an adapter without one, by its device") << 1 << "" << "device";
        QTest::newRow("over a link made by hand") << 0 << "link" << "stable";
        QTest::newRow("a file of that name stays") << 0 << "file" << "";
    }

    void bindsThePortToTheChosenAdapter()
    {
        QFETCH(int, adapterRow);
        QFETCH(QString, before);
        QFETCH(QString, target);
        AdapterRig pc;
        const QString link = pc.startup.filePath(QStringLiteral("COM3"));
        if (before == "link")
            QVERIFY(QFile::link(pc.prolific.slavePath(), link));
        else if (before == "file")
            writeFile(link, "kept");
        QVERIFY(pc.show(3));
        const QString ftdi = pc.ftdi->slavePath() + " | %1 | FT232R USB UART | FTDI | A50285BI | " + pc.ftdiStable;
        const QString prolific = pc.prolific.slavePath() + " | %1 | USB-Serial Controller | Prolific Technology Inc. |  | (none)";
        QCOMPARE(pc.rows(), (QStringList{ftdi.arg(""), prolific.arg(before == "link" ? "COM 3" : "")}));
        QVERIFY(pc.bind(3, adapterRow));

        if (target.isEmpty()) {
            QVERIFY(!QFileInfo(link).isSymLink());  // (reading a device would wait for its bytes)
            QCOMPARE(readFile(link), QByteArray("kept"));
            QCOMPARE(pc.window->lblBinding->text(), "Not bound: " + link + " is a file, not a link: it is left as it is.");
            return;
        }
        const QString device = adapterRow == 0 ? pc.ftdi->slavePath() : pc.prolific.slavePath();
        QCOMPARE(QFile::symLinkTarget(link), target == "stable" ? pc.ftdiStable : device);
        QCOMPARE(pc.window->lblBinding->text(),
                 "COM 3 opens " + (target == "stable" ? pc.ftdiStable + " \u2192 " + device : device));
        QCOMPARE(pc.rows(), (QStringList{ftdi.arg(adapterRow == 0 ? "COM 3" : ""),
                                         prolific.arg(adapterRow == 1 ? "COM 3" : "")}));
        QCOMPARE(QDir(pc.startup.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot),
                 QStringList{"COM3"});  // nothing left over from the making
    }

    // COM 3 bound to the kit's adapter, which is pulled and plugged back and comes up
    // as another device, the Prolific still there: COM 3 leads to the kit's adapter all
    // the same, and what the bench sends there reaches it.
    void bindingOutlivesAReplug()
    {
        AdapterRig pc;
        QVERIFY(pc.show(3) && pc.bind(3, 0));
        auto replugged = std::make_unique<PtyLine>();  // made before the old one goes, so its number differs
        QVERIFY(replugged->open() && replugged->link(pc.ftdiStable));
        pc.ftdi = std::move(replugged);

        QByteArray heard;
        connect(pc.ftdi.get(), &PtyLine::received, this, [&heard](const QByteArray &bytes) { heard += bytes; });
        SerialKitPort port;
        QVERIFY2(port.open(platform::serialDeviceForPort(3, pc.startup.path())), qPrintable(port.errorString()));
        QVERIFY(port.write("?\r"));
        QTRY_COMPARE(heard, QByteArray("?\r"));
        QSignalSpy listed(pc.window.get(), &AdapterWindow::listed);
        control<QPushButton>(*pc.window, "cmdRefresh").click();
        QVERIFY(listed.wait(5000));
        QVERIFY(pc.rows().first().startsWith(pc.ftdi->slavePath() + " | COM 3 | "));
        QCOMPARE(pc.window->lblBinding->text(), "COM 3 opens " + pc.ftdiStable + " \u2192 " + pc.ftdi->slavePath());
    }
};

QTEST_MAIN(TestAdapters)
#include "tst_adapters.moc"
