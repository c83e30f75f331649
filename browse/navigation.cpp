#include "browse/navigation.h"

#include "browse/browse_controls.h"
#include "browse/list_loader.h"
#include "net/encoding.h"

namespace lumikko {

void on_list_button_clicked(std::string_view control) {
    for (const ListButton& button : list_buttons) {
        if (button.control != control)
            continue;
        Text tag;
        if (button.control == "按钮13") {
            const QByteArray typed = browse_controls.search_box
                                         ? browse_controls.search_box->text().toUtf8()
                                         : QByteArray();
            tag = url_encode_utf8(std::string_view(typed.constData(), typed.size()));
        } else if (!button.word.empty()) {
            tag = url_encode_utf8(button.word);
        }
        start_list(button.path, std::move(tag));
        return;
    }
}

} // namespace lumikko
