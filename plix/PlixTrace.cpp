// Trace: what the game draws and plays, folded into one hash and optionally written out as text.
#include "plix/Plix.h"
#include "plix/PlixMedia.h"

#include <cstdarg>
#include <cstring>
#include <initializer_list>

bool plixTraceOn = false;

namespace {

constexpr uint64_t HASH_START = 0xcbf29ce484222325ULL;
constexpr uint64_t HASH_PRIME = 0x100000001b3ULL;
// A frame of play writes a few hundred lines; a buffer of our own keeps stdio from allocating one.
char textBuffer[1 << 16];

// Each call's kind comes first in the hash, so equal arguments of different calls never collide.
enum TraceOp : uint32_t {
    OP_FILL = 1,
    OP_DRAW,
    OP_TEXT,
    OP_WAV,
    OP_BGM,
    OP_STOP_BGM,
    OP_FLIP,
    OP_MARK,
};

struct Trace {
    uint64_t hash = HASH_START;
    int frame = 0;      // flips since the trace started
    int textFrame = -1; // the frame whose block the text is in
    std::FILE* text = nullptr;
};
Trace trace;

void fold(uint32_t word) {
    trace.hash = (trace.hash ^ word) * HASH_PRIME;
}

void fold(const char* s) {
    size_t n = std::strlen(s);
    fold(static_cast<uint32_t>(n));
    for (size_t i = 0; i < n; ++i)
        fold(static_cast<unsigned char>(s[i]));
}

void fold(std::initializer_list<int> values) {
    for (int v : values)
        fold(static_cast<uint32_t>(v));
}

// One call as a line of its frame's block; the block's header comes before its first line.
void writeLine(const char* format, ...) {
    if (!trace.text) return;
    if (trace.textFrame != trace.frame) {
        std::fprintf(trace.text, "frame %d\n", trace.frame);
        trace.textFrame = trace.frame;
    }
    va_list args;
    va_start(args, format);
    std::vfprintf(trace.text, format, args);
    va_end(args);
    std::fputc('\n', trace.text);
}

// A string as one printable word-safe token: bytes outside printable ASCII, and the backslash,
// escaped.
const char* escaped(const char* s, char* out, size_t size) {
    size_t n = 0;
    for (; *s && n + 5 < size; ++s) {
        unsigned char c = static_cast<unsigned char>(*s);
        if (c >= 32 && c < 127 && c != '\\') {
            out[n++] = static_cast<char>(c);
        } else {
            n += static_cast<size_t>(std::snprintf(out + n, size - n, "\\x%02x", c));
        }
    }
    out[n] = '\0';
    return out;
}

} // namespace

void Plix_traceStart(std::FILE* text) {
    // A stream takes a buffer only before its first output, so a file traced game after game keeps
    // the one it got first.
    static std::FILE* buffered = nullptr;
    if (text && text != buffered) {
        std::setvbuf(text, textBuffer, _IOFBF, sizeof textBuffer);
        buffered = text;
    }
    trace = Trace();
    trace.text = text;
    plixTraceOn = true;
}

void Plix_traceStop() {
    if (trace.text) std::fflush(trace.text);
    plixTraceOn = false;
}

uint64_t Plix_traceHash() {
    return trace.hash;
}

void Plix_traceMark(const char* what, int value) {
    if (!plixTraceOn) return;
    fold(OP_MARK);
    fold(what);
    fold({value});
    writeLine("%s %d", what, value);
}

void traceFill(int x, int y, int w, int h, int red, int green, int blue) {
    fold(OP_FILL);
    fold({x, y, w, h, red, green, blue});
    writeLine("fill %d %d %d %d %d %d %d", x, y, w, h, red, green, blue);
}

void traceDraw(const char* key, int x, int y, int srcX, int srcY, int srcW, int srcH) {
    fold(OP_DRAW);
    fold(key);
    fold({x, y, srcX, srcY, srcW, srcH});
    char name[64];
    writeLine("draw %s %d %d %d %d %d %d", escaped(key, name, sizeof name), x, y, srcX, srcY, srcW,
              srcH);
}

void traceText(const char* text, int x, int y, int alpha) {
    fold(OP_TEXT);
    fold({x, y, alpha});
    fold(text);
    char shown[256];
    writeLine("text %d %d %d %s", x, y, alpha, escaped(text, shown, sizeof shown));
}

void traceWAV(const char* key, int loops) {
    fold(OP_WAV);
    fold(key);
    fold({loops});
    char name[64];
    writeLine("wav %s %d", escaped(key, name, sizeof name), loops);
}

void traceBgm(const char* fileName, int loops, int fadeMs) {
    fold(OP_BGM);
    fold({loops, fadeMs});
    fold(fileName);
    char name[256];
    writeLine("bgm %s %d %d", escaped(fileName, name, sizeof name), loops, fadeMs);
}

void traceStopBgm(int fadeMs) {
    fold(OP_STOP_BGM);
    fold({fadeMs});
    writeLine("stopbgm %d", fadeMs);
}

void traceFlip() {
    fold(OP_FLIP);
    ++trace.frame;
}
