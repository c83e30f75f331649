#include "res/resources.h"

#include <QFile>
#include <QtGlobal>

// Q_INIT_RESOURCE must not be used inside a namespace.
static void init_lumikko_res() {
    Q_INIT_RESOURCE(lumikko_res);
}

namespace lumikko {

void init_resources() {
    init_lumikko_res();
}

std::string resource_bytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray data = file.readAll();
    return std::string(data.constData(), static_cast<std::size_t>(data.size()));
}

QString button_picture(const QString& name) {
    return QStringLiteral(":/res/buttons/") + name + QStringLiteral(".png");
}

} // namespace lumikko
