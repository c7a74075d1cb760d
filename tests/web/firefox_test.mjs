// The page in Firefox ESR, headless over WebDriver BiDi: every recorded playthrough that can be
// typed shows its recorded screen; a click on the story reads on at a beat and does nothing at
// a menu, 次へ sends what is typed, and a page without its game says so.
//     node firefox_test.mjs SITE CASES
import { existsSync, readFileSync, readdirSync } from "node:fs";
import { createServer } from "node:http";
import { join } from "node:path";
import puppeteer from "puppeteer-core";

const [site, cases] = process.argv.slice(2);
const types = { html: "text/html", js: "text/javascript", wasm: "application/wasm" };
let missing = ""; // a file the server says it does not have
const server = createServer((request, response) => {
  const path = new URL(request.url, "http://page").pathname.replace(/\/$/, "/index.html");
  const found = path !== missing && existsSync(join(site, path));
  response.writeHead(found ? 200 : 404, { "Content-Type": types[path.split(".").pop()] ?? "" });
  response.end(found ? readFileSync(join(site, path)) : "");
}).listen(0, "127.0.0.1");
await new Promise((resolve) => server.once("listening", resolve));
const url = `http://127.0.0.1:${server.address().port}/`;
const browser = await puppeteer.launch({ browser: "firefox", executablePath: "/usr/bin/firefox-esr",
  headless: true, extraPrefsFirefox: { "dom.serviceWorkers.enabled": false } });
const page = await browser.newPage();
const failures = [];

// Checks that the page's `script` gives `expected`, within a few seconds.
async function expect(name, script, expected) {
  const seen = await page.waitForFunction(`${script} === ${JSON.stringify(expected)}`, { timeout: 5000 })
    .then(() => expected, () => page.evaluate(script));
  if (seen === expected) return;
  failures.push(name);
  console.log(`FAIL ${name}\n  expected ${JSON.stringify(expected).slice(-150)}\n  seen     ${JSON.stringify(seen).slice(-150)}`);
}

// What the story wrote: the screen without the echo of typed lines.
const STORY = `(() => { const copy = document.getElementById("screen").cloneNode(true);
  copy.querySelectorAll(".echo").forEach((echo) => echo.remove()); return copy.textContent })()`;
const KEPT = "localStorage.getItem('kurenagi-keys') && JSON.parse(localStorage.getItem('kurenagi-keys')).sent.join('|')";
const AWAITS = "document.body.dataset.awaits";

async function fresh() {
  await page.goto(url);
  await page.evaluate(() => localStorage.clear());
  await page.goto(url);
  await expect("the page starts", AWAITS, "key");
}

async function playthroughs() {
  const typed = readdirSync(cases).filter((name) => name.endsWith(".keys")).sort()
    .filter((name) => !readFileSync(join(cases, name)).some((byte) => byte < 0x20 && byte !== 0x0a));
  for (const name of typed) {
    const [, ...lines] = readFileSync(join(cases, name), "utf8").split("\n");
    await fresh();
    for (const [index, line] of lines.entries()) {
      if (await page.$eval("#keys", (keys) => keys.disabled)) break; // the story is over
      await page.focus("#keys");
      await page.keyboard.type(line);
      if (index < lines.length - 1) await page.keyboard.press("Enter");
    }
    for (const key of ["d", "d"]) await page.keyboard.down("Control").then(() => page.keyboard.press(key));
    await page.keyboard.up("Control");
    const expected = readFileSync(join(cases, name.replace(/keys$/, "screen")), "utf8");
    await expect(name, STORY, expected);
  }
  if (typed.length < 30) failures.push("playthroughs typed");
}

async function clicksAndNext() {
  await fresh();
  await page.click("#screen");
  await expect("a click reads on at a beat", AWAITS, "number");
  await page.click("#screen");
  await page.type("#keys", "1");
  await page.click("#next");
  await expect("not at a menu; 次へ sends what is typed", KEPT, "\n|1\n");
}

async function withoutTheGame() {
  missing = "/kurenagi.wasm";
  await page.goto(url);
  await expect("no game: said, and no keys", "document.body.dataset.state + keys.disabled", "brokentrue");
}

try {
  await playthroughs();
  await clicksAndNext();
  await withoutTheGame();
} finally {
  await browser.close();
  server.close();
}
console.log(failures.length ? `firefox: ${failures.length} failed` : "firefox: every check passed");
process.exit(failures.length ? 1 : 0);
