// Debian's headless Chromium with a fresh profile, pointed at the page served from a web directory.
import puppeteer from "puppeteer-core";
import { mkdtempSync, rmSync } from "node:fs";
import { serve } from "../../web/serve.mjs";

// Resolves to { browser, url, server, close }; close() ends the browser and the server and removes the
// profile. hold, when given, is the server's (see serve.mjs).
export async function openChromium(webDir, hold) {
  const { server, url } = await serve(webDir, 0, hold);
  const profile = mkdtempSync("/tmp/zorvane-chromium-");
  const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM || "/usr/bin/chromium",
    headless: true,
    userDataDir: profile,
    // Without the background-networking flags Chromium reaches out on its own and the closed network
    // refuses it, which slows every start.
    args: ["--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run", "--disable-background-networking",
           "--disable-component-update", "--disable-sync"],
  });
  const close = async () => {
    await browser.close();
    server.close();
    server.closeAllConnections();
    rmSync(profile, { recursive: true, force: true });
  };
  return { browser, url, server, close };
}
