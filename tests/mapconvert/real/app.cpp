// A small module for the converter's tests with real linker output:
// exported functions of each i386 calling convention, a static function,
// a global variable and a class method.
#ifdef _WIN32
#define EXPORT extern "C" __declspec(dllexport)
#else
#define EXPORT extern "C"
#define __stdcall
#define __fastcall
#endif

int global_counter = 5;

static int helper(int x) { return x * 3 + global_counter; }

namespace ns {
struct Widget {
    int twice(int v);
};
int Widget::twice(int v) { return helper(v) * 2; }
}  // namespace ns

EXPORT int add_numbers(int a, int b) { return a + b; }

EXPORT int __stdcall call_std(int a) {
    ns::Widget w;
    return w.twice(a);
}

EXPORT int __fastcall call_fast(int a) { return a - 1; }
