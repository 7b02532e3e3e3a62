// TokenManager: a fixed pool of one Token subclass, contiguous, handed out first-free-first.
#pragma once

#include <memory>

template <class T> class TokenManager {
  public:
    // Every element is built here, free; nothing is allocated after this.
    explicit TokenManager(int capacity) : tokens(new T[capacity]), cap(capacity) {}
    TokenManager(const TokenManager&) = delete;
    TokenManager& operator=(const TokenManager&) = delete;

    // The free element with the lowest index, or nullptr when all are alive. It is not marked
    // taken: the caller starts it (every start ends in Token::set).
    T* getFreeToken() {
        for (int i = 0; i < cap; ++i)
            if (!tokens[i].exists) return &tokens[i];
        return nullptr;
    }
    // All elements, alive and free, in index order; callers skip the free ones.
    T* getTokens() { return tokens.get(); }
    const T* getTokens() const { return tokens.get(); }
    int capacity() const { return cap; }
    T* begin() { return tokens.get(); }
    T* end() { return tokens.get() + cap; }

    // Each element is tested when the pass reaches it: one started ahead of the pass moves this
    // frame, one started behind it waits for the next.
    void move() {
        for (int i = 0; i < cap; ++i)
            if (tokens[i].exists) tokens[i].move();
    }
    void draw() {
        for (int i = 0; i < cap; ++i)
            if (tokens[i].exists) tokens[i].draw();
    }
    void clear() {
        for (int i = 0; i < cap; ++i)
            tokens[i].exists = false;
    }
    int count() const {
        int n = 0;
        for (int i = 0; i < cap; ++i)
            if (tokens[i].exists) ++n;
        return n;
    }

  private:
    std::unique_ptr<T[]> tokens;
    int cap;
};
