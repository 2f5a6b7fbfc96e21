// Every fuzz target links this.
//
// A smaller quarantine than the default 256 MB: freed memory is poisoned
// for the next 16 MB of frees, which spans many inputs of every target,
// while the globe targets stop touching fresh pages on each input (about a
// third of their time with the default).
extern "C" const char* __asan_default_options()
{
    return "quarantine_size_mb=16";
}

// The font configuration library keeps its caches until the process ends,
// which is no leak of ours.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}
