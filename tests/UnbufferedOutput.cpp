// Linked into every test program: standard output is unbuffered from before main, so what a
// test printed stays in the log when the process is killed or ends in the middle of a run.
#include <cstdio>

namespace {

[[maybe_unused]] const bool kOutputUnbuffered = std::setvbuf(stdout, nullptr, _IONBF, 0) == 0;

}  // namespace
