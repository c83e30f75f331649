#include "app/start_up.h"

#include "app/main_window.h"
#include "browse/state.h"
#include "net/http.h"
#include "net/workers.h"
#include "res/resources.h"

#include <QApplication>
#include <QPointer>

namespace lumikko {

namespace {
int freed = 0;
}

void free_globals() {
    if (freed++ > 0)
        return;
    album_url.clear();
    list_url.clear();
    list_base_url.clear();
    list_tag.clear();
    list_thumbnail_urls.clear();
}

int free_globals_calls() {
    return freed;
}

void shut_down() {
    stop_and_join_all_workers();
    free_globals();
}

int start_up() {
    init_resources();
    init_http();
    QApplication::setQuitOnLastWindowClosed(false);

    auto* window = new MainWindow();
    // The window deletes itself when closed; its going ends the event loop.
    QObject::connect(window, &QObject::destroyed, qApp, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    window->show();
    QApplication::exec();

    shut_down();
    return 0;
}

} // namespace lumikko
