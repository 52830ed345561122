// Under LeakSanitizer: fontconfig keeps its caches for the life of the
// process, which Qt's font lookups fill; they are not this program's leaks.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
