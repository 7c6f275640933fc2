#pragma once

#include <QDialog>

#include <chrono>

struct BenchRecord;
class QLabel;

// The about box, shown once at start-up as a splash; it closes itself.
class FrmAbout : public QDialog
{
    Q_OBJECT
public:
    FrmAbout(const BenchRecord &record, std::chrono::milliseconds shownFor, QWidget *parent = nullptr);
};
