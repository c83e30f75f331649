#include "app/start_up.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lumikko"));
    return lumikko::start_up();
}
