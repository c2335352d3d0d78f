// In a sanitizer build the helper reads the suppressions of reports from inside Giac by
// default; options given in UBSAN_OPTIONS add to them.
extern "C" const char* __ubsan_default_options() {
  return "suppressions=" CURVALIS_EXACT_SUPPRESSIONS;
}
