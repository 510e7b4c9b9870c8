// The program's operator delete. The launcher never creates objects with new, but every class with
// a virtual destructor names operator delete; defining it on the C runtime's free keeps the C++
// runtime's allocator, and the exception machinery that comes with it, out of the program.

#include <cstddef>
#include <cstdlib>

void operator delete(void* memory) noexcept {
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}
