#include "res/resources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE must not be used inside a namespace.
static void init_lumikko_res() {
    Q_INIT_RESOURCE(lumikko_res);
}

namespace lumikko {

void init_resources() {
    init_lumikko_res();
}

} // namespace lumikko
