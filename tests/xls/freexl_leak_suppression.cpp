// freexl 1.0.6 loses its workbook handle on some damaged files (it reports
// success and hands back no handle); the bytes are freexl's own and cannot be
// freed by its caller, so the leak checker is told to ignore them.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfreexl.so\n"; }
