#include "DialogService.h"

#include "store/StoreError.h"

void DialogService::showStoreError(const StoreError &error)
{
    message(error.text(), QStringLiteral("警告"), Buttons::Ok, Icon::Critical);
}
