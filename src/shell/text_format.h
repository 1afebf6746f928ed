// The texts the user sees for numbers, sizes, devices and buses.
#pragma once

#include <QLocale>
#include <QString>
#include <cstdint>

namespace cendrix {

class TDeviceTables;

// Decimal digits grouped by "," from the right; numbers of four digits or
// fewer stay as they are (1234 stays 1234).
QString GroupThousands(std::int64_t value);

// A byte count in decimal units, cut (never rounded up) to hundredths, with
// the locale's decimal separator: "512 字节", "123.45 KB", "500.1 GB".
QString FormatCapacity(std::int64_t bytes, const QLocale& locale = QLocale());

// The one-line description of entry `index` (1..16) of the table:
// "[1]  ABC    1.0    [500.1 GB]    (976773168 512-字节扇区)".
QString DeviceCaption(const TDeviceTables& table, std::int64_t index,
                      const QLocale& locale = QLocale());

// The display name of a storage bus type code ("SATA", "USB", "未知", ...).
QString BusTypeName(std::int64_t code);

// Removes leading and trailing characters with codes 0..32; characters
// inside stay.
QString TrimControl(const QString& text);

// Removes leading and trailing blanks only.
QString TrimBlanks(const QString& text);

}  // namespace cendrix
