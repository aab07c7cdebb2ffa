#include "platform/qt/qtlocale.h"

#include <QLocale>

namespace tremolex {

std::string localeDecimalSeparator() {
    return QLocale().decimalPoint().toStdString();
}

}  // namespace tremolex
