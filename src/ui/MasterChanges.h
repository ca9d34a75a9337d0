#pragma once

#include <QObject>

// Tells the open windows that a master table was written, so that their
// lists of suppliers, banks and categories show it at once.
class MasterChanges : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

Q_SIGNALS:
    void suppliersChanged();
    void banksChanged();
    // tableNo 0 to 4: note kinds, purposes, note states, accounting and
    // supplier categories.
    void categoriesChanged(int tableNo);
};
