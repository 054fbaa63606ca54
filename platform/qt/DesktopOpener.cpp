#include "platform/qt/DesktopOpener.h"

#include <QDesktopServices>

namespace kalvoren {

bool QtDesktopOpener::open(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}

}  // namespace kalvoren
