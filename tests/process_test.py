#!/usr/bin/python3
# The built game as its own process: on pipes that are slow or fail, as a script or another
# program may give it (tests/replay.sh plays the recorded cases through plain pipes), and on
# pseudo-terminals, as a player meets it, in every locale. The paths come from ctest:
# KURENAGI_GAME, KURENAGI_CASES (the recorded playthroughs in code page 932), and, for the test
# of its own that plays only in it, KURENAGI_LOCALES (where localedef made an EUC-JP locale);
# .ci/windows names KURENAGI_WINDOWS_GAME for the Wine test.
# What a build machine may lack (a pseudo-terminal, the EUC-JP locale) is skipped, and the run
# then ends with status 77, which ctest reports as skipped.
import contextlib
import fcntl
import os
import pty
import re
import resource
import select
import shutil
import signal
import struct
import subprocess
import sys
import termios
import time
import tty
import unittest

GAME, CASES = os.environ["KURENAGI_GAME"], os.environ["KURENAGI_CASES"]
SANITIZED = os.environ.get("KURENAGI_SANITIZED") == "ON"
LOCALE_VARIABLES = ("LC_ALL", "LC_CTYPE", "LANG", "LANGUAGE", "LOCPATH")
LOCALES = os.environ.get("KURENAGI_LOCALES")
EUC_JP = [f"LOCPATH={LOCALES}", "LANG=ja_JP.EUC-JP"]
LACKING = []


def lacking(what):
    LACKING.append(what)
    raise unittest.SkipTest(f"skipped: this machine has no {what}")


def made_locale():
    if not os.path.isdir(f"{LOCALES}/ja_JP.EUC-JP"):
        lacking("EUC-JP locale (made by localedef)")


def environment(*settings):
    env = {name: value for name, value in os.environ.items() if name not in LOCALE_VARIABLES}
    return env | dict(setting.split("=", 1) for setting in settings)


# The rows of a table in the EUC-JP locale that localedef made, where KURENAGI_LOCALES says
# where it is, and the others everywhere else.
def rows(table):
    return [row for row in table if (EUC_JP in row) == bool(LOCALES)]


def recorded(name):
    with open(f"{CASES}/{name}.keys", "rb") as keys, open(f"{CASES}/{name}.screen", "rb") as screen:
        return keys.read(), screen.read()


def run(keys, settings=("LC_ALL=C",), args=(GAME,), **streams):
    return subprocess.run(args, input=keys, capture_output=not streams, env=environment(*settings),
                          **streams)


def child_seconds():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


def nonblocking():
    for fd in (0, 1):
        fcntl.fcntl(fd, fcntl.F_SETFL, fcntl.fcntl(fd, fcntl.F_GETFL) | os.O_NONBLOCK)


class Pipes(unittest.TestCase):
    def test_non_blocking_pipes_are_waited_on_without_losing_anything(self):
        # Keys that come late, then refused answers at the first move menu: megabytes of
        # screen that nobody reads for a while.
        keys = "\n1\n山田 太郎\n1\n私\n1\n".encode("cp932") + b"\n" * 7 + b"1\n" * 16000
        before = child_seconds()
        game = subprocess.Popen([GAME], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE, preexec_fn=nonblocking)
        shown = os.read(game.stdout.fileno(), 1 << 16)
        time.sleep(1)
        game.stdin.write(keys)  # all the keys fit in the pipe
        game.stdin.close()
        time.sleep(1)
        shown, errors = shown + game.stdout.read(), game.stderr.read()
        game.wait()
        waited = child_seconds() - before
        at_once = run(keys)
        # It slept while it waited: hardly more work than with every key there from the start.
        # (A busy wait would burn the two seconds it waited; half a second leaves room for a
        # busy machine and the sanitizers.)
        self.assertLess(waited - (child_seconds() - before - waited), 0.5)
        self.assertGreater(len(shown), 3_000_000)
        self.assertEqual((game.returncode, shown, errors), (0, at_once.stdout, b""))

    # A wait that could not be made was once tried again at once, at full CPU, for ever.
    @unittest.skipIf(SANITIZED, "the sanitizers' own checks need descriptors")
    def test_a_wait_that_fails_is_a_failure_not_a_spin(self):
        reader, writer = os.pipe()
        game = subprocess.Popen([GAME], stdin=reader, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                preexec_fn=nonblocking)
        os.read(game.stdout.fileno(), 1 << 16)  # the notice: the game waits in poll now
        resource.prlimit(game.pid, resource.RLIMIT_NOFILE, (0, 0))  # no poll can be made now
        os.write(writer, b"\n")
        self.assertEqual(game.wait(timeout=10), 1)
        self.assertEqual(game.stderr.read(), b"kurenagi: cannot read standard input: Invalid argument\n")
        os.close(reader)
        os.close(writer)

    # Memory that ran out once ended in std::terminate (status 134). Every address-space limit
    # from the smallest the game loads in upwards: it plays, or says why not.
    @unittest.skipIf(SANITIZED, "the sanitizers need the address space")
    def test_out_of_memory_is_said(self):
        keys, _ = recorded("full-playthrough")
        said, played = set(), 0
        for limit in range(2 << 20, 64 << 20, 64 << 10):
            def limited():
                resource.setrlimit(resource.RLIMIT_AS, (limit, limit))
            game = run(keys, preexec_fn=limited, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
            if game.returncode != 127:  # 127: the loader could not even map the C library
                said.add((game.returncode, game.stderr))
            played = played + 1 if game.returncode == 0 else 0
            if played == 8:  # enough memory from here on
                break
        self.assertIn((1, b"kurenagi: out of memory\n"), said)
        self.assertLessEqual(said, {(0, b""), (1, b"kurenagi: out of memory\n")})

    # Once they started the game, which then waited for keys; a command line it cannot take
    # plays nothing and says so on standard error, with status 2.
    def test_command_lines_answer_without_reading_a_key(self):
        version = f"kurenagi {os.environ['KURENAGI_VERSION']}\n"
        try_en, try_ja = "Try 'kurenagi --help' for more information.\n", "詳しくは 'kurenagi --help' を実行してください。\n"
        reader, writer = os.pipe()  # keys that never come
        for arguments, settings, status, first, errors in (
                (["x", "--vers", "--help"], "LANG=ja_JP.UTF-8", 0, version + "Copyright", ""),
                (["-V"], "LC_ALL=C", 0, version + "Copyright", ""),
                (["-hx", "--version"], "LC_ALL=C", 0, "Usage: kurenagi", ""),
                (["--h"], "LC_MESSAGES=ja_JP.UTF-8", 0, "使い方：kurenagi", ""),
                (["--help"], "LC_CTYPE=ja_JP.UTF-8", 0, "Usage: kurenagi", ""),
                (["--help"], "LANG=ja_JP.eucJP", 0, "使い方：kurenagi".encode("euc-jp").decode("latin-1"), ""),
                (["-h"], "LANG=ja", 0, "使い方：kurenagi", ""),
                (["--foo", "--help"], "LC_ALL=C", 2, "", "kurenagi: unrecognized option '--foo'\n" + try_en),
                (["-xh"], "LC_ALL=C", 2, "", "kurenagi: invalid option -- 'x'\n" + try_en),
                (["--vers=1"], "LC_ALL=C", 2, "", "kurenagi: option '--version' doesn't allow an argument\n" + try_en),
                (["story.txt", "--", "-h"], "LC_ALL=C", 2, "", "kurenagi: extra operand 'story.txt'\n" + try_en),
                (["--", "-"], "LANG=ja_JP.UTF-8", 2, "", "kurenagi: 余分な引数 '-' があります\n" + try_ja),
                (["\x1b]0;物\a"], "LANG=ja_JP.UTF-8", 2, "", "kurenagi: 余分な引数 '?]0;????' があります\n" + try_ja)):
            game = run(None, (settings,), args=[GAME, *arguments], stdin=reader,
                       stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=10)
            shown = game.stdout.decode("latin-1" if "euc" in settings else "utf-8")
            self.assertEqual((game.returncode, game.stderr.decode(), shown[:len(first) or None]),
                             (status, errors, first))
        os.close(reader)
        os.close(writer)
        with open("/dev/full", "wb") as full:
            game = run(None, args=[GAME, "--version"], stdout=full, stderr=subprocess.PIPE)
        self.assertEqual((game.returncode, game.stderr),
                         (1, b"kurenagi: cannot write to standard output: No space left on device\n"))

    def test_failures_are_never_a_success(self):
        keys, _ = recorded("full-playthrough")
        with open("/dev/full", "wb") as full:
            game = run(keys, stdout=full, stderr=subprocess.PIPE)
        self.assertEqual((game.returncode, game.stderr),
                         (1, b"kurenagi: cannot write to standard output: No space left on device\n"))
        reader, writer = os.pipe()
        os.close(reader)
        self.assertEqual(run(keys, stdout=writer).returncode, -13)  # SIGPIPE
        os.close(writer)
        directory = os.open(".", os.O_RDONLY)
        game = run(None, stdin=directory, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        os.close(directory)
        self.assertEqual((game.returncode, game.stdout, game.stderr),
                         (1, recorded("no-input")[1],
                          b"kurenagi: cannot read standard input: Is a directory\n"))


# What a shell shows once the game is over: whatever the terminal still held for it, and
# whether the terminal is in the mode the shell left it in.
SHELL = "shell read: "


# The shell of a Player: runs the game as a job in the foreground of its own, says when it
# stops and in which mode it left the terminal, and puts it in the foreground again on "fg".
def shell(command, settings, screen):
    own = termios.tcgetattr(0)
    signal.signal(signal.SIGTTOU, signal.SIG_IGN)  # a shell takes the terminal back at will
    game = os.fork()
    if game == 0:
        os.setpgid(0, 0)
        os.tcsetpgrp(0, os.getpid())
        signal.signal(signal.SIGTTOU, signal.SIG_DFL)
        play(command, settings, screen)
    os.write(1, f"shell: game {game}\r\n".encode())
    mode = "gone"
    while True:
        status = os.waitpid(game, os.WUNTRACED)[1]
        try:
            os.tcsetpgrp(0, os.getpgrp())
            mode = "kept" if termios.tcgetattr(0) == own else "changed"
        except OSError:
            break  # the terminal is gone
        if not os.WIFSTOPPED(status):
            break
        os.write(1, f"shell: stopped, mode {mode}\r\n".encode())  # where the cursor is, as bash
        os.read(0, 100)  # "fg"
        os.tcsetpgrp(0, game)
        os.kill(game, signal.SIGCONT)
    with contextlib.suppress(OSError):  # the terminal may be gone
        held = os.read(0, 4096) if select.select([0], [], [], 0.5)[0] else b""
        os.write(1, f"{SHELL}{held!r}\nshell: mode {mode}\n".encode())
    os._exit(os.waitstatus_to_exitcode(status) & 0xFF)


def play(command, settings, screen):
    if screen is not None:
        os.dup2(screen, 1)
    os.execve(command[0], command, environment(*settings))


# A player at a pseudo-terminal of `columns`, looking for texts as they appear. The game is
# started by a shell, or, with first=True, as the first process of its terminal, as a terminal
# window or a desktop entry starts it. `off` takes local modes (ECHO, ICANON) off the terminal,
# `ignored` signals are ignored as nohup or a shell's background job has them, keys `typed_ahead`
# wait in the terminal before the game starts, and a terminal opened `nameless` (os.O_RDONLY,
# os.O_RDWR) is one whose device the game cannot find by name, as in a chroot without /dev/pts.
class Player:
    def __init__(self, command, settings, raw=False, ignored=(), first=False, screen=None,
                 columns=80, off=0, typed_ahead="", nameless=None):
        self.pid, self.fd = pty.fork()
        if self.pid == 0:
            fcntl.ioctl(0, termios.TIOCSWINSZ, struct.pack("HHHH", 24, columns, 0, 0))
            if raw:
                tty.setraw(0)  # no echo, no line editing: Enter arrives as CR
            mode = termios.tcgetattr(0)
            termios.tcsetattr(0, termios.TCSANOW, mode[:3] + [mode[3] & ~off] + mode[4:])
            for number in (signal.SIGPIPE, signal.SIGXFSZ):  # as a shell starts programs, not Python
                signal.signal(number, signal.SIG_DFL)
            for number in ignored:
                signal.signal(number, signal.SIG_IGN)
            if typed_ahead:
                select.select([0], [], [], 5)
            if nameless is not None:
                os.dup2(os.open(os.ttyname(0), nameless), 0)
                command = [*NAMELESS, *command]
            (play if first else shell)(command, settings, screen)
        self.screen, self.seen = b"", 0
        self.type(typed_ahead)

    # The game's process, as its shell tells it.
    def game(self):
        return int(re.search(rb"shell: game (\d+)", self.screen)[1])

    def sees(self, text, codeset="utf-8"):
        wanted = text.encode(codeset)
        while (at := self.screen.find(wanted, self.seen)) < 0:
            if not select.select([self.fd], [], [], 5)[0]:
                return False
            try:
                self.screen += os.read(self.fd, 4096)
            except OSError:
                return False
        self.seen = at + len(wanted)
        return True

    # Everything shown so far.
    def drain(self, quiet=0.3):
        while select.select([self.fd], [], [], quiet)[0]:
            self.screen += os.read(self.fd, 4096)

    def running(self):
        time.sleep(0.3)
        return os.waitid(os.P_PID, self.pid, os.WEXITED | os.WNOHANG | os.WNOWAIT) is None

    def type(self, text, codeset="utf-8"):
        os.write(self.fd, text.encode(codeset))

    # Reads the screen to its end, then waits for the exit status: a game that still waits
    # runs into the test's time limit.
    def exit_status(self):
        try:
            while select.select([self.fd], [], [], 5)[0] and os.read(self.fd, 4096):
                pass
        except OSError:
            pass  # the game has closed the terminal
        os.close(self.fd)
        return os.waitstatus_to_exitcode(os.waitpid(self.pid, 0)[1])


class PseudoTerminal(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        try:
            for fd in os.openpty():
                os.close(fd)
        except OSError:
            lacking("pseudo-terminal")

    def test_every_locale_gets_readable_japanese(self):
        for settings, codeset in rows([
                (["LC_ALL=C.UTF-8"], "utf-8"),
                (["LANG=xx_XX.UTF-8"], "utf-8"),  # named, but installed nowhere
                (["LANG=xx_XX"], "utf-8"),  # neither installed nor naming its codeset
                (["LANG=C.ASCII//IGNORE"], "utf-8"),  # once a fault before the first screen
                # Codesets whose line feed, space or digits are not ASCII's, and a name of none.
                (["LANG=xx_XX.UTF-16"], "utf-8"), (["LANG=xx_XX.IBM037"], "utf-8"),
                (["LANG=xx_XX.UTF-7"], "utf-8"), (["LANG= "], "utf-8"),
                ([], "utf-8"),
                (EUC_JP, "euc-jp"),
                (["LANG=ja_JP.SJIS"], "cp932")]):
            if settings == EUC_JP:
                made_locale()
            player = Player([GAME], settings)
            self.assertTrue(player.sees("選択肢入力の際は半角英数でお願いいたします", codeset), settings)
            # Nine bytes of code page 932, 13 of UTF-8: a name the story keeps whole.
            player.type("\n1\nあいうえa 太郎\n", codeset)
            self.assertTrue(player.sees("あいうえa 太郎 であっていますか？", codeset), settings)
            os.kill(player.pid, 9)
            player.exit_status()

    # The hidden scene's last line has no line feed: the shell's prompt once landed on it.
    LAST_LINE = "「せっかく来たんだ、見ていってくれよ」"
    WINDOW = "物語はここで終わりました。Enter キーでウィンドウを閉じます。"

    def test_a_window_of_its_own_stays_until_enter(self):
        # An Enter typed ahead of the story's end is thrown away, not taken for the window's.
        for keys, last in (("\n58203\n\n\n\n", self.LAST_LINE + "\r\n"), ("x\n", "x\r\n")):
            player = Player([GAME], ["LC_ALL=C.UTF-8"], first=True)
            self.assertTrue(player.sees("お願いいたします"))
            player.type(keys)
            self.assertTrue(player.sees(f"{last}\r\n{self.WINDOW}"), keys)
            self.assertTrue(player.running())
            player.type("\n")
            self.assertEqual(player.exit_status(), 0)
        player = Player([GAME], ["LC_ALL=C.UTF-8"], first=True)
        player.type("\n\x04")  # the end of the input at the title menu
        self.assertTrue(player.sees(f"選択肢を入力してください：\r\n\r\n{self.WINDOW}"))
        self.assertTrue(player.running())
        player.type("\x04")
        self.assertEqual(player.exit_status(), 0)
        player = Player([GAME, "--foo"], ["LANG=ja_JP.UTF-8"], first=True)  # a file dropped on it
        self.assertTrue(player.sees("ありません\r\n詳しくは 'kurenagi --help' を実行してください。\r\n"
                                    "\r\nEnter キーでウィンドウを閉じます。"))
        self.assertTrue(player.running())
        player.type("\n")
        self.assertEqual(player.exit_status(), 2)

    # Lines typed ahead once ran in the shell as commands, with the story on the terminal or
    # going into a pipe.
    def test_from_a_shell_the_story_ends_on_a_line_of_its_own_and_keeps_its_keys(self):
        reader, writer = os.pipe()
        for screen, last in ((None, f"{self.LAST_LINE}\r\n"), (writer, "")):
            player = Player([GAME], ["LC_ALL=C.UTF-8"], screen=screen)
            player.type("\n58203\n\n\nsecond\nthird\n")
            self.assertTrue(player.sees(f"{last}{SHELL}b''"), screen)
        os.close(reader)
        os.close(writer)
        # Ctrl-D at the title menu, and at a gate in the story: the run ends without another wait;
        # so does "x" handed over by Ctrl-D before the game took the terminal, at the first gate.
        for keys, last, ahead in (("\n\x04", "選択肢を入力してください：", ""),
                                  ("\n1\nA B\n1\nC\n1\n\x04", "", ""), ("", "", "x\x04")):
            player = Player([GAME], ["LC_ALL=C.UTF-8"], typed_ahead=ahead)
            player.type(keys)
            self.assertTrue(player.sees(f"{last}\r\n{SHELL}b''"), keys)
            self.assertEqual(player.exit_status(), 0)

    # Keys from a pipe, the story on a terminal: the last line is still ended for the shell.
    def test_keys_from_a_pipe_end_on_a_line_of_their_own(self):
        primary, secondary = os.openpty()
        run(b"\n58203\n\n\n", ("LC_ALL=C.UTF-8",), stdout=secondary, stderr=secondary)
        os.close(secondary)
        screen = b""
        with contextlib.suppress(OSError):  # the terminal reads as ended once it is empty
            while chunk := os.read(primary, 4096):
                screen += chunk
        os.close(primary)
        self.assertTrue(screen.endswith(f"{self.LAST_LINE}\r\n".encode()), screen[-80:])

    # At a menu, and at a name prompt, where the story still writes after the input ends.
    def test_a_hung_up_terminal_ends_the_input(self):
        for keys, prompt in (("\n", "選択肢を入力してください："), ("\n1\n", "名字：")):
            player = Player([GAME], ["LC_ALL=C.UTF-8"], ignored=[signal.SIGHUP])
            player.type(keys)
            self.assertTrue(player.sees(prompt))
            os.close(player.fd)  # the terminal window is closed; the game reads EIO
            player.fd = os.open("/dev/null", os.O_RDONLY)
            self.assertEqual(player.exit_status(), 0, prompt)

    # Typed at a UTF-8 terminal, the name reaches a piped story in code page 932, counted there.
    def test_keys_at_a_terminal_are_converted_for_a_piped_story(self):
        reader, writer = os.pipe()
        player = Player([GAME], ["LC_ALL=C.UTF-8"], screen=writer)
        os.close(writer)
        player.type("\n1\nあいうえa 太郎\n")
        wanted, story = "あいうえa 太郎 であっていますか？".encode("cp932"), b""
        while wanted not in story and select.select([reader], [], [], 5)[0]:
            story += os.read(reader, 4096)
        self.assertIn(wanted, story)
        player.type("\x04")
        self.assertEqual(player.exit_status(), 0)

    # Piped in, a name holding controls is repeated with "?" for them at a terminal, which would
    # obey them, and as it was typed into a pipe or a file.
    def test_controls_in_piped_names_are_never_obeyed_by_a_screen(self):
        keys, confirmed = b"\n1\n\x1b[2J\x1b]0;\a \x7f\n", " であっていますか？".encode("cp932")
        master, screen = os.openpty()
        self.assertEqual(run(keys, stdout=screen, stderr=screen).returncode, 0)
        os.close(screen)
        shown = b""
        with contextlib.suppress(OSError):
            while select.select([master], [], [], 1)[0]:
                shown += os.read(master, 65536)
        self.assertIn("?[2J?]0;? ? であっていますか？".encode(), shown)
        self.assertIn(b"\x1b[2J\x1b]0;\a \x7f" + confirmed, run(keys).stdout)


UTF8 = ["LC_ALL=C.UTF-8"]
SJIS = ["LANG=ja_JP.SJIS"]  # installed nowhere: the name tells, and the story's bytes go as they are
LEFT, HOME, END, DELETE = "\x1b[D", "\x1b[H", "\x1bOF", "\x1b[3~"
# In a mount namespace of its own, /dev/pts is empty: the terminal has no name there.
NAMELESS = ["/usr/bin/unshare", "--mount", "--map-root-user", "sh", "-c",
            'mount -t tmpfs none /dev/pts && exec "$0"']
EDIT_NOTHING = "\x1b[A\x1b[B\x1b[5~\x1b[6~\x1b[2~\x1b[15~\x1bOP\x1b[1;5A\x1bx\x07\x0b"


# Lines typed at a terminal in its cooked mode are edited as the story's own console edits
# them, whatever the terminal's codeset; the screen is read as a terminal emulator shows it.
class LineEditing(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        PseudoTerminal.setUpClass()
        try:
            global pyte
            import pyte
        except ImportError:
            lacking("terminal emulator for Python (Debian: python3-pyte)")

    # What, the locale, its codeset, the screen's width, what is typed at the family name's
    # prompt (each a write of its own, and a pause that outlasts an Esc's wait unless a pair
    # says how long; a number resizes the window to that many columns), the
    # prompt's rows as shown then, the confirmation, and how the player's terminal is set up.
    EDITS = [
        ("Backspace takes a wide character off the line and off the screen", UTF8, "utf-8", 80,
         ["山田川", "\x7f", "谷\n太郎\n"], ["名字：山田谷"], "山田谷 太郎"),
        ("in EUC-JP, both of its bytes", EUC_JP, "euc-jp", 80,
         ["佐藤井", "\x7f", "木\n太郎\n"], ["名字：佐藤木"], "佐藤木 太郎"),
        ("in Shift_JIS, both of its bytes", SJIS, "cp932", 80,
         ["佐藤井", "\x7f", "木\n太郎\n"], ["名字：佐藤木"], "佐藤木 太郎"),
        ("a line wider than the screen wraps, and is edited across the wrap", UTF8, "utf-8", 20,
         ["あいうえおかきくけこ", "\x7f" * 7, "\n", "太郎\n"], ["名字：あいう", ""], "あいう 太郎"),
        ("a wide character that does not fit goes to the next row", UTF8, "utf-8", 19,
         ["あいうえおかき", "く", LEFT + LEFT + "x", "\x7f\n", "a\n"], ["名字：あいうえおか", "きく"],
         " a"),
        ("with echo off, nothing is echoed", UTF8, "utf-8", 80, ["山田\n", "太郎\n"], ["名字："],
         "山田 太郎", {"off": termios.ECHO}),
        ("a terminal the game cannot name is echoed to through its keyboard", UTF8, "utf-8", 80,
         ["山田\n", "太郎\n"], ["名字：山田"], "山田 太郎", {"nameless": os.O_RDWR}),
        ("or nowhere, where that reads only", UTF8, "utf-8", 80, ["山田\n", "太郎\n"], ["名字："],
         "山田 太郎", {"nameless": os.O_RDONLY}),
        ("a terminal out of canonical mode is left to itself", UTF8, "utf-8", 80,
         ["ab\x7fc\n", "太郎\n"], ["名字：ab^?c^J"], "ab?c 太郎", {"off": termios.ICANON}),
        ("a wider window lays the line out again", UTF8, "utf-8", 10, ["あいうえ", 30, "\n太郎\n"],
         ["名字：あいうえ"], "あいうえ 太郎"),
        ("an ignored Ctrl-C stays ignored", UTF8, "utf-8", 80, ["山田", "\x03", "川\n太郎\n"],
         ["名字：山田川"], "山田川 太郎", {"ignored": [signal.SIGINT]}),
    ]
    # The keys of a console and of a shell's line editor, and what is no key.
    KEYS = [
        ("arrows, Home, End and Delete move and edit within the line", UTF8, "utf-8", 80,
         ["太郎", LEFT, "次", HOME, "X", END, "Y", HOME + DELETE, "\n花\n"], ["名字：太次郎Y"],
         "太次郎Y 花"),
        ("keys that edit nothing are consumed whole, and Esc alone clears the line", UTF8, "utf-8",
         80, ["ab", EDIT_NOTHING, "\x1b", "c\n太郎\n"], ["名字：c"], "c 太郎"),
        ("an arrow cut after its Esc is still an arrow", UTF8, "utf-8", 80,
         ["ab", ("\x1b", 0.02), "[Dc\n太郎\n"], ["名字：acb"], "acb 太郎"),
        ("only what the story can hold, in its form, a kana and its mark as one", UTF8, "utf-8", 80,
         ["山😀田", "か\u3099〜\n", "太郎\n"], ["名字：山田が～"], "山田が～ 太郎"),
        ("Ctrl-W, Alt-Backspace, Ctrl-Left, Alt-B, Ctrl-Right, Alt-Left and Alt-F", UTF8, "utf-8", 80,
         ["ab cd ef", "\x17", "\x1b\x7f", "zz", "\x1b[1;5D", "y", "\x1bb", "x", "\x1b[1;5C", "1",
          "\x1b[1;3D", "\x1bf", "2\n"], ["名字：ab xyzz12"], "ab xyzz12"),
        ("Up brings the names given before back, Down the line being typed", UTF8, "utf-8", 80,
         ["山田 太郎\n", "2\n", "花\x1b[A", "\x1b[B", "\x1b[A", "\x1b[A", "\n"], ["名字：山田 太郎"], "山田 太郎"),
        ("a terminal's answers, split across reads, never reach the line", UTF8, "utf-8", 80,
         ["ab", ("\x1b]11;rgb:0/0/0", 0.02), "\x07c", ("\x1b[", 0.02), "M !", "!d\n", "太郎\n"], ["名字：abcd"],
         "abcd 太郎"),
    ]

    def test_edits_show_as_a_console_shows_them(self):
        self.edits(self.EDITS)

    def test_keys_edit_as_a_console_and_a_shell_edit(self):
        self.edits(self.KEYS)

    def edits(self, table):
        for what, settings, codeset, columns, writes, prompt, confirmation, *terminal in rows(table):
            with self.subTest(what):
                if settings == EUC_JP:
                    made_locale()
                if "nameless" in (terminal or [{}])[0] and run([], args=NAMELESS + ["true"]).returncode:
                    lacking("mount namespace of its own (unshare)")
                player = Player([GAME], settings, columns=columns, **(terminal or [{}])[0])
                self.assertTrue(player.sees("お願いいたします", codeset))
                player.type("\n1\n")
                self.assertTrue(player.sees("名字：", codeset))
                widths = [(0, columns)]  # from which byte of the screen on, how wide it is
                for keys in writes:
                    keys, pause = keys if isinstance(keys, tuple) else (keys, 0.2)
                    if isinstance(keys, int):
                        player.drain()
                        widths.append((len(player.screen), keys))
                        fcntl.ioctl(player.fd, termios.TIOCSWINSZ, struct.pack("HHHH", 24, keys, 0, 0))
                    else:
                        player.type(keys, codeset)
                    time.sleep(pause)
                self.assertTrue(player.sees(f"{confirmation} であっていますか？", codeset))
                screen = pyte.Screen(columns, 200)
                for (start, width), (end, _) in zip(widths, widths[1:] + [(None, 0)]):
                    screen.resize(200, width)  # the rows are cut, not wrapped again
                    pyte.Stream(screen).feed(player.screen[start:end].decode(codeset, "replace"))
                shown = [row.rstrip() for row in screen.display]
                at = max(n for n, row in enumerate(shown) if row.startswith("名字："))
                self.assertEqual(shown[at:at + len(prompt)], prompt)
                os.kill(player.game(), signal.SIGKILL)
                player.exit_status()

    # Ctrl-C and a SIGTERM end the game as they would have, with the terminal given back;
    # Ctrl-Z gives it back too, and after fg the line being typed is drawn again and kept.
    def test_the_terminal_is_given_back_in_its_own_mode(self):
        def at_the_family_name(idle=False):
            player = Player([GAME], UTF8)
            self.assertTrue(player.sees("お願いいたします"))
            player.type("\n1\n")
            self.assertTrue(player.sees("名字："))
            player.type("山田")
            self.assertTrue(player.sees("山田"))
            if idle:  # a wait for keys costs no work: the game sleeps in poll
                time.sleep(1)
                ticks = open(f"/proc/{player.game()}/stat").read().rsplit(")", 1)[1].split()[11:13]
                self.assertLess(sum(map(int, ticks)), os.sysconf("SC_CLK_TCK") // 2)
            return player

        # Every signal that ends the game (the sanitizers keep the faults' for themselves).
        faults = {signal.SIGSEGV, signal.SIGBUS, signal.SIGFPE} if SANITIZED else set()
        for end in ("\x03", "\x1c", *{signal.SIGHUP, signal.SIGILL, signal.SIGTRAP, signal.SIGABRT,
                                       signal.SIGBUS, signal.SIGFPE, signal.SIGSEGV, signal.SIGPIPE,
                                       signal.SIGALRM, signal.SIGTERM, signal.SIGUSR1, signal.SIGUSR2,
                                       signal.SIGXCPU, signal.SIGXFSZ, signal.SIGVTALRM, signal.SIGPROF,
                                       signal.SIGSYS} - faults):
            player = at_the_family_name(idle=end == "\x03")
            player.type(end) if isinstance(end, str) else os.kill(player.game(), end)
            self.assertTrue(player.sees("shell: mode kept"), end)
            player.exit_status()
        # Stopped, the line stays whole above the shell's notice; narrower meanwhile, the line is
        # drawn again below what the shell wrote, at the new width.
        player = at_the_family_name()
        player.type("\x1a")
        self.assertTrue(player.sees("shell: stopped, mode kept"))
        player.drain()
        stopped = len(player.screen)
        fcntl.ioctl(player.fd, termios.TIOCSWINSZ, struct.pack("HHHH", 24, 8, 0, 0))
        player.type("fg\n")
        self.assertTrue(player.sees("名字：山"))
        player.type("\x7f川")
        self.assertTrue(player.sees("川"))
        screen = pyte.Screen(80, 24)
        stream = pyte.Stream(screen)
        stream.feed(player.screen[:stopped].decode())
        screen.resize(24, 8)  # the rows are cut, not wrapped again
        stream.feed(player.screen[stopped:].decode())
        shown = [row.rstrip() for row in screen.display if row.strip()]
        self.assertEqual(shown[-5:], ["名字：山", "shell: s", "fg", "名字：山", "川"])
        fcntl.ioctl(player.fd, termios.TIOCSWINSZ, struct.pack("HHHH", 24, 9, 0, 0))  # a resize is no fg again
        player.drain(quiet=0.6)
        self.assertEqual(player.screen.count("名字：".encode()), 3)
        player.type("\n太郎\n")
        self.assertTrue(player.sees("山川 太郎 であっていますか？"))
        os.kill(player.game(), signal.SIGKILL)
        player.exit_status()


# At tmux, which wraps its lines again when its window is resized, as most of today's terminals
# do, and answers where its cursor is: a resize at a beat, at a menu and at a name, narrower or
# wider, keeps every line the story wrote, and the line being typed goes on where it was. The
# lines as tmux joins them again must be those of a window that had the new size all along.
class Rewrapping(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        PseudoTerminal.setUpClass()
        if not shutil.which("tmux"):
            lacking("tmux (Debian: tmux)")

    def tmux(self, *arguments):
        return subprocess.run(["tmux", "-L", self.server, "-f", "/dev/null", *arguments],
                              capture_output=True, check=True).stdout.decode()

    def lines(self, keys, width, to=None):
        self.server = f"kurenagi-{os.getpid()}-{time.monotonic_ns()}"  # a server of its own each
        self.tmux("new-session", "-d", "-x", str(width), "-y", "12", "env", "LC_ALL=C.UTF-8", GAME)
        try:
            for _ in range(50):  # keys typed before the game took the terminal would echo early
                if "お願いいたします" in self.tmux("capture-pane", "-p", "-J"):
                    break
                time.sleep(0.1)
            for key in keys:
                self.tmux("send-keys", *(["Enter"] if key == "\n" else ["-l", key]))
                time.sleep(0.2)
            if to is not None:
                self.tmux("resize-window", "-x", str(to))
                time.sleep(0.6)
            self.tmux("send-keys", "-l", "x")
            time.sleep(0.3)
            return [line.rstrip() for line in self.tmux("capture-pane", "-p", "-J", "-S", "-").splitlines()
                    if line.strip()]
        finally:
            self.tmux("kill-server")

    def test_a_resize_keeps_every_line_the_story_wrote(self):
        names = ["\n", "1", "\n", "ab cd", "\n"]  # at the menu of whether they are right
        for keys, width, to in (([], 30, 12), (names, 12, 30), (["\n"], 30, 9),
                                (["\n", "1", "\n", "あいうえおかきくけこさし"], 20, 80),
                                (["\n", "1", "\n", "あいうえおかきくけこさし"], 20, 9)):
            with self.subTest(keys=keys, width=width, to=to):
                self.assertEqual(self.lines(keys, width, to), self.lines(keys, to))


# The Windows program in Wine's console: the console's code page is not 932, yet the story
# reads right and a Japanese name typed there reaches the story whole. Wine's console echoes
# typed lines itself and wants the terminal raw.
@unittest.skipUnless("KURENAGI_WINDOWS_GAME" in os.environ, "no KURENAGI_WINDOWS_GAME to play")
class WineConsole(unittest.TestCase):
    def test_shows_japanese_and_takes_a_japanese_name(self):
        player = Player(["/usr/lib/wine/wine64", os.environ["KURENAGI_WINDOWS_GAME"]],
                        ["LANG=C.UTF-8"], raw=True)
        self.assertTrue(player.sees("選択肢入力の際は半角英数でお願いいたします"))
        player.type("\r1\r")
        self.assertTrue(player.sees("名字："))
        player.type("山田 太郎\r")
        self.assertTrue(player.sees("山田 太郎 であっていますか？"))
        os.kill(player.pid, 9)

    # Explorer starts the game in a console of its own, which closes with it; cmd shares its
    # console with the game.
    def test_a_console_of_its_own_stays_until_enter(self):
        game = ["/usr/lib/wine/wine64", os.environ["KURENAGI_WINDOWS_GAME"]]
        for command, alone in ((game, True), (game[:1] + ["cmd", "/c"] + game[1:], False)):
            player = Player(command, ["LANG=C.UTF-8"], raw=True, first=True)
            self.assertTrue(player.sees("お願いいたします"))
            player.type("x\r")
            if alone:
                self.assertTrue(player.sees(PseudoTerminal.WINDOW))
                self.assertTrue(player.running())
                player.type("\r")
            self.assertEqual(player.exit_status(), 0)
            self.assertEqual(PseudoTerminal.WINDOW.encode() in player.screen, alone, command)


if __name__ == "__main__":
    result = unittest.main(verbosity=2, exit=False).result
    sys.exit(1 if not result.wasSuccessful() else 77 if LACKING else 0)
