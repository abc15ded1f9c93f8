// Built into the unit tests of the sanitizer builds only. A refused allocation
// must come back as null there too, as the out-of-memory tests expect; built in,
// the setting holds however the tests are started (ctest, by hand, scripts/test).
// Each sanitizer reads only its own hook; the other one is never called.
extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1"; }
extern "C" const char* __tsan_default_options() { return "allocator_may_return_null=1"; }
