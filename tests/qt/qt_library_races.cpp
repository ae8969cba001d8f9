// Qt is not built with ThreadSanitizer, so the sanitizer cannot see Qt's own
// locking and reports its internal threads (the file dialog's file watcher,
// the thread pool) racing with the GUI thread. Calls made from inside the Qt
// libraries are ignored; our own code stays checked, and its threads meet the
// GUI thread only through our own std::mutex. Read by the sanitizer at start;
// unused in other builds.
extern "C" const char* __tsan_default_suppressions() {
    return "called_from_lib:libQt6Core.so.6\n"
           "called_from_lib:libQt6Gui.so.6\n"
           "called_from_lib:libQt6Widgets.so.6\n";
}
