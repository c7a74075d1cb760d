#!/usr/bin/python3
# The page in headless Chromium, served by a static server on this machine: every recorded
# playthrough that can be typed shows its recorded screen, with the typed lines echoed; the
# end of a run is told outside the story, and a fresh run starts empty.
#
#     page_test.py SITE CASES
import difflib
import functools
import http.server
import pathlib
import re
import sys
import tempfile
import threading
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.common.exceptions import ElementNotInteractableException
from selenium.webdriver.common.keys import Keys

site, cases = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])
failures = []


def browser():
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
                                                   keys_file.name.replace(".keys", ".screen"),
                                                   f"{keys_file.stem} typed on the page"))
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
        check("the last line in view", settled(IN_VIEW, True), True)
        audit(f"the end, {width}px")


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
        check(f"a damaged key log starts afresh: {damaged}", settled(SCREEN, notice), notice)
    driver.execute_async_script("navigator.serviceWorker.ready.then(() => arguments[0]())")
    server.shutdown()
    server.server_close()
    driver.refresh()
    type_keys("\n", end=False)
    check("offline, the page plays", settled(f"{SCREEN}.includes('1.start')", True), True)


FOCUS = "document.activeElement.id"
STATE = "document.body.dataset.state"
IN_VIEW = """(() => { const s = document.getElementById('screen');
    return s.scrollTop + s.clientHeight >= s.scrollHeight - 2 })()"""
AXE = (pathlib.Path(__file__).parent / "node_modules/axe-core/axe.min.js").read_text()
quiet = type("Quiet", (http.server.SimpleHTTPRequestHandler,), {"log_message": lambda *args: None})
server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), functools.partial(quiet, directory=site))
threading.Thread(target=server.serve_forever, daemon=True).start()
url = f"http://127.0.0.1:{server.server_port}/"
driver = browser()
try:
    playthroughs()
    echo_and_live_region()
    keys_focus_and_end()
    resume_and_offline()
finally:
    driver.quit()
print(f"page: {len(failures)} failed" if failures else "page: every check passed")
sys.exit(1 if failures else 0)
