#include "console/frmmain.h"

#include <QApplication>
#include <QStyleFactory>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));  // coloured button faces everywhere

    FrmMain frmMain;
    frmMain.formLoad();
    frmMain.show();
    return app.exec();
}
