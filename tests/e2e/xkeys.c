/* xkeys: holds keys down in the X server until the game shows it has seen them, then lets go. */
/*
 * usage: xkeys [-t MS] [-p PID] [-s SHOT [-d REF X Y W H] [-a N]] [KEY...]
 *
 * The keys (X key names: z, Up, Escape, ...) go down in the order given, through the XTEST
 * extension, as a keyboard would send them; the window with the input focus gets them.
 *   -s SHOT  F12 goes down with them and stays down until the game has written SHOT (its
 *            screenshot.bmp) anew. The game takes F12 in the same input snapshot as the keys
 *            before it, or a later one, so the shot proves that the keys were seen; they are let
 *            go at once. With -d the keys stay down, and F12 is pushed again and again, until a
 *            shot's rectangle X Y W H differs from REF's (a BMP file).
 *   -a N     after the keys are let go, N more shots, the last one left in SHOT. Each push of F12
 *            is seen in a later snapshot than the one before, so the second of them shows a frame
 *            after every frame that could still see the keys.
 *   -p PID   the game's process. With -s its end stops the wait (status 3); without -s the keys
 *            are held until it has ended (status 0).
 *   -t MS    the deadline, 30000 unless given.
 * Exit status 0 when the game showed what was waited for (stdout: "held MS shots N", how long the
 * keys were down), 1 when the deadline passed (stderr says what was seen by then), 3 when the game
 * ended first, 2 for a usage or X error.
 *
 * A push of F12 that the game does not answer (it had not yet seen the key come up since the last
 * one) is let go and made again, after a longer pause each time: a busy machine costs time, never
 * a check. The one XTEST function is declared here: its header comes with libXtst's development
 * package, which nothing else needs; the library itself comes with xdotool.
 */
#include <X11/Xlib.h>
#include <errno.h>
#include <signal.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

extern int XTestFakeKeyEvent(Display* display, unsigned int keycode, Bool isPress,
                             unsigned long delay);

enum { MAX_KEYS = 8, WAITED = 0, TIMED_OUT = 1, GAME_ENDED = 3 };

static Display* display;
static KeyCode keys[MAX_KEYS];
static const char* keyNames[MAX_KEYS];
static int keyCount;
static int keysDown;
static KeyCode f12;
static pid_t game;
static long deadline;
static const char* shotPath;

static long nowMs(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000L + t.tv_nsec / 1000000L;
}

static void sleepMs(long ms) {
    struct timespec t = {ms / 1000, (ms % 1000) * 1000000L};
    while (nanosleep(&t, &t) == -1 && errno == EINTR) {
    }
}

static void key(KeyCode code, Bool down) {
    XTestFakeKeyEvent(display, code, down, 0);
    XSync(display, False);
}

static void pressKeys(void) {
    for (int i = 0; i < keyCount; ++i)
        key(keys[i], True);
    keysDown = 1;
}

static void releaseKeys(void) {
    if (!keysDown) return;
    for (int i = keyCount - 1; i >= 0; --i)
        key(keys[i], False);
    keysDown = 0;
}

/* A zombie has ended too: its parent, the test script, may not have reaped it yet; and one being
 * reaped just now is briefly dead ('X') before it is gone. */
static int gameEnded(void) {
    if (game <= 0) return 0;
    if (kill(game, 0) == -1 && errno == ESRCH) return 1;
    char path[64], line[256];
    snprintf(path, sizeof path, "/proc/%d/stat", (int)game);
    FILE* f = fopen(path, "r");
    if (!f) return 1;
    const char* got = fgets(line, sizeof line, f);
    fclose(f);
    const char* close = got ? strrchr(line, ')') : NULL;
    return close && close[1] == ' ' && (close[2] == 'Z' || close[2] == 'X');
}

static uint32_t le32(const unsigned char* p) {
    return p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}

/* Which writing of the file this is: the game rewrites the same file in place. */
struct Version {
    dev_t device;
    ino_t inode;
    struct timespec modified;
    off_t size;
};

static struct Version versionOf(const char* path) {
    struct stat st;
    struct Version v = {0};
    if (stat(path, &st) == 0) {
        v.device = st.st_dev;
        v.inode = st.st_ino;
        v.modified = st.st_mtim;
        v.size = st.st_size;
    }
    return v;
}

static int sameVersion(struct Version a, struct Version b) {
    return a.device == b.device && a.inode == b.inode && a.size == b.size &&
           a.modified.tv_sec == b.modified.tv_sec && a.modified.tv_nsec == b.modified.tv_nsec;
}

/* The whole file, once its writer has finished it: SDL fills in the header's file size and pixel
 * offset last, so both must be there and the size must be the file's. */
static unsigned char* readBmp(const char* path, long* size) {
    struct stat st;
    if (stat(path, &st) != 0 || st.st_size < 54) return NULL;
    FILE* f = fopen(path, "rb");
    if (!f) return NULL;
    unsigned char header[14];
    unsigned char* data = NULL;
    if (fread(header, 1, sizeof header, f) == sizeof header && header[0] == 'B' &&
        header[1] == 'M' && le32(header + 2) == (uint32_t)st.st_size && le32(header + 10) != 0 &&
        le32(header + 10) < (uint32_t)st.st_size && (data = malloc((size_t)st.st_size))) {
        memcpy(data, header, sizeof header);
        size_t rest = (size_t)st.st_size - sizeof header;
        if (fread(data + sizeof header, 1, rest, f) != rest) {
            free(data);
            data = NULL;
        }
    }
    fclose(f);
    *size = st.st_size;
    return data;
}

/* Whether the rectangle's pixels differ; two pictures of other sizes or depths differ too. */
static int rectDiffers(const unsigned char* a, long sizeA, const unsigned char* b, long sizeB,
                       const int* rect) {
    int x = rect[0], y = rect[1], w = rect[2], h = rect[3];
    int32_t width = (int32_t)le32(a + 18), height = (int32_t)le32(a + 22);
    int bpp = a[28] | a[29] << 8;
    if (width != (int32_t)le32(b + 18) || height != (int32_t)le32(b + 22) ||
        bpp != (b[28] | b[29] << 8) || bpp < 8)
        return 1;
    int rows = height < 0 ? -height : height;
    long stride = ((long)width * bpp + 31) / 32 * 4;
    if (x < 0) w += x, x = 0;
    if (y < 0) h += y, y = 0;
    if (x + w > width) w = width - x;
    if (y + h > rows) h = rows - y;
    long from = (long)x * bpp / 8, length = (long)w * bpp / 8;
    for (int row = y; row < y + h; ++row) {
        long line = height < 0 ? row : rows - 1 - row;
        long offA = le32(a + 10) + line * stride + from, offB = le32(b + 10) + line * stride + from;
        if (offA + length > sizeA || offB + length > sizeB) return 1;
        if (memcmp(a + offA, b + offB, (size_t)length) != 0) return 1;
    }
    return 0;
}

/* One shot: F12 pushed until the game has written the file anew, then let go. Returns the new
 * file's contents, or NULL at the deadline or the game's end. A push comes a pause after the last
 * release, for the game to see F12 up in between; a push not answered in time is let go and made
 * again, and both the hold and the pause grow. A file written late, for a push let go, still
 * counts. */
static unsigned char* shoot(long* size, int* pushes) {
    static long hold = 250, pause = 30, released = 0;
    struct Version before = versionOf(shotPath);
    unsigned char* data = NULL;
    while (!data && nowMs() < deadline && !gameEnded()) {
        long wait = released + pause - nowMs();
        if (wait > 0) sleepMs(wait);
        key(f12, True);
        ++*pushes;
        long pushed = nowMs();
        for (;;) {
            if (!sameVersion(versionOf(shotPath), before) && (data = readBmp(shotPath, size)))
                break;
            if (nowMs() - pushed >= hold || nowMs() >= deadline || gameEnded()) break;
            sleepMs(2);
        }
        key(f12, False);
        released = nowMs();
        if (!data) {
            hold = hold * 2 > 8000 ? 8000 : hold * 2;
            pause = pause * 2 > 1000 ? 1000 : pause * 2;
        }
    }
    return data;
}

/* A usage, display or key error: status 2. */
static void die(const char* what, const char* name) {
    fprintf(stderr, "xkeys: %s%s\n", what, name);
    exit(2);
}

static void usage(void) {
    fprintf(stderr, "usage: xkeys [-t MS] [-p PID] [-s SHOT [-d REF X Y W H] [-a N]] [KEY...]\n");
    exit(2);
}

static long limit = 30000;
static const char* ref;
static int rect[4], after;

/* The options into the globals above; returns the index of the first key. */
static int readOptions(int argc, char** argv) {
    int i = 1;
    for (; i < argc && argv[i][0] == '-' && argv[i][1]; ++i) {
        if (!strcmp(argv[i], "-t") && i + 1 < argc) {
            limit = atol(argv[++i]);
        } else if (!strcmp(argv[i], "-p") && i + 1 < argc) {
            game = (pid_t)atol(argv[++i]);
        } else if (!strcmp(argv[i], "-s") && i + 1 < argc) {
            shotPath = argv[++i];
        } else if (!strcmp(argv[i], "-a") && i + 1 < argc) {
            after = atoi(argv[++i]);
        } else if (!strcmp(argv[i], "-d") && i + 5 < argc) {
            ref = argv[++i];
            for (int k = 0; k < 4; ++k)
                rect[k] = atoi(argv[++i]);
        } else {
            usage();
        }
    }
    if ((!shotPath && !game) || ((ref || after) && !shotPath) || argc - i > MAX_KEYS) usage();
    return i;
}

/* The display, its XTEST extension and the keys' codes; exits with status 2 on a failure. */
static void openKeys(int count, char** names) {
    display = XOpenDisplay(NULL);
    if (!display) die("cannot open the display", "");
    int opcode, event, error;
    if (!XQueryExtension(display, "XTEST", &opcode, &event, &error))
        die("the X server has no XTEST extension", "");
    for (int i = 0; i < count; ++i) {
        KeySym sym = XStringToKeysym(names[i]);
        KeyCode code = sym == NoSymbol ? 0 : XKeysymToKeycode(display, sym);
        if (!code) die("no key named ", names[i]);
        keyNames[keyCount] = names[i];
        keys[keyCount++] = code;
    }
    f12 = XKeysymToKeycode(display, XStringToKeysym("F12"));
}

static int shots, pushes;
static long held;
static const char* seen = "nothing";

/* Holds the keys down until the game has shown what is waited for, or the deadline. */
static int holdKeys(const unsigned char* refData, long reference) {
    long start = nowMs();
    deadline = start + limit;
    int status = TIMED_OUT;
    pressKeys();
    if (!shotPath) {
        /* An end seen once stays seen, whatever the process table says later. */
        int ended = 0;
        while (nowMs() < deadline && !(ended = gameEnded()))
            sleepMs(2);
        status = ended ? WAITED : TIMED_OUT;
    }
    while (shotPath && status == TIMED_OUT) {
        long size = 0;
        unsigned char* data = shoot(&size, &pushes);
        if (!data) {
            status = gameEnded() ? GAME_ENDED : TIMED_OUT;
            break;
        }
        ++shots;
        int enough = !refData || rectDiffers(data, size, refData, reference, rect);
        free(data);
        if (!enough) {
            seen = "the same picture";
            continue;
        }
        held = nowMs() - start;
        releaseKeys();
        status = WAITED;
        for (int k = 0; k < after && status == WAITED; ++k) {
            if (!(data = shoot(&size, &pushes))) status = gameEnded() ? GAME_ENDED : TIMED_OUT;
            free(data);
            shots += data != NULL;
        }
    }
    if (keysDown) held = nowMs() - start;
    releaseKeys();
    return status;
}

int main(int argc, char** argv) {
    int first = readOptions(argc, argv);
    openKeys(argc - first, argv + first);
    long reference = 0;
    unsigned char* refData = NULL;
    if (ref && !(refData = readBmp(ref, &reference))) die("no finished BMP file: ", ref);
    int status = holdKeys(refData, reference);
    XCloseDisplay(display);

    const char* name = keyCount ? keyNames[0] : "F12";
    if (status == WAITED) {
        printf("held %ld shots %d\n", held, shots);
    } else if (status == GAME_ENDED) {
        fprintf(stderr, "xkeys: the game ended while %s was held (%d shots)\n", name, shots);
    } else if (!shotPath) {
        fprintf(stderr, "xkeys: the game still ran %ld ms after %s went down\n", limit, name);
    } else if (shots == 0) {
        fprintf(stderr, "xkeys: no new %s within %ld ms of %d pushes of F12\n", shotPath, limit,
                pushes);
    } else {
        fprintf(stderr, "xkeys: %d shots in %ld ms, each showing %s in %d,%d %dx%d\n", shots, limit,
                seen, rect[0], rect[1], rect[2], rect[3]);
    }
    return status;
}
