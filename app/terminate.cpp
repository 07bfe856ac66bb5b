// A GUI program has no console for the runtime's verbose terminate handler
// to print to, and that handler brings the C++ name demangler with it: a
// fifth of the program's size. Every exception is caught at the framework's
// dispatch, so terminating is a bug; end the process as abort() does.
#include <cstdlib>

namespace __gnu_cxx {
// NOLINTNEXTLINE(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp): the runtime's own name
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
