#include "connect/pages/Resources.h"

#include <QtGlobal>

#include <mutex>

// Q_INIT_RESOURCE must be used outside any namespace.
static void RegisterImages() {
    Q_INIT_RESOURCE(orvconf);
}

void InitOrvconfResources() {
    static std::once_flag once;
    std::call_once(once, RegisterImages);
}
