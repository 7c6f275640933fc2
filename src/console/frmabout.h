#pragma once

#include <QDialog>

#include <chrono>

class QLabel;

// The about box, shown once at start-up as a splash; it closes itself.
class FrmAbout : public QDialog
{
    Q_OBJECT
public:
    explicit FrmAbout(std::chrono::milliseconds shownFor, QWidget *parent = nullptr);
};
