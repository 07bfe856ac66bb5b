// The strings' members made here, each in a section of its own, so that the
// linker keeps only those the program calls. Otherwise libstdc++'s explicit
// instantiations are linked whole: every member of std::string and of
// std::wstring, about 68 KB, a quarter of the program.
#include <string>

template class std::basic_string<char>;
template class std::basic_string<wchar_t>;
