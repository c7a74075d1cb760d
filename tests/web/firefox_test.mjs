// The page in Firefox ESR, headless over WebDriver BiDi: every recorded playthrough that can be
// typed shows its recorded screen; a click on the story reads on at a beat and does nothing at
// a menu, 次へ sends what is typed, and a page without its game says so.
//     node firefox_test.mjs SITE CASES
import { cpSync, mkdtempSync, readFileSync, readdirSync, renameSync } from "node:fs";
import { createServer } from "node:http";
import { tmpdir } from "node:os";
import { join } from "node:path";
import puppeteer from "puppeteer-core";

// A copy of the site, which the test takes the game from.
const site = mkdtempSync(join(tmpdir(), "site-"));
cpSync(process.argv[2], site, { recursive: true });
const cases = process.argv[3];
const server = createServer((request, response) => {
  const path = new URL(request.url, "http://page").pathname;
  try {
    const body = readFileSync(join(site, path.endsWith("/") ? `${path}index.html` : path));
    const type = { html: "text/html", js: "text/javascript", wasm: "application/wasm" }[path.split(".").pop()];
    response.writeHead(200, { "Content-Type": path.endsWith("/") ? "text/html" : type ?? "" }).end(body);
  } catch {
    response.writeHead(404).end();
  }
}).listen(0, "127.0.0.1");
await new Promise((resolve) => server.once("listening", resolve));
const url = `http://127.0.0.1:${server.address().port}/`;
const browser = await puppeteer.launch({ browser: "firefox", executablePath: "/usr/bin/firefox-esr",
  headless: true, extraPrefsFirefox: { "dom.serviceWorkers.enabled": false } });
const page = await browser.newPage();
const failures = [];

function check(name, seen, expected) {
  if (JSON.stringify(seen) === JSON.stringify(expected)) return;
  failures.push(name);
  console.log(`FAIL ${name}\n  expected ${JSON.stringify(expected).slice(-150)}\n  seen     ${JSON.stringify(seen).slice(-150)}`);
}

// What the story wrote: the screen without the echo of typed lines, once it is what was recorded.
const STORY = `(() => { const copy = document.getElementById("screen").cloneNode(true);
  copy.querySelectorAll(".echo").forEach((echo) => echo.remove()); return copy.textContent })()`;

async function story(expected) {
  await page.waitForFunction(`${STORY} === ${JSON.stringify(expected)}`, { timeout: 5000 }).catch(() => {});
  return page.evaluate(STORY);
}

async function fresh() {
  await page.goto(url);
  await page.evaluate(() => localStorage.clear());
  await page.goto(url);
  await page.waitForFunction(() => document.body.dataset.awaits === "key");
}

const awaits = (awaited) => page.waitForFunction((want) => document.body.dataset.awaits === want, {}, awaited);

async function playthroughs() {
  const typed = readdirSync(cases).filter((name) => name.endsWith(".keys")).sort()
    .filter((name) => !readFileSync(join(cases, name)).some((byte) => byte < 0x20 && byte !== 0x0a));
  for (const name of typed) {
    const [, ...lines] = readFileSync(join(cases, name), "utf8").split("\n");
    const rest = lines.pop();
    await fresh();
    for (const [index, line] of [...lines, rest].entries()) {
      if (await page.$eval("#keys", (keys) => keys.disabled)) break; // the story is over
      await page.focus("#keys");
      await page.keyboard.type(line);
      if (index < lines.length) await page.keyboard.press("Enter");
    }
    for (let end = 0; end < 2; end++) {
      await page.keyboard.down("Control");
      await page.keyboard.press("d");
      await page.keyboard.up("Control");
    }
    const expected = readFileSync(join(cases, name.replace(/keys$/, "screen")), "utf8");
    check(name, await story(expected), expected);
  }
  check("playthroughs typed", typed.length >= 30, true);
}

async function clicksAndNext() {
  await fresh();
  await page.click("#screen");
  await awaits("number");
  await page.click("#screen");
  await page.type("#keys", "1");
  await page.click("#next");
  await awaits("word");
  check("a click reads on at a beat, not at a menu; 次へ sends what is typed",
    await page.evaluate(() => JSON.parse(localStorage.getItem("kurenagi-keys")).sent), ["\n", "1\n"]);
}

async function brokenLoad() {
  renameSync(join(site, "kurenagi.wasm"), join(site, "kurenagi.wasm.away"));
  try {
    await page.goto(url);
    await page.waitForFunction(() => document.body.dataset.state === "broken", { timeout: 10000 }).catch(() => {});
    check("a page without its game says so", await page.evaluate(() =>
      [document.body.dataset.state, document.getElementById("keys").disabled]), ["broken", true]);
  } finally {
    renameSync(join(site, "kurenagi.wasm.away"), join(site, "kurenagi.wasm"));
  }
}

try {
  await playthroughs();
  await clicksAndNext();
  await brokenLoad();
} finally {
  await browser.close();
  server.close();
}
console.log(failures.length ? `firefox: ${failures.length} failed` : "firefox: every check passed");
process.exit(failures.length ? 1 : 0);
