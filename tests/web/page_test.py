#!/usr/bin/python3
# The page in headless Chromium, served by a static server on this machine that lets the
# browser cache every file for ten minutes: every recorded playthrough that can be typed shows
# its recorded screen, with the typed lines echoed; the end of a run is told outside the
# story, and a fresh run starts empty. With --webkit, the playthroughs in WebKitGTK (under
# xvfb-run).
#
#     page_test.py SITE CASES [--webkit]
import difflib
import functools
import glob
import http.server
import pathlib
import re
import shutil
import sys
import tempfile
import threading
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.common.exceptions import ElementNotInteractableException
from selenium.webdriver.common.keys import Keys

# A copy of the site, which the update test deploys a new build over.
site, cases = pathlib.Path(tempfile.mkdtemp()) / "site", pathlib.Path(sys.argv[2])
shutil.copytree(sys.argv[1], site)
webkit = sys.argv[3:] == ["--webkit"]
failures = []


def browser():
    if webkit:
        options = webdriver.WebKitGTKOptions()
        options.binary_location = glob.glob("/usr/lib/*/webkit2gtk-4.1/MiniBrowser")[0]
        options.add_argument("--automation")
        return webdriver.WebKitGTK(executable_path="/usr/bin/WebKitWebDriver", options=options)
    options = webdriver.ChromeOptions()
    for flag in ("headless", "no-sandbox", "disable-gpu", "disable-quic", "no-first-run", "disable-sync",
                 "disable-background-networking", "disable-component-update",
                 f"user-data-dir={tempfile.mkdtemp()}"):
        options.add_argument("--" + flag)
    options.binary_location = "/usr/bin/chromium"
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)


def page(script):
    return driver.execute_script("return " + script)


# What the story wrote: the screen without the echo of typed lines.
STORY = """(() => { const copy = document.getElementById('screen').cloneNode(true);
    copy.querySelectorAll('.echo').forEach((echo) => echo.remove()); return copy.textContent })()"""
SCREEN = "document.getElementById('screen').textContent"


def settled(script, expected):
    deadline = time.time() + 5
    while (seen := page(script)) != expected and time.time() < deadline:
        time.sleep(0.02)
    return seen


def check(name, seen, expected):
    if seen != expected:
        failures.append(name)
        print(f"FAIL {name}\n  expected {str(expected)[-150:]!r}\n  seen     {str(seen)[-150:]!r}")


# Types the keys line by line, a last line cut short with Ctrl-D, then Ctrl-D on an empty line
# to end the input, as at a terminal (unless the input is not to end). Returns the echoes the
# page should show.
def type_keys(keys, end=True):
    field = driver.find_element(By.ID, "keys")
    *lines, rest = keys.split("\n")
    try:
        for line in lines:
            field.send_keys(line + Keys.ENTER)
        if end:
            field.send_keys(rest + Keys.CONTROL + "d" if rest else "", Keys.CONTROL + "d")
    except ElementNotInteractableException:
        pass  # the story is over: the input takes no more keys
    return [line + "\n" for line in lines] + ([rest] if rest else [])


def fresh():
    driver.get(url)
    driver.execute_script("localStorage.clear()")
    driver.get(url)


def playthroughs():
    # No key of a page types a control character but Enter.
    typed = [keys for keys in sorted(cases.glob("*.keys"))
             if not re.search(rb"[\0-\x09\x0b-\x1f]", keys.read_bytes())]
    for keys_file in typed:
        expected = keys_file.with_suffix(".screen").read_bytes().decode("utf-8")
        fresh()
        echoes = type_keys(keys_file.read_bytes().decode("utf-8").split("\n", 1)[1])
        seen = settled(STORY, expected)
        check(keys_file.stem, seen == expected, True)
        sys.stdout.writelines(difflib.unified_diff(expected.splitlines(True), seen.splitlines(True),
                                                   keys_file.stem + ".screen", "typed on the page"))
        seen = page("[...document.querySelectorAll('#screen .echo')].map((e) => e.textContent)")
        check(keys_file.stem + " (echo)", seen[:len(echoes)], echoes[:len(seen)])
    check("playthroughs typed", len(typed) >= 30, True)


def echo_and_live_region():
    fresh()
    type_keys("\n1\n山田 太郎\n")
    settled(f"{SCREEN}.endsWith('選択肢を入力してください：')", True)
    check("echo after the prompt", "名字：山田 太郎\n" in page(SCREEN), True)
    news = page("document.getElementById('news').textContent")
    check("live region: the story's words only", ("山田 太郎 であっていますか？" in news, "名字：" in news,
          "＿" in news, "\n\n" in news), (True, False, False, False))
    # A pasted line of any length is sent: at the title menu it is refused like any other.
    fresh()
    type_keys("\n", end=False)
    driver.execute_script("document.getElementById('keys').value = 'x'.repeat(200000)")
    type_keys("\n", end=False)
    check("a long pasted line is sent", settled(f"{SCREEN}.split('1.start').length", 3), 3)


# The story's choices as buttons, and keys that reach the input wherever the focus is.
def choices_and_focus():
    fresh()
    driver.find_element(By.ID, "next").click()
    check("after 次へ the input keeps the focus", page(FOCUS), "keys")
    check("the title's choice, digits", (settled(CHOICES, ["1.start"]), page(MODE)), (["1.start"], "numeric"))
    driver.find_element(By.CSS_SELECTOR, "#choices button").click()
    check("a choice sends its number and Enter", (settled(f"{SCREEN}.endsWith('名字：')", True), page(CHOICES),
                                                  page(MODE)), (True, [], "text"))
    driver.execute_script("document.getElementById('screen').focus()")
    ActionChains(driver).send_keys("山田 太郎", Keys.ENTER).perform()
    check("keys typed on the story go to the input", settled(CHOICES, ["1.はい", "2.いいえ"]), ["1.はい", "2.いいえ"])


def audit(stage):
    violations = driver.execute_async_script(
        AXE + "; axe.run(document).then((r) => arguments[0](r.violations.map((v) => v.id)))")
    check(f"axe at {stage}", violations, [])


def keys_focus_and_end():
    for width, height in ((1280, 800), (390, 844)):
        driver.set_window_size(width, height)
        fresh()
        audit(f"the first screen, {width}px")
        driver.find_element(By.ID, "next").click()
        type_keys("1\n山田 太郎\n1\n私\n1\n" + "\n" * 12, end=False)
        settled(f"{SCREEN}.includes('6.二階へ')", True)
        audit(f"mid-story, {width}px")
        driver.find_element(By.ID, "screen").click()
        check("a tap on the story gives the input the keys", page(FOCUS), "keys")
        driver.set_window_size(width, height // 2)  # an on-screen keyboard, say
        check("the newest line stays in view", settled(IN_VIEW, True), True)
        driver.find_element(By.ID, "keys").send_keys(Keys.PAGE_UP)
        check("PageUp scrolls the story", page(IN_VIEW), False)
        driver.set_window_size(width, height)
        fresh()
        type_keys("\n58203\n\n\n")
        check("the end", (settled("document.body.dataset.state", "ended"), page(FOCUS),
                          page("document.getElementById('keys').disabled")), ("ended", "again", True))
        check("the disabled 次へ looks so", page(f"{COLOR('next')} !== {COLOR('again')}"), True)
        check("the last line in view", settled(IN_VIEW, True), True)
        audit(f"the end, {width}px")


# A long run comes back without freezing the page; a line typed meanwhile waits behind it.
def long_resume():
    fresh()
    driver.execute_script("localStorage.setItem('kurenagi-keys', JSON.stringify({sent: arguments[0], story: document"
                          ".querySelector('meta[name=kurenagi-story]').content}))", ["\n"] + ["x\n", "\n"] * 1499 + ["x\n"])
    driver.get(url)
    driver.find_element(By.ID, "keys").send_keys("1" + Keys.ENTER)
    check("a line typed during a resume goes after it", (settled(f"{SCREEN}.endsWith('名字：')", True),
          page(SCREEN).count("1.start"), page(KEPT)["sent"][-1]), (True, 1501, "1\n"))


# One run per browser: a second tab takes it, the first says so and can take it back.
def two_tabs():
    fresh()
    type_keys("\n1\n", end=False)
    driver.switch_to.new_window("tab")
    driver.get(url)
    type_keys("山田 太郎\n", end=False)
    second = settled(f"{SCREEN}.endsWith('選択肢を入力してください：')", True) and page(SCREEN)
    driver.switch_to.window(driver.window_handles[0])
    check("the first tab is told", settled(TAKEN, True), True)
    driver.find_element(By.ID, "back").click()
    check("and takes the run back as the second left it", settled(SCREEN, second), second)
    driver.switch_to.window(driver.window_handles[1])
    check("then the second is told", settled(TAKEN, True), True)
    driver.close()
    driver.switch_to.window(driver.window_handles[0])


# Storage that is full: the player is told, and no older run stays kept.
def full_storage():
    fresh()
    type_keys("\n", end=False)
    driver.execute_script("""let i = 0; for (let size = 1 << 20; size > 0; size >>= 1) {
                               try { for (;;) localStorage.setItem(`filler${i++}`, 'x'.repeat(size)) } catch (full) {} }""")
    type_keys("1\n", end=False)
    check("a failed save is said", (settled(NOTICE, True), page(KEPT)), (True, None))


# A new build reaches the player by the second load at the latest, and a run outlives a change
# to the page (a run of another story starts afresh: see the damaged key logs).
def updates():
    fresh()
    type_keys("\n1\n", end=False)
    before = settled(f"{SCREEN}.endsWith('名字：')", True) and page(SCREEN)
    driver.execute_async_script("navigator.serviceWorker.ready.then(() => arguments[0]())")
    for name, old, new in (("page.js", '"use strict";', '"use strict"; document.body.dataset.deployed = 2;'),
                           ("sw.js", "kurenagi-", "kurenagi-new-")):
        (site / name).write_text((site / name).read_text(encoding="utf-8").replace(old, new, 1), encoding="utf-8")
    for _ in range(2):
        driver.refresh()
        settled("document.body.dataset.deployed", "2")
    check("a new page, the same run", (page("document.body.dataset.deployed"), settled(SCREEN, before)), ("2", before))


def resume_and_offline():
    fresh()
    type_keys("\n1\n山田 太郎\n1\n", end=False)
    settled(f"{SCREEN}.endsWith('一人称：')", True)
    before = page(SCREEN)
    driver.refresh()
    check("a reload resumes the run", settled(SCREEN, before), before)
    type_keys("私\n1\n", end=False)
    check("and it goes on", settled(f"{SCREEN}.includes('私 であっていますか？')", True), True)
    fresh()
    type_keys("\n58203\n\n\n")
    settled("document.body.dataset.state", "ended")
    driver.refresh()
    check("an ended run comes back ended", (settled("document.body.dataset.state", "ended"),
                                            page(FOCUS)), ("ended", "again"))
    driver.find_element(By.ID, "again").send_keys(Keys.ENTER)
    notice = (cases / "no-input.screen").read_bytes().decode("utf-8")
    check("Enter on the button starts afresh", (settled(SCREEN, notice), page(STATE)), (notice, None))
    driver.refresh()
    check("and the keys are forgotten", settled(SCREEN, notice), notice)
    for damaged in ("{", '{"build": "another", "sent": ["\\n"]}', '{"sent": 5}'):
        driver.execute_script("localStorage.setItem('kurenagi-keys', arguments[0])", damaged)
        driver.refresh()
        check(f"a damaged key log starts afresh: {damaged}", (settled(SCREEN, notice), page(NOTICE)),
              (notice, "another" in damaged))  # a run of another story, and the page says so
    driver.execute_async_script("navigator.serviceWorker.ready.then(() => arguments[0]())")
    server.shutdown()
    server.server_close()
    driver.refresh()
    type_keys("\n", end=False)
    check("offline, the page plays", settled(f"{SCREEN}.includes('1.start')", True), True)


FOCUS = "document.activeElement.id"
CHOICES = "[...document.querySelectorAll('#choices button')].map((b) => b.textContent)"
KEPT = "JSON.parse(localStorage.getItem('kurenagi-keys'))"
MODE = "document.getElementById('keys').inputMode"
TAKEN = "!document.getElementById('taken').hidden && document.getElementById('keys').disabled"
NOTICE = "!document.getElementById('notice').hidden"
COLOR = "getComputedStyle(document.getElementById('{}')).color".format
STATE = "document.body.dataset.state"
IN_VIEW = """(() => { const s = document.getElementById('screen');
    return s.scrollTop + s.clientHeight >= s.scrollHeight - 2 })()"""
AXE = "" if webkit else (pathlib.Path(__file__).parent / "node_modules/axe-core/axe.min.js").read_text()
base = http.server.SimpleHTTPRequestHandler
quiet = type("Quiet", (base,), {"log_message": lambda *args: None, "end_headers": lambda self: (
    self.send_header("Cache-Control", "max-age=600"), base.end_headers(self))})
server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), functools.partial(quiet, directory=site))
threading.Thread(target=server.serve_forever, daemon=True).start()
url = f"http://127.0.0.1:{server.server_port}/"
driver = browser()
try:
    playthroughs()
    if not webkit:
        echo_and_live_region()
        choices_and_focus()
        keys_focus_and_end()
        long_resume()
        two_tabs()
        full_storage()
        updates()
        resume_and_offline()
finally:
    driver.quit()
print(f"page: {len(failures)} failed" if failures else "page: every check passed")
sys.exit(1 if failures else 0)
