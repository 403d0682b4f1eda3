// A library for the dynamic-library test to load: one entry point.
extern "C" __attribute__((visibility("default"))) int DynamicLibraryProbeAnswer() {
    return 42;
}
