// Linked into every test program: LeakSanitizer's suppressions for allocations that Qt's platform
// plugins and fontconfig keep for the life of the process (the same list as tests/lsan.supp), so a
// test run needs no environment of its own.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n"
           "leak:libQt6Gui.so\n"
           "leak:libQt6Core.so\n"
           "leak:libQt6Widgets.so\n"
           "leak:libdbus-1.so\n"
           "leak:libglib-2.0.so\n";
}
