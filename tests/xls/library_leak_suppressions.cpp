// Leaks of the reading libraries on damaged files, which their callers cannot
// free: freexl 1.0.6 loses its workbook handle on some damaged files (it
// reports success and hands back no handle), and libgsf 1.14 keeps a
// directory entry of a compound file it refuses. The leak checker is told to
// ignore exactly these.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfreexl.so\n"
           "leak:libgsf-1.so\n";
}

// GLib is built without frame pointers: the fast unwinder stops in g_malloc
// and never sees the library that allocated, so the suppression above could
// not match.
extern "C" const char* __asan_default_options() {
    return "fast_unwind_on_malloc=0";
}
