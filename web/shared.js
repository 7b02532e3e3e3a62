// What ZORVANE's two pages share, the game's and the watcher's: the field shown crisply, and the
// offline copy.
"use strict";

// The largest whole number of device pixels per game pixel that fits the room (in CSS pixels), at
// least 1: every game pixel is then a square of whole device pixels, crisp on a phone's fractional
// pixel ratio too. page.css sizes the canvas by --cw and --ch.
function showCrisp(canvas, room) {
  const ratio = window.devicePixelRatio || 1;
  const scale = Math.max(1, Math.floor(Math.min(room.w * ratio / canvas.width, room.h * ratio / canvas.height)));
  canvas.style.setProperty("--cw", canvas.width * scale / ratio);
  canvas.style.setProperty("--ch", canvas.height * scale / ratio);
  canvas.dataset.scale = scale;
}

// The offline copy of every file of the build (sw.js), asked for once a program runs: its download
// must not slow the program's own.
function keepOffline() {
  if (!("serviceWorker" in navigator) || !location.protocol.startsWith("http")) return;
  navigator.serviceWorker.register("sw.js").catch((e) => console.warn(`no offline copy: ${e.message}`));
}
