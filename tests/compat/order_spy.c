/* Preloaded into the game by exit_order.sh: notes, in order, each start and close of SDL and of the
 * mixer's audio device, and the moment the process starts to exit (before the first exit handler or
 * static destructor runs), into the file ZORVANE_ORDER_LOG names. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static void note(const char* what) {
    const char* path = getenv("ZORVANE_ORDER_LOG");
    if (!path) return;
    int fd = open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return;
    char line[64];
    size_t n = strlen(what);
    memcpy(line, what, n);
    line[n] = '\n';
    if (write(fd, line, n + 1) < 0) {
        /* nothing to do: the test then sees the word missing */
    }
    close(fd);
}

static void exiting(void) {
    static int noted = 0;
    if (!noted) note("exit");
    noted = 1;
}

/* The real function of that name, past this library, into *fp (copied: ISO C has no cast from an
 * object pointer to a function pointer). */
static void real(const char* name, void* fp, size_t size) {
    void* found = dlsym(RTLD_NEXT, name);
    memcpy(fp, &found, size);
}

/* Every exit handler and static destructor registers through __cxa_atexit, and the last registered
 * runs first: each is wrapped, so whichever runs first notes the exit. */
struct Handler {
    void (*run)(void*);
    void* argument;
};

static void wrapped(void* handler) {
    const struct Handler* h = handler;
    exiting();
    h->run(h->argument);
}

int __cxa_atexit(void (*run)(void*), void* argument, void* dso) {
    int (*next)(void (*)(void*), void*, void*);
    real("__cxa_atexit", &next, sizeof next);
    struct Handler* h = malloc(sizeof *h);
    if (!h) return next(run, argument, dso);
    h->run = run;
    h->argument = argument;
    return next(wrapped, h, dso);
}

/* The first registration runs last: an exit with no handler of the program's own is noted too. */
__attribute__((constructor)) static void start(void) {
    atexit(exiting);
}

int SDL_Init(uint32_t flags) {
    int (*next)(uint32_t);
    note("SDL_Init");
    real("SDL_Init", &next, sizeof next);
    return next(flags);
}

void SDL_Quit(void) {
    void (*next)(void);
    note("SDL_Quit");
    real("SDL_Quit", &next, sizeof next);
    next();
}

int Mix_OpenAudio(int frequency, uint16_t format, int channels, int chunksize) {
    int (*next)(int, uint16_t, int, int);
    note("Mix_OpenAudio");
    real("Mix_OpenAudio", &next, sizeof next);
    return next(frequency, format, channels, chunksize);
}

void Mix_CloseAudio(void) {
    void (*next)(void);
    note("Mix_CloseAudio");
    real("Mix_CloseAudio", &next, sizeof next);
    next();
}
