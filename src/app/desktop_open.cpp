// Opening files with the desktop's applications.
#include "app/desktop_open.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>

#include "platform/language.h"
#include "platform/message_box.h"

namespace corvane::app {

bool openWithDesktop(const std::filesystem::path& file) {
    std::error_code error;
    const bool present = std::filesystem::is_regular_file(file, error);
    if (present &&
        QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(file.string())))) {
        return true;
    }
    platform::messageBox(std::string(tr("Cannot find ", "找不到文件 ")) + file.string());
    return false;
}

}  // namespace corvane::app
