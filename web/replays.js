// ZORVANE's replays in the browser: the games kept in the browser's storage, each saved as a file,
// watched, or shared as a link.
// A replay's bytes are sim/SimReplay.cpp's to read: here they are only moved, and written in base64url.
"use strict";

var zorvaneReplays = (function () {
  const STORE = "zorvane-replays";

  function toBase64url(bytes) {
    let text = "";
    // In slices: a spread of a whole long replay would overflow the call's arguments.
    for (let i = 0; i < bytes.length; i += 0x8000) text += String.fromCharCode(...bytes.subarray(i, i + 0x8000));
    return btoa(text).replace(/\+/g, "-").replace(/\//g, "_").replace(/=+$/, "");
  }
  // Throws on text that is no base64url: a link cut short or typed wrong.
  function fromBase64url(text) {
    if (!/^[A-Za-z0-9_-]*$/.test(text)) throw new Error("it holds characters that base64url has not");
    return Uint8Array.from(atob(text.replace(/-/g, "+").replace(/_/g, "/")), (c) => c.charCodeAt(0));
  }

  // The games kept in this browser: { last, best: { LEVEL: game } }. Storage may be refused (a
  // private window, a full disk): then nothing is kept, and writing says why.
  function kept() {
    try {
      return JSON.parse(localStorage.getItem(STORE)) || { last: null, best: {} };
    } catch {
      return { last: null, best: {} };
    }
  }
  const fileName = (game) => `zorvane-L${game.level}-S${game.score}.zvr`;
  function save(name, replay) {
    const link = document.createElement("a");
    link.href = URL.createObjectURL(new Blob([fromBase64url(replay)], { type: "application/octet-stream" }));
    link.download = name;
    document.body.appendChild(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(link.href), 60000);
  }
  // The link that carries the replay to the watcher, copied if the browser lets the page; shown in
  // `where` (its text and its field) either way, for a copy by hand.
  async function share(replay, where) {
    const link = new URL(`watch.html#r=${replay}`, location.href).href;
    let copied = false;
    try {
      await navigator.clipboard.writeText(link);
      copied = true;
    } catch {
      // No clipboard for the page (an address that is not https, say), or no leave to use it.
    }
    where.querySelector("span").textContent = copied ? "Copied, the link to watch it:" : "Copy the link to watch it:";
    const field = where.querySelector("input");
    field.value = link;
    where.hidden = false;
    field.select();
  }

  return { kept, save, share, fileName, toBase64url, fromBase64url };
})();
