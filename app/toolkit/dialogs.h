#pragma once
// Dialogs behind seams, so tests can answer them.

#include <QString>

#include <functional>
#include <optional>

class QWidget;

namespace lumikko {

// A save dialog opening in `folder` with `default_name` and `filter`; the full
// path chosen, or nothing when cancelled. The dialog itself does not ask about
// existing files: the caller checks the file it will really write.
using SaveDialog = std::function<std::optional<QString>(
    QWidget* parent, const QString& folder, const QString& default_name, const QString& filter)>;
// A yes/no question; true for yes.
using ConfirmDialog = std::function<bool(QWidget* parent, const QString& text)>;
// A message the user acknowledges.
using MessageDialog = std::function<void(QWidget* parent, const QString& text)>;

std::optional<QString> run_save_dialog(QWidget* parent, const QString& folder,
                                       const QString& default_name, const QString& filter);
bool run_confirm_dialog(QWidget* parent, const QString& text);
void run_message_dialog(QWidget* parent, const QString& text);

// Replace the dialogs (an empty function restores the real one).
void set_save_dialog(SaveDialog dialog);
void set_confirm_dialog(ConfirmDialog dialog);
void set_message_dialog(MessageDialog dialog);

} // namespace lumikko
