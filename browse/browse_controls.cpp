#include "browse/browse_controls.h"

#include "app/toolkit/picture_decoder.h"
#include "res/resources.h"

#include <QCoreApplication>
#include <QThread>

namespace lumikko {

BrowseControls browse_controls;

QObject* ui_context() {
    // Made on the UI thread by the main window before any worker starts; workers
    // only read the pointer.
    static QPointer<QObject> context;
    if (!context && QCoreApplication::instance() &&
        QThread::currentThread() == QCoreApplication::instance()->thread())
        context = new QObject(QCoreApplication::instance());
    return context;
}

const Bytes& placeholder_picture() {
    static const Bytes bytes = resource_bytes(QStringLiteral(":/res/placeholder.bmp"));
    return bytes;
}

const QImage& placeholder_image() {
    static const QImage image = decode_picture(placeholder_picture());
    return image;
}

} // namespace lumikko
