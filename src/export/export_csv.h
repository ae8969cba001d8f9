// The CSV export: the proposed file name, the desktop folder, the file write
// and the export flow behind the "导出" button and the end of the contact
// phase.
//
// export_csv may run on the GUI thread or on the worker that ended the
// contact phase; the window's save dialog is reached through the Window
// interface. desktop_folder reads the environment and the file system.
#pragma once

#include <string>

#include "text/gbk_text.h"
#include "ui/harvest.h"

namespace lanyi {

// keyword + "-" + region + "-" + filter word + ".csv", unchanged otherwise.
GbkText proposed_file_name(const SearchInputs& inputs);

// The XDG desktop directory when it exists, else $HOME/Desktop when it
// exists, else $HOME.
std::string desktop_folder();
// The same from the given home and config folder ($XDG_CONFIG_HOME; empty
// means home + "/.config").
std::string desktop_folder(const std::string& home, const std::string& config_home);

// Writes the list's CSV text as GBK bytes without a byte-order mark. The file
// is replaced whole or left as it was: the text goes to a temporary file
// beside it, which is then renamed over it. False when that failed.
bool write_csv_file(const ResultList& list, const std::string& path);

// Nothing when the list is empty or the dialog is cancelled; otherwise writes
// the file the user chose. True when a file was written.
bool export_csv(Harvest& harvest);

}  // namespace lanyi
