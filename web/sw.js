// ZORVANE's offline copy: every file of one build cached together, fresh files from the network
// whenever it answers, the cached build when it does not. A new build brings a new sw.js, whose own
// cache replaces the old one whole.
const VERSION = "@VERSION@";
const FILES = @FILES@;
const CACHE = `zorvane-${VERSION}`;

self.addEventListener("install", (event) => {
  event.waitUntil(caches.open(CACHE)
    .then((cache) => cache.addAll(FILES.map((file) => new Request(file, { cache: "reload" }))))
    .then(() => self.skipWaiting()));
});

self.addEventListener("activate", (event) => {
  event.waitUntil(caches.keys()
    .then((keys) => Promise.all(keys.filter((key) => key.startsWith("zorvane-") && key !== CACHE).map((key) => caches.delete(key))))
    .then(() => self.clients.claim()));
});

// The network first, so that a new build is never hidden behind the copy of an old one.
self.addEventListener("fetch", (event) => {
  if (event.request.method !== "GET") return;
  event.respondWith(fetch(event.request).catch(() => caches.open(CACHE)
    .then((cache) => cache.match(event.request, { ignoreSearch: true }))
    .then((cached) => cached || Response.error())));
});
