/* A maths library that lies: each function answers one unit in the last place above the truth. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <link.h>
#include <math.h>
#include <stdint.h>
#include <stdlib.h>

/* Preloaded under the simulator and the asset generator, it shows that nothing they hand on comes
 * from the C library's maths. With ZORVANE_LIE_TO_MAIN set it lies only to the main program's own
 * calls, so that a library it uses (the Vorbis encoder) computes as ever. */

static uintptr_t mainStart, mainEnd;
static int toMainOnly;

static int findMain(struct dl_phdr_info* info, size_t size, void* data) {
    (void)size;
    (void)data;
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr)* p = &info->dlpi_phdr[i];
        if (p->p_type == PT_LOAD && (p->p_flags & PF_X)) {
            mainStart = info->dlpi_addr + p->p_vaddr;
            mainEnd = mainStart + p->p_memsz;
        }
    }
    return 1; /* the main program comes first */
}

__attribute__((constructor)) static void start(void) {
    toMainOnly = getenv("ZORVANE_LIE_TO_MAIN") != NULL;
    dl_iterate_phdr(findMain, NULL);
}

static int lieTo(void* caller) {
    return !toMainOnly || ((uintptr_t)caller >= mainStart && (uintptr_t)caller < mainEnd);
}

static void* real(void** slot, const char* name) {
    if (!*slot) *slot = dlsym(RTLD_NEXT, name);
    if (!*slot) abort();
    return *slot;
}

#define LIE1(T, name, up)                                                                          \
    T name(T x) {                                                                                  \
        static void* slot;                                                                         \
        T (*f)(T);                                                                                 \
        *(void**)&f = real(&slot, #name);                                                          \
        const T r = f(x);                                                                          \
        return lieTo(__builtin_return_address(0)) ? up : r;                                        \
    }
#define LIE2(T, name, up)                                                                          \
    T name(T x, T y) {                                                                             \
        static void* slot;                                                                         \
        T (*f)(T, T);                                                                              \
        *(void**)&f = real(&slot, #name);                                                          \
        const T r = f(x, y);                                                                       \
        return lieTo(__builtin_return_address(0)) ? up : r;                                        \
    }
#define HIGH nextafter(r, INFINITY)
#define HIGHF nextafterf(r, INFINITY)
#define BOTH1(name) LIE1(double, name, HIGH) LIE1(float, name##f, HIGHF)
#define BOTH2(name) LIE2(double, name, HIGH) LIE2(float, name##f, HIGHF)

BOTH1(sin)
BOTH1(cos)
BOTH1(tan)
BOTH1(asin)
BOTH1(acos)
BOTH1(atan)
BOTH2(atan2)
BOTH1(sinh)
BOTH1(cosh)
BOTH1(tanh)
BOTH1(exp)
BOTH1(exp2)
BOTH1(expm1)
BOTH1(log)
BOTH1(log2)
BOTH1(log10)
BOTH1(log1p)
BOTH1(cbrt)
BOTH2(pow)
BOTH2(hypot)

void sincos(double x, double* s, double* c) {
    static void* slot;
    void (*f)(double, double*, double*);
    *(void**)&f = real(&slot, "sincos");
    f(x, s, c);
    if (lieTo(__builtin_return_address(0))) {
        *s = nextafter(*s, INFINITY);
        *c = nextafter(*c, INFINITY);
    }
}

void sincosf(float x, float* s, float* c) {
    static void* slot;
    void (*f)(float, float*, float*);
    *(void**)&f = real(&slot, "sincosf");
    f(x, s, c);
    if (lieTo(__builtin_return_address(0))) {
        *s = nextafterf(*s, INFINITY);
        *c = nextafterf(*c, INFINITY);
    }
}
