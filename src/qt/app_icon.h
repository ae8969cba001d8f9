// The program's icon, drawn at start-up in 64, 32 and 16 pixels.
// Call on the GUI thread (it paints QPixmaps).
#pragma once

#include <QIcon>

namespace lanyi {

QIcon app_icon();

}  // namespace lanyi
