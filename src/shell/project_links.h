// The project's own addresses, shown or opened by the program.
#pragma once

#include <QString>

namespace cendrix {

// Opened by the main window's footer label.
inline const QString kProjectWebPage = QStringLiteral("https://cendrix.org/");
// Named in the details report when a disk fails to answer in an unexpected way.
inline const QString kProjectForum = QStringLiteral("https://cendrix.org/forum/");

// The product line and the copyright line of the captions.
inline const QString kProductName = QStringLiteral("Cendrix 4.50");
inline const QString kCopyrightLine = QStringLiteral("© 2026 The Cendrix developers");

}  // namespace cendrix
