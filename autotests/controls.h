#pragma once

// A window's controls as a test finds them: by the objectName the bench gives each
// one (the names its forms' tables and the main window's layout carry), not through
// members of the window's class.

#include <QList>
#include <QObject>
#include <QString>

// The child of window named name. A test that names a control the window does not
// have stops there, with the name, rather than going on with nothing.
template <class T>
T &control(const QObject &window, const QString &name)
{
    T *found = window.findChild<T *>(name);
    if (!found)
        qFatal("no %s named %s in %s", T::staticMetaObject.className(), qPrintable(name),
               qPrintable(window.objectName()));
    return *found;
}

// The count elements of a control array, named as the bench names them ("lblBusy(0)",
// "lblBusy(1)", ...), in order.
template <class T>
QList<T *> controlArray(const QObject &window, const QString &name, int count)
{
    QList<T *> elements;
    for (int i = 0; i < count; ++i)
        elements << &control<T>(window, QStringLiteral("%1(%2)").arg(name).arg(i));
    return elements;
}
