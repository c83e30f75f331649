#include "app/toolkit/dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

#include <utility>

namespace lumikko {
namespace {

// The dialogs are opened on the UI thread only, so plain globals do.
SaveDialog save_dialog;
ConfirmDialog confirm_dialog;
MessageDialog message_dialog;

const QString dialog_title = QStringLiteral("Lumikko");

} // namespace

std::optional<QString> run_save_dialog(QWidget* parent, const QString& folder,
                                       const QString& default_name, const QString& filter) {
    if (save_dialog)
        return save_dialog(parent, folder, default_name, filter);
    // Overwriting is asked about by the caller, for the name it really writes.
    const QString chosen =
        QFileDialog::getSaveFileName(parent, {}, QDir(folder).filePath(default_name), filter,
                                     nullptr, QFileDialog::DontConfirmOverwrite);
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen;
}

bool run_confirm_dialog(QWidget* parent, const QString& text) {
    if (confirm_dialog)
        return confirm_dialog(parent, text);
    return QMessageBox::question(parent, dialog_title, text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

void run_message_dialog(QWidget* parent, const QString& text) {
    if (message_dialog) {
        message_dialog(parent, text);
        return;
    }
    QMessageBox::warning(parent, dialog_title, text);
}

void set_save_dialog(SaveDialog dialog) {
    save_dialog = std::move(dialog);
}

void set_confirm_dialog(ConfirmDialog dialog) {
    confirm_dialog = std::move(dialog);
}

void set_message_dialog(MessageDialog dialog) {
    message_dialog = std::move(dialog);
}

} // namespace lumikko
