// What std::terminate does in the shipped program: abort at once. The
// library's default handler first names the exception on stderr, which a
// GUI program does not have, and to name it links the C++ demangler and the
// runtime's printf, a fifth of the program's code. Defining the handler here
// keeps the library's one out of the link.
#include <cstdlib>
#include <exception>

namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::abort();
}
}  // namespace __gnu_cxx
