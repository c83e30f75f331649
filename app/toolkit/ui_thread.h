#pragma once
// Handing work to the UI thread. Workers never touch widgets: they post a closure
// that captures by value, with a context object that outlives the workers.

#include <QMetaObject>
#include <QObject>
#include <utility>

namespace lumikko {

template <class F> void post_to_ui(QObject* context, F&& fn) {
    QMetaObject::invokeMethod(context, std::forward<F>(fn), Qt::QueuedConnection);
}

} // namespace lumikko
