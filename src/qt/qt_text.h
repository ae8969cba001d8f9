// Crossing between GbkText and QString: the window's only code-page edge.
// Pure functions, callable from any thread.
#pragma once

#include <QString>

#include "text/gbk_text.h"

namespace lanyi {

// GBK bytes to a QString; pure ASCII skips the code-page conversion, which
// matters when the list paints thousands of cells.
QString to_qstring(const GbkText& text);
GbkText to_gbk(const QString& text);

}  // namespace lanyi
