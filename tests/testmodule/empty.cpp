// Exports a function, but no window.
extern "C" __attribute__((visibility("default"))) int zrtest_empty_module() { return 0; }
