#pragma once
// Helpers shared by the toolkit tests.

#include "browse/text.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QImage>
#include <QImageWriter>
#include <QThread>

#include <cstdlib>

namespace lumikko::test {

inline Bytes encode(const QImage& image, const char* format, int quality = 95) {
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    if (!writer.write(image))
        return {};
    return Bytes(data.constData(), static_cast<std::size_t>(data.size()));
}

inline QImage filled(QSize size, QColor colour, QImage::Format format = QImage::Format_RGB32) {
    QImage image(size, format);
    image.fill(colour);
    return image;
}

// Handles events, deferred deletions included, until `done` holds or a
// generous bound passes; gives the final answer of `done`.
template <class Done> bool wait_until(Done done, int bound_ms = 5000) {
    QDeadlineTimer deadline(bound_ms);
    while (!done() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QThread::msleep(1);
    }
    return done();
}

inline bool near(QRgb a, QRgb b, int tolerance) {
    return std::abs(qRed(a) - qRed(b)) <= tolerance &&
           std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance &&
           std::abs(qAlpha(a) - qAlpha(b)) <= tolerance;
}

} // namespace lumikko::test
