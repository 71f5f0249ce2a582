// The off-screen driver keeps a few small allocations per context for the
// life of the process (its framebuffer records and state trackers), which
// LeakSanitizer reports in sanitizer builds. They are the driver's, not
// ours: the leak checker is told to pass over allocations made inside it.
// Outside sanitizer builds nothing calls this function.
extern "C" const char* __lsan_default_suppressions();

extern "C" __attribute__((used, visibility("default"))) const char* __lsan_default_suppressions()
{
    return "leak:libOSMesa.so\n";
}
