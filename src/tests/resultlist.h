#pragma once

#include <QComboBox>
#include <QString>

// Adds one line to a results list (cmbCR, cmbCD) and leaves what its box shows
// alone: while a run fills the list the box keeps saying "Testing ...", although an
// editable list left to itself would show the first line as soon as it has one.
inline void listResult(QComboBox *list, const QString &entry)
{
    const int shownIndex = list->currentIndex();
    const QString shownText = list->currentText();
    list->addItem(entry);
    if (list->currentIndex() != shownIndex) {
        list->setCurrentIndex(shownIndex);
        list->setEditText(shownText);
    }
}
