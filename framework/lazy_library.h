#pragma once
// A shared library the program opens when a command first needs it, not at start:
// the workbook writer and the print system's client library. The program defines
// the few functions it calls of such a library itself, each forwarding to the
// library's own (see export/xlsx_library.cpp, framework/cups_library.cpp), so that
// the code calling them reads as if the library were linked.
#include <string>
#include <type_traits>

namespace velmo {

class LazyLibrary {
public:
    // soname: the name the dynamic loader finds the library by ("libcups.so.2").
    explicit constexpr LazyLibrary(const char* soname) : soname_(soname) {}

    // The library's function of that name, the library opened on the first call;
    // nullptr when the library or the function cannot be found (error() says why).
    template <typename Function>
    Function* function(const char* name) {
        return reinterpret_cast<Function*>(symbol(name));
    }
    // Why the library or the last function asked for could not be found; empty if it could.
    const std::string& error() const { return error_; }
    const char* soname() const { return soname_; }

private:
    void* symbol(const char* name);

    const char* soname_;
    void* handle_ = nullptr;
    bool tried_ = false;
    std::string error_;
};

// What a forwarding function returns when its library cannot be loaded.
template <typename T>
T missing_library_result() {
    if constexpr (!std::is_void_v<T>) return T{};
}

}  // namespace velmo

// Defines the C function NAME of RESULT (PARAMS) as one that calls the function of
// that name in LIBRARY (a LazyLibrary) with ARGS.
#define VELMO_FORWARD(LIBRARY, RESULT, NAME, PARAMS, ARGS)                                          \
    extern "C" RESULT NAME PARAMS {                                                                 \
        static auto* const forward = (LIBRARY).function<std::remove_pointer_t<decltype(&::NAME)>>(#NAME); \
        return forward ? forward ARGS : velmo::missing_library_result<RESULT>();                    \
    }
