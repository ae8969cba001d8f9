// System libraries that are not built with ThreadSanitizer: the sanitizer
// cannot see their own locking and reports their internal threads racing
// (Qt's file dialog watcher and thread pool, the HTTP server library's worker
// pool). Calls made from inside those libraries are ignored; our own code
// stays checked, and its threads meet theirs only through our own locks.
// Read by the sanitizer at start; unused in other builds.
extern "C" const char* __tsan_default_suppressions() {
    return "called_from_lib:libQt6Core.so.6\n"
           "called_from_lib:libQt6Gui.so.6\n"
           "called_from_lib:libQt6Widgets.so.6\n"
           "called_from_lib:libcpp-httplib.so.0.11\n"
           "race:libcpp-httplib.so.0.11\n";
}
