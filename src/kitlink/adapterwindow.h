#pragma once

#include "kitlink/serialadapters.h"
#include "platform/startupfolder.h"

#include <QDialog>
#include <QList>
#include <QPointer>
#include <QStringList>

class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;
class QThread;

// The serial adapters the PC has, and which "COM n" each is bound to: pick the kit's
// adapter by its name and serial number and bind a port to it by its stable path, so
// that the bench finds it after a re-plug, beside a second adapter and after a reboot.
// The binding is the COM<n> link in the start-up folder, the same a link made by hand
// is.
class AdapterWindow : public QDialog
{
    Q_OBJECT
public:
    // source lists the adapters; portNumber is the port shown first (the bench's own).
    AdapterWindow(AdapterSource source, const platform::StartupFolder &startupFolder, int portNumber,
                  QWidget *parent = nullptr);
    // Waits for a listing under way.
    ~AdapterWindow() override;

    // Lists the adapters again, away from the bench's thread; listed() follows.
    void refresh();

    QTableWidget *const tblAdapters;  // one adapter a row
    QComboBox *const cmbPort;         // "COM 1".."COM 255"
    QLabel *const lblBinding;         // what the chosen port opens, or why a binding failed
    QPushButton *const cmdBind;
    QPushButton *const cmdRefresh;

    enum Column { Port, BoundAs, Description, Manufacturer, SerialNumber, StablePath };

signals:
    void listed();

private:
    struct Row {
        SerialAdapter adapter;
        QStringList boundAs;  // "COM 3"
    };
    static QList<Row> rowsOf(const AdapterSource &source, const QString &startupFolder);
    void fillTable(const QList<Row> &rows);
    void bind();
    void showBinding();
    int portNumber() const;

    AdapterSource m_source;
    const platform::StartupFolder m_startupFolder;
    QList<Row> m_rows;
    QPointer<QThread> m_listing;
    bool m_listAgain = false;
};
