// The embedded Firebird engine keeps ICU tables and its own caches until the
// process ends; the leak checker of sanitizer builds is told to leave them.
extern "C" __attribute__((visibility("default"), used)) const char* __lsan_default_suppressions() {
  return "leak:libicuuc.so\n"
         "leak:libicui18n.so\n"
         "leak:libEngine12.so\n"
         "leak:libfbclient.so\n";
}
