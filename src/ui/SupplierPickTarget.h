#pragma once

#include <QString>

// The window that the supplier search list hands a chosen supplier to (the
// note entry window). The list knows nothing else of it.
class SupplierPickTarget
{
public:
    virtual ~SupplierPickTarget() = default;

    // Writes the supplier into the payee boxes and moves the focus on to the
    // drawing date.
    virtual void supplierPicked(const QString &code, const QString &name) = 0;
};
