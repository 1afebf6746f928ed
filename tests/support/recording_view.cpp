#include "support/recording_view.h"

namespace cendrix::testing {

QLocale TestLocale() { return QLocale(QLocale::Chinese, QLocale::China); }

}  // namespace cendrix::testing
