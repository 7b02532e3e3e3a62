/* xkeys: holds keys down in the X server until the game shows it has seen them, then lets go. */
/*
 * usage: xkeys [-t MS] [-p PID] [-s SHOT [-d REF X Y W H]] [KEY...]
 *
 * The keys (X key names: z, Up, Escape, ...) go down in the order given, through the XTEST
 * extension, as a keyboard would send them; the window with the input focus gets them.
 *   -s SHOT  F12 goes down too and stays down until the game has written SHOT (its screenshot.bmp)
 *            anew. The game takes F12 in the same input snapshot as the keys before it, or a later
 *            one, so the shot proves that the keys were seen. With -d the pushes of F12 go on, one
 *            shot after another, until the shot's rectangle X Y W H differs from REF's (a BMP).
 *   -p PID   the game's process. With -s its end stops the wait (status 3); without -s the keys
 *            are held until it has ended (status 0).
 *   -t MS    the deadline, 30000 unless given.
 * The keys are let go as soon as the wait is over, in the reverse order. Exit status 0 when the
 * game showed what was waited for (stdout: "held MS shots N"), 1 when the deadline passed (stderr
 * says what was seen by then), 3 when the game ended first, 2 for a usage or X error.
 *
 * The one XTEST function is declared here: its header comes with libXtst's development package,
 * which nothing else needs; the library itself comes with xdotool.
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

enum { MAX_KEYS = 8 };

static Display* display;
static KeyCode keys[MAX_KEYS];
static const char* keyNames[MAX_KEYS];
static int keyCount;
static KeyCode f12;

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

static void releaseAll(void) {
    for (int i = keyCount - 1; i >= 0; --i)
        key(keys[i], False);
}

/* A zombie has ended too: its parent, the test script, may not have reaped it yet. */
static int processEnded(pid_t pid) {
    if (pid <= 0) return 0;
    if (kill(pid, 0) == -1 && errno == ESRCH) return 1;
    char path[64], line[256];
    snprintf(path, sizeof path, "/proc/%d/stat", (int)pid);
    FILE* f = fopen(path, "r");
    if (!f) return 1;
    const char* got = fgets(line, sizeof line, f);
    fclose(f);
    const char* close = got ? strrchr(line, ')') : NULL;
    return close && close[1] == ' ' && close[2] == 'Z';
}

static uint32_t le32(const unsigned char* p) {
    return p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
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
                       int x, int y, int w, int h) {
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

static void usage(void) {
    fprintf(stderr, "usage: xkeys [-t MS] [-p PID] [-s SHOT [-d REF X Y W H]] [KEY...]\n");
    exit(2);
}

int main(int argc, char** argv) {
    long deadline = 30000;
    pid_t pid = 0;
    const char* shot = NULL;
    const char* ref = NULL;
    int rect[4] = {0, 0, 0, 0};
    int i = 1;
    for (; i < argc && argv[i][0] == '-' && argv[i][1]; ++i) {
        if (!strcmp(argv[i], "-t") && i + 1 < argc) {
            deadline = atol(argv[++i]);
        } else if (!strcmp(argv[i], "-p") && i + 1 < argc) {
            pid = (pid_t)atol(argv[++i]);
        } else if (!strcmp(argv[i], "-s") && i + 1 < argc) {
            shot = argv[++i];
        } else if (!strcmp(argv[i], "-d") && i + 5 < argc) {
            ref = argv[++i];
            for (int k = 0; k < 4; ++k)
                rect[k] = atoi(argv[++i]);
        } else {
            usage();
        }
    }
    if ((!shot && !pid) || (ref && !shot) || argc - i > MAX_KEYS) usage();

    display = XOpenDisplay(NULL);
    if (!display) {
        fprintf(stderr, "xkeys: cannot open the display\n");
        return 2;
    }
    int opcode, event, error;
    if (!XQueryExtension(display, "XTEST", &opcode, &event, &error)) {
        fprintf(stderr, "xkeys: the X server has no XTEST extension\n");
        return 2;
    }
    for (; i < argc; ++i) {
        KeySym sym = XStringToKeysym(argv[i]);
        KeyCode code = sym == NoSymbol ? 0 : XKeysymToKeycode(display, sym);
        if (!code) {
            fprintf(stderr, "xkeys: no key named %s\n", argv[i]);
            return 2;
        }
        keyNames[keyCount] = argv[i];
        keys[keyCount++] = code;
    }
    f12 = XKeysymToKeycode(display, XStringToKeysym("F12"));

    long reference = 0;
    unsigned char* refData = NULL;
    if (ref && !(refData = readBmp(ref, &reference))) {
        fprintf(stderr, "xkeys: %s is no finished BMP file\n", ref);
        return 2;
    }

    long start = nowMs(), end = start + deadline;
    for (int k = 0; k < keyCount; ++k)
        key(keys[k], True);

    int shots = 0, pushes = 0, status = 1;
    /* A push the game may have missed is tried again, held longer each time, after a pause long
     * enough for the game to see F12 up in between. */
    long hold = 500, pause = 20;
    const char* seen = "nothing";
    while (status == 1 && nowMs() < end) {
        if (processEnded(pid)) {
            status = shot ? 3 : 0;
            break;
        }
        if (!shot) {
            sleepMs(2);
            continue;
        }
        unlink(shot);
        key(f12, True);
        ++pushes;
        long pushed = nowMs(), size = 0;
        unsigned char* data = NULL;
        while (!(data = readBmp(shot, &size)) && nowMs() - pushed < hold && nowMs() < end &&
               !processEnded(pid))
            sleepMs(2);
        key(f12, False);
        if (!data) {
            hold *= 2;
            sleepMs(pause);
            pause = pause * 2 > 1000 ? 1000 : pause * 2;
            continue;
        }
        long took = nowMs() - pushed;
        ++shots;
        if (!refData ||
            rectDiffers(data, size, refData, reference, rect[0], rect[1], rect[2], rect[3])) {
            status = 0;
        } else {
            seen = "the same picture";
            sleepMs(2 * took > pause ? 2 * took : pause);
        }
        free(data);
    }
    long held = nowMs() - start;
    releaseAll();
    XCloseDisplay(display);

    if (status == 0) {
        printf("held %ld shots %d\n", held, shots);
    } else if (status == 3) {
        fprintf(stderr, "xkeys: the game ended while %s was held (%d shots)\n",
                keyCount ? keyNames[0] : "F12", shots);
    } else if (shot && shots == 0) {
        fprintf(stderr, "xkeys: no %s within %ld ms of %d pushes of F12\n", shot, deadline, pushes);
    } else if (shot) {
        fprintf(stderr, "xkeys: %d shots in %ld ms, each showing %s in %d,%d %dx%d\n", shots,
                deadline, seen, rect[0], rect[1], rect[2], rect[3]);
    } else {
        fprintf(stderr, "xkeys: the game still ran %ld ms after %s went down\n", deadline,
                keyCount ? keyNames[0] : "no key");
    }
    return status;
}
