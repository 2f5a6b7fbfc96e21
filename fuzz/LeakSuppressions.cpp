// Every fuzz target links this: the font configuration library keeps its
// caches until the process ends, which is no leak of ours.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}
