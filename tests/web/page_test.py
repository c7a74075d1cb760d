#!/usr/bin/python3
# The page in headless Chromium, served by a static server on this machine that lets the
# browser cache every file for ten minutes: every recorded playthrough that can be typed shows
# its recorded screen, with the typed lines echoed; the end of a run is told outside the
# story, and a fresh run starts empty; in a phone's hands, taps read on and the story's last
# line stays in view. With --webkit, the playthroughs in WebKitGTK (under xvfb-run).
#
#     page_test.py SITE CASES [--webkit]
import difflib
import functools
import glob
import http.server
import pathlib
import re
import shutil
import subprocess
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
WEB = pathlib.Path(__file__).parents[2] / "web"  # the page's sources, which a new build is stamped from
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


def settled(script, expected, seconds=5):
    deadline = time.time() + seconds
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
    driver.execute_script("document.getElementById('screen').focus()")
    ActionChains(driver).send_keys("1", Keys.ENTER, "山田 太郎", Keys.ENTER).perform()
    check("keys typed on the story go to the input", settled(CHOICES, ["1.はい", "2.いいえ"]), ["1.はい", "2.いいえ"])


# A phone's screen, held upright, with the keyboard up, or turned; touch.
PHONES = ((390, 844), (390, 500), (844, 390))


def as_phone(width, height):
    driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                           {"width": width, "height": height, "deviceScaleFactor": 3, "mobile": True})
    driver.execute_cdp_cmd("Emulation.setTouchEmulationEnabled", {"enabled": True, "maxTouchPoints": 5})


def tap(selector):
    x, y = page(f"(() => {{ const r = document.querySelector('{selector}').getBoundingClientRect();"
                "return [r.x + r.width / 2, r.y + r.height / 2] })()")
    # Stamped 50 ms apart, as a tap is however long the browser takes to get it.
    for kind, points, at in (("touchStart", [{"x": x, "y": y}], time.time()), ("touchEnd", [], time.time() + 0.05)):
        driver.execute_cdp_cmd("Input.dispatchTouchEvent", {"type": kind, "touchPoints": points, "timestamp": at})


# A whole playthrough by thumb: taps on the story at beats, on the choices at menus, on the
# input to type a name. Whenever the story waits, its last line is in view; at a beat no
# keyboard is up.
def phone():
    lines = (cases / "full-playthrough.keys").read_bytes().decode("utf-8").split("\n")[1:-1]
    for width, height in PHONES:
        as_phone(width, height)
        fresh()
        for sent, line in enumerate(lines):
            settled(f"{KEPT}?.sent.length === {sent} && document.body.dataset.awaits !== undefined", True)
            awaited, where = page(AWAITS), f"{width}x{height}, at line {sent + 1}"
            choices = [choice.split(".")[0] for choice in page(CHOICES)]
            check(f"the last line in view, {where}", settled(LAST_IN_VIEW, True), True)
            if awaited == "key" and not line:
                check(f"no keyboard at a beat, {where}", page(FOCUS) != "keys", True)
                tap("#screen")
            elif awaited == "number" and line in choices:
                tap(f"#choices button:nth-child({choices.index(line) + 1})")
            else:
                tap("#keys")
                as_phone(width, 500)  # the keyboard comes up
                check(f"the last line in view over the keyboard, {where}", settled(LAST_IN_VIEW, True), True)
                driver.find_element(By.ID, "keys").send_keys(line + Keys.ENTER)
                as_phone(width, height)
        expected = (cases / "full-playthrough.screen").read_bytes().decode("utf-8")
        check(f"a playthrough by thumb, {width}x{height}", settled(STORY, expected) == expected, True)


# At a beat, only a tap reads on, one beat; at a menu it does nothing, and 次へ sends what is typed.
def gestures():
    as_phone(390, 844)
    fresh()
    settled(AWAITS, "key")
    driver.execute_cdp_cmd("Input.synthesizeTapGesture", {"x": 200, "y": 300, "duration": 900, "gestureSourceType": "touch"})
    for swipe in ({"x": 200, "y": 300, "yDistance": -200}, {"x": 200, "y": 300, "xDistance": -200}):
        driver.execute_cdp_cmd("Input.synthesizeScrollGesture", {"gestureSourceType": "touch", **swipe})
    driver.execute_script("getSelection().selectAllChildren(document.getElementById('screen'))")
    tap("#screen")
    check("a long press, a scroll, a swipe or a selection does not read on", page(f"{KEPT}.sent"), [])
    driver.execute_script("getSelection().removeAllRanges()")
    tap("#screen")
    check("a tap reads on one beat", (settled(AWAITS, "number"), page(f"{KEPT}.sent")), ("number", ["\n"]))
    tap("#screen")
    driver.find_element(By.ID, "keys").send_keys("1")
    tap("#next")
    check("at a menu a tap does nothing, and 次へ sends what is typed", (settled(AWAITS, "word"), page(f"{KEPT}.sent"),
          page("document.getElementById('keys').value")), ("word", ["\n", "1\n"], ""))
    driver.execute_cdp_cmd("Emulation.clearDeviceMetricsOverride", {})
    driver.execute_cdp_cmd("Emulation.setTouchEmulationEnabled", {"enabled": False})


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


# A run as long as a browser keeps comes back without freezing the page, at its newest line; a
# line typed meanwhile waits behind it.
def long_resume():
    fresh()
    driver.execute_script("localStorage.setItem('kurenagi-keys', JSON.stringify({sent: arguments[0], story: document"
                          ".querySelector('meta[name=kurenagi-story]').content}))", ["\n"] + ["x\n", "\n"] * 79999 + ["x\n"])
    driver.get(url)
    driver.find_element(By.ID, "keys").send_keys("1" + Keys.ENTER)
    check("a line typed during a resume goes after it", (settled(f"{SCREEN}.endsWith('名字：')", True, 60),
          page(f"{SCREEN}.split('1.start').length"), page(f"{KEPT}.sent.at(-1)"), settled(IN_VIEW, True)),
          (True, 80002, "1\n", True))


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


# A new build of the site over this one: each named file changed, the page stamped anew.
def deploy(changes):
    for name, change in changes.items():
        (site / name).write_bytes(change((site / name).read_bytes()))
    subprocess.run([sys.executable, WEB / "stamp.py", WEB, site], check=True)
    return re.search(r'"kurenagi-build" content="(\w+)"', (site / "index.html").read_text()).group(1)


# A build whose page and game say which they are.
def marked(build):
    return {name: lambda old, mark=mark: old + f"\ndocument.body.dataset.{mark} = {build};".encode()
            for name, mark in (("page.js", "page"), ("kurenagi.js", "game"))}


def forget_workers():
    driver.execute_cdp_cmd("Network.clearBrowserCache", {})
    page("""Promise.all([caches.keys().then((all) => Promise.all(all.map((n) => caches.delete(n)))),
        navigator.serviceWorker.getRegistrations().then((all) => Promise.all(all.map((r) => r.unregister())))])""")


# A new build reaches the player by the second load at the latest, and a run outlives a change
# to the page (a run of another story starts afresh: see the damaged key logs); a page never
# runs files of two builds, whenever the new one comes.
def updates():
    fresh()
    type_keys("\n")
    page("navigator.serviceWorker.ready.then(() => true)")
    check("a new icon is a new build", deploy({"icon-192.png": lambda old: old + b"\0"}) != page("build"), True)
    deploy(marked(2))
    driver.find_element(By.ID, "again").click()
    type_keys("\n1\n", end=False)
    before = settled(f"{SCREEN}.endsWith('名字：')", True) and page(SCREEN)
    check("a playing page's fresh run is of its own build", page(BUILT), [None, None])
    deploy(marked(3))
    driver.refresh()
    settled(AWAITS, "word")
    check("a page loaded as a build is deployed is of one build", page(BUILT) in ([None, None], ["3", "3"]), True)
    check("and says when the new one is in", settled(f"{NOTICE_TEXT}.includes('新しい版')", True, 20), True)
    driver.refresh()
    check("a new page, the same run", (settled(BUILT, ["3", "3"]), settled(SCREEN, before)), (["3", "3"], before))
    forget_workers()
    deploy_on_request[:] = ["/kurenagi.js", marked(4)]
    driver.refresh()
    check("with no worker yet too", (settled(BUILT, ["4", "4"]), settled(SCREEN, before)), (["4", "4"], before))


# A page that cannot start says so, and keeps nothing typed on it: the run kept stays kept.
def broken_loads():
    fresh()
    type_keys("\n", end=False)
    forget_workers()
    kept = settled(f"{KEPT}.sent", ["\n"])

    def cannot_start(what):
        driver.refresh()
        type_keys("1\n", end=False)
        check(f"a page that cannot start says so: {what}", (settled(STATE, "broken"), page(DISABLED),
              page(f"{KEPT}.sent")), ("broken", [True, True], kept))
        driver.execute_script("sessionStorage.clear()")

    for name, damage in (("kurenagi.wasm", None), ("kurenagi.wasm", b"\0asm"), ("kurenagi.js", b"(")):
        whole = (site / name).read_bytes()
        (site / name).write_bytes(damage) if damage else (site / name).unlink()
        cannot_start(f"{name} {damage}")
        (site / name).write_bytes(whole)
    script = driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": "delete window.WebAssembly"})
    cannot_start("no WebAssembly")
    driver.execute_cdp_cmd("Page.removeScriptToEvaluateOnNewDocument", script)
    forget_workers()  # nor any answer of the broken site
    driver.get(pathlib.Path(site / "index.html").as_uri())
    check("opened as a file, the page says how to serve it", settled(f"{NOTICE_TEXT}.includes('python3 -m http.server')",
                                                                      True), True)


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
AWAITS = "document.body.dataset.awaits"
BUILT = "[document.body.dataset.page, document.body.dataset.game]"
DISABLED = "['keys', 'next'].map((id) => document.getElementById(id).disabled)"
NOTICE_TEXT = "document.getElementById('notice').textContent"
# The story's last line lies in the visible part of the story, on the visible part of the page.
LAST_IN_VIEW = """(() => { const s = document.getElementById('screen'), r = document.createRange();
    r.selectNodeContents(s.lastChild); const line = [...r.getClientRects()].at(-1), box = s.getBoundingClientRect();
    return line.top >= box.top - 1 && line.bottom <= box.bottom + 1 && box.bottom <= visualViewport.height + 1 })()"""
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
deploy_on_request = []  # a path, and the changes deployed just before it is served


def serve(handler, deploying=threading.Lock()):
    with deploying:
        if deploy_on_request and handler.path.startswith(deploy_on_request[0]):
            deploy(deploy_on_request.pop())
            deploy_on_request.clear()
    base.do_GET(handler)


quiet = type("Quiet", (base,), {"log_message": lambda *args: None, "do_GET": serve, "end_headers": lambda self: (
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
        phone()
        gestures()
        keys_focus_and_end()
        long_resume()
        two_tabs()
        full_storage()
        broken_loads()
        updates()
        resume_and_offline()
finally:
    driver.quit()
print(f"page: {len(failures)} failed" if failures else "page: every check passed")
sys.exit(1 if failures else 0)
