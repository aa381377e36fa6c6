// Linked into each shipped DLL as an object of its own, ahead of the static
// C++ runtime, to keep the runtime's heaviest parts out of the DLLs:
//
// - The runtime's default terminate handler prints the type of the active
//   exception, which links its whole name demangler (about 46 KB). Nothing of
//   ours ends in terminate on purpose; when something does, the quiet handler
//   below ends the process as the verbose one would, without the message.
// - The runtime reports a failed allocation or an over-long string through
//   the std::__throw_* functions, which build std::length_error and its kin
//   around a reference-counted string (another 45 KB with their string code).
//   Ours throw std::bad_alloc instead: every catch of ours is catch (...), so
//   the failure still reaches the same boundary.
// - std::string's members come from one explicit instantiation compiled here
//   with our flags, so the linker keeps only the members we call instead of
//   the runtime's whole prebuilt string object.
//
// These names are the runtime's own, declared in <bits/functexcept.h> and
// <exception>, and have been stable for many releases. The linker takes our
// definitions because they come first; should the runtime ever need another
// symbol from the same object, the link fails with a duplicate definition
// rather than shipping two.
#include <cstdlib>
#include <exception>
#include <new>
#include <string>

#if defined(__GLIBCXX__)

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

namespace std {
void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_alloc(); }
void __throw_length_error(const char*) { throw bad_alloc(); }
void __throw_logic_error(const char*) { throw bad_alloc(); }
void __throw_out_of_range(const char*) { throw bad_alloc(); }
void __throw_out_of_range_fmt(const char*, ...) { throw bad_alloc(); }
void __throw_invalid_argument(const char*) { throw bad_alloc(); }
}  // namespace std

template class std::basic_string<char>;

#endif
