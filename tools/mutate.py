#!/usr/bin/env python3
"""Mutation testing for Quorvin's product code; started by tools/mutate.sh.

Plants one plausible mistake at a time in daynote/, app/, afx/ and cli/,
rebuilds in a build folder of its own, and runs the tests that can see it.
A mutant that no test fails on survives. See tools/mutate.sh for usage.

    mutate.py restore                 puts back a file a killed run left mutated
    mutate.py needs-wine [OPTIONS]    prints "yes" if Windows-only files are chosen
    mutate.py run [OPTIONS] [GLOB...] lists (--list) or runs the mutants
"""
import argparse
import ctypes
import fnmatch
import glob
import hashlib
import json
import os
import random
import re
import signal
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
PRODUCT_GLOBS = [d + "/**/*" + e for d in ("daynote", "app", "afx", "cli") for e in (".cpp", ".h")]
BUILDS = {"native": "build/mutate-native", "win32": "build/mutate-win32"}
JOURNAL = os.path.join(ROOT, "build", "mutate-journal")
EQUIVALENT_LIST = os.path.join(ROOT, "tools", "mutants-equivalent.txt")
# Tests that check packaging or documentation, never the program's behaviour.
NOT_BEHAVIOUR = re.compile(r"^(debian_package|man_page_lint|icon_matches_its_source|windows_zip)$")


# ---------------------------------------------------------------- the source

def masked(text):
    """`text` with comments, the insides of string and character literals,
    preprocessor lines and static_asserts blanked out, offsets unchanged."""
    out = list(text)
    i, n = 0, len(text)
    line_start = True

    def blank(a, b):
        for k in range(a, b):
            if out[k] != "\n":
                out[k] = " "

    while i < n:
        c = text[i]
        if line_start and c == "#":
            j = i
            while j < n and (text[j] != "\n" or text[j - 1] == "\\"):
                j += 1
            blank(i, j)
            i = j
            continue
        if c == "\n":
            line_start = True
            i += 1
            continue
        if not c.isspace():
            line_start = False
        if text.startswith("//", i):
            j = text.find("\n", i)
            j = n if j < 0 else j
            blank(i, j)
            i = j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
            blank(i, j)
            i = j
        elif c == "R" and text.startswith('R"', i) and (i == 0 or not (text[i - 1].isalnum() or text[i - 1] == "_")):
            m = re.match(r'R"([^(\s]*)\(', text[i:])
            end = text.find(")" + m.group(1) + '"', i) if m else -1
            if end < 0:
                i += 1
                continue
            blank(i + 2, end + len(m.group(1)) + 1)
            i = end + len(m.group(1)) + 2
        elif c in "\"'":
            word = re.search(r"[\w']*$", text[max(0, i - 64):i]).group(0)
            if c == "'" and word[:1].isdigit():  # a digit separator, as in 1'000
                i += 1
                continue
            j = i + 1
            while j < n and text[j] != c and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            blank(i + 1, j)
            i = j + 1
        else:
            i += 1
    code = "".join(out)
    for m in re.finditer(r"\bstatic_assert\s*\(", code):
        end = matching(code, m.end() - 1)
        if end:
            blank(m.start(), end + 1)
    return "".join(out)


def matching(code, open_at):
    """The offset of the bracket that closes the one at `open_at`."""
    pairs = {"(": ")", "[": "]", "{": "}"}
    stack = []
    for k in range(open_at, len(code)):
        c = code[k]
        if c in pairs:
            stack.append(pairs[c])
        elif c in ")]}":
            if not stack or stack.pop() != c:
                return None
            if not stack:
                return k
    return None


def brace_kinds(code):
    """For each offset, whether it lies in a function body ("code"), a
    class or namespace ("scope"), a braced initialiser ("init") or at file
    level ("file")."""
    kinds = [None] * (len(code) + 1)
    stack = ["file"]
    last = 0
    for k, c in enumerate(code):
        if c == "{":
            kinds[last:k] = [stack[-1]] * (k - last)
            last = k
            head_start = max(code.rfind(";", 0, k), code.rfind("{", 0, k), code.rfind("}", 0, k)) + 1
            head = re.sub(r"^\s*(public|private|protected)\s*:", "", code[head_start:k]).strip()
            if re.match(r"(template\s*<[^{]*>\s*)?(class|struct|union|enum|namespace)\b", head) or head == "":
                kind = "scope" if head else stack[-1]
            elif re.search(r"(\)|\]|:|\b(const|override|noexcept|else|do|try|mutable|final))$", head):
                kind = "code"
            else:
                kind = "init"
            if kind == "scope" and stack[-1] == "code" and not head.startswith(("class", "struct", "union")):
                kind = "code"
            stack.append(kind)
        elif c == "}":
            kinds[last:k + 1] = [stack[-1]] * (k + 1 - last)
            last = k + 1
            if len(stack) > 1:
                stack.pop()
    kinds[last:] = [stack[-1]] * (len(kinds) - last)
    return kinds


class Mutant:
    def __init__(self, path, text, start, end, replacement, kind):
        self.path, self.start, self.end, self.replacement, self.kind = path, start, end, replacement, kind
        self.line = text.count("\n", 0, start) + 1
        first = text.rfind("\n", 0, start) + 1
        last = text.find("\n", end)
        last = len(text) if last < 0 else last
        mutated = text[first:start] + replacement + text[end:last]
        self.original = " ".join(text[first:last].split())
        self.mutated = " ".join(mutated.split())
        self.result = ""

    def label(self):
        return f"{self.path}:{self.line}: {self.kind}: {self.original} => {self.mutated}"

    def apply(self, text):
        return text[:self.start] + self.replacement + text[self.end:]


KEYWORDS = {"if", "for", "while", "switch", "catch", "return", "sizeof", "alignof", "decltype",
            "static_cast", "reinterpret_cast", "const_cast", "dynamic_cast", "noexcept", "throw",
            "defined", "operator", "alignas", "typeid", "new", "delete", "case", "template"}
TRIVIAL_RETURNS = {"{}", "0", "1", "true", "false", "TRUE", "FALSE", "nullptr", "std::nullopt", '""'}
RELATIONAL = {"==": ["!="], "!=": ["=="], "<": [">=", "<="], ">": ["<=", ">="],
              "<=": [">", "<"], ">=": ["<", ">"]}


def split_arguments(code, open_at, close_at):
    """The top-level arguments of a call as (start, end) offsets, trimmed."""
    spans, depth, begin = [], 0, open_at + 1
    for k in range(open_at + 1, close_at + 1):
        c = code[k]
        if c in "([{":
            depth += 1
        elif c in ")]}" and k < close_at:
            depth -= 1
        if (c == "," and depth == 0) or k == close_at:
            a, b = begin, k
            while a < b and code[a].isspace():
                a += 1
            while b > a and code[b - 1].isspace():
                b -= 1
            spans.append((a, b))
            begin = k + 1
    return spans


def open_parentheses(code):
    """For each offset, how many parentheses are open since the innermost
    open brace: a `;` inside a for statement's head starts no statement."""
    depths, stack, depth = [], [], 0
    for c in code:
        if c == "{":
            stack.append(depth)
            depth = 0
        elif c == "}":
            depth = stack.pop() if stack else 0
        elif c == "(":
            depth += 1
        elif c == ")":
            depth -= 1
        depths.append(depth)
    return depths + [depth]


def statement_starts(code, kinds):
    """Offsets in function bodies where a statement may begin."""
    depths = open_parentheses(code)
    for m in re.finditer(r"[;{}]|\belse\b|\)|:(?!:)", code):
        k = m.end()
        if kinds[k] != "code" or depths[k] != 0:
            continue
        token = m.group(0)
        if token == ")":
            depth, j = 0, k - 1
            while j >= 0:
                if code[j] == ")":
                    depth += 1
                elif code[j] == "(":
                    depth -= 1
                    if depth == 0:
                        break
                j -= 1
            if not re.search(r"\b(if|for|while)\s*$", code[:j]):
                continue
        if token == ":":
            before = code[max(code.rfind(";", 0, k), code.rfind("{", 0, k), code.rfind("}", 0, k)) + 1:k]
            if not re.fullmatch(r"\s*(case\b[^?]*|default)\s*:", before) or (k > 1 and code[k - 2] == ":"):
                continue
        while k < len(code) and code[k].isspace():
            k += 1
        yield k


def statement_end(code, start):
    """The offset of the `;` ending the statement at `start`; none if it
    holds a block."""
    depth = 0
    for k in range(start, len(code)):
        c = code[k]
        if c == "{" and depth == 0 and not re.search(r"([=\w>]|\+=)\s*$", code[start:k]):
            return None
        if c in "([{":
            depth += 1
        elif c in ")]}":
            depth -= 1
            if depth < 0:
                return None
        elif c == ";" and depth == 0:
            return k
    return None


DECLARATION = re.compile(
    r"(const|static|auto|constexpr|using|typedef|struct|class|enum|namespace|template|friend|"
    r"virtual|explicit|inline|goto|case|default|else|if|for|while|do|switch|try|catch|unsigned|"
    r"signed|long|short)\b"
    r"|[A-Za-z_][\w:]*(<[^;]*?>)?[\s*&]+[A-Za-z_]\w*\s*([=({\[;,]|$)")


def mutants_of(path, text):
    code = masked(text)
    kinds = brace_kinds(code)
    found = []

    def add(start, end, replacement, kind):
        if text[start:end] != replacement:
            found.append(Mutant(path, text, start, end, replacement, kind))

    for m in re.finditer(r"(?<=\s)(==|!=|<=|>=|<|>)(?=\s)", code):
        for replacement in RELATIONAL[m.group(1)]:
            flip = replacement == {"==": "!=", "!=": "==", "<": ">=", ">": "<=", "<=": ">", ">=": "<"}[m.group(1)]
            add(m.start(), m.end(), replacement, "comparison" if flip else "boundary")
    for m in re.finditer(r"(?<=\s)(&&|\|\|)(?=\s)", code):
        add(m.start(), m.end(), "||" if m.group(1) == "&&" else "&&", "logic")
    for m in re.finditer(r"\b(if|while)\s*\(", code):
        if kinds[m.start()] != "code":
            continue
        close = matching(code, m.end() - 1)
        if not close:
            continue
        condition = code[m.end():close]
        if ";" in condition or DECLARATION.match(condition.strip()):
            continue
        if len(re.findall(r"\s(==|!=|<=|>=|<|>)\s", condition)) == 1 and not re.search(r"&&|\|\||\?", condition):
            continue  # the same as flipping its one comparison
        add(m.end(), close, "!(" + text[m.end():close] + ")", "negation")
    for m in re.finditer(r"(?<![\w.])(0[xX][0-9a-fA-F]+|\d+)([uUlL]*)(?![\w.])", code):
        digits, suffix = m.group(1), m.group(2)
        if re.search(r"\)\s*(const\s*)?=\s*$", code[:m.start()]):
            continue  # a pure virtual function's "= 0"
        octal = len(digits) > 1 and digits[0] == "0" and digits[1] in "01234567"
        value = int(digits, 8 if octal else 0)
        new = {0: 1, 1: 0}.get(value, value + 1)
        if octal:
            spelled = "0" + format(new, "o")
        elif digits.lower().startswith("0x"):
            spelled = format(new, "X" if digits[2:].upper() == digits[2:] else "x")
            spelled = digits[:2] + spelled.rjust(len(digits) - 2, "0")
        else:
            spelled = str(new)
        add(m.start(), m.end(), spelled + suffix, "constant")
    for m in re.finditer(r"\b(true|false|TRUE|FALSE)\b", code):
        add(m.start(), m.end(), {"true": "false", "false": "true", "TRUE": "FALSE", "FALSE": "TRUE"}[m.group(1)],
            "boolean")
    for m in re.finditer(r"\b(return)\s+([^;]*);", code):
        if kinds[m.start()] == "code" and m.group(2).strip() not in TRIVIAL_RETURNS and "{" not in m.group(2):
            add(m.start(2), m.end(2), "{}", "return value")
    seen = set()
    for start in statement_starts(code, kinds):
        if start in seen or start >= len(code):
            continue
        seen.add(start)
        end = statement_end(code, start)
        if end is None:
            continue
        statement = code[start:end].strip()
        if not statement:
            continue
        if re.fullmatch(r"break|continue|return", statement) or statement.startswith("throw "):
            add(start, end + 1, "{}", "removed statement")
        elif re.match(r"(::|\*|\(|\+\+|--|[A-Za-z_])", statement) and not DECLARATION.match(statement) \
                and not statement.startswith(("return", "throw", "delete")):
            call = statement.endswith(")") and not re.search(r"[^=!<>+\-*/|&]=[^=]", statement)
            add(start, end + 1, "{}", "removed call" if call else "removed statement")
    for m in re.finditer(r"(?<![\w.:])[A-Za-z_][\w:.]*(?:\s\|\s[A-Za-z_][\w:.]*)+(?![\w.:(])", code):
        operands = [(o.start() + m.start(), o.end() + m.start()) for o in re.finditer(r"[A-Za-z_][\w:.]*", m.group(0))]
        for i, (a, b) in enumerate(operands):
            if i + 1 < len(operands):
                add(a, operands[i + 1][0], "", "flag")
            else:
                add(operands[i - 1][1], b, "", "flag")
    for m in re.finditer(r"([A-Za-z_]\w*)\s*\(", code):
        if m.group(1) in KEYWORDS or kinds[m.start()] != "code":
            continue
        close = matching(code, m.end() - 1)
        if not close:
            continue
        arguments = split_arguments(code, m.end() - 1, close)
        for (a1, b1), (a2, b2) in zip(arguments, arguments[1:]):
            first, second = text[a1:b1], text[a2:b2]
            if first and second and first != second:
                add(a1, b2, second + text[b1:a2] + first, "swapped arguments")
    found.sort(key=lambda mutant: (mutant.start, mutant.end, mutant.replacement))
    return found


# ---------------------------------------------------------------- the files

def product_files(patterns):
    files = sorted({os.path.relpath(p, ROOT) for g in PRODUCT_GLOBS for p in glob.glob(os.path.join(ROOT, g), recursive=True)})
    if not patterns:
        return files
    chosen = []
    for f in files:
        if any(fnmatch.fnmatch(f, p) or fnmatch.fnmatch(f, os.path.relpath(os.path.abspath(p), ROOT))
               for p in patterns):
            chosen.append(f)
    return chosen


def compiled_sources(build):
    """The product files a build compiles, headers included through them."""
    database = os.path.join(ROOT, BUILDS[build], "compile_commands.json")
    if not os.path.exists(database):
        return None
    with open(database) as f:
        sources = {os.path.relpath(os.path.realpath(e["file"]), ROOT) for e in json.load(f)}
    included, todo = set(sources), list(sources)
    while todo:
        path = os.path.join(ROOT, todo.pop())
        if not os.path.exists(path):
            continue
        with open(path, errors="replace") as f:
            for name in re.findall(r'^\s*#\s*include\s*"([^"]+)"', f.read(), re.M):
                for candidate in (name, os.path.join(os.path.dirname(os.path.relpath(path, ROOT)), name)):
                    if os.path.exists(os.path.join(ROOT, candidate)) and candidate not in included:
                        included.add(candidate)
                        todo.append(candidate)
    return included


def build_for(path, native, win32):
    """Shared files are tested natively; Windows-only ones under Wine."""
    if native is not None and path in native:
        return "native"
    if win32 is not None and path in win32:
        return "win32"
    return None


# ---------------------------------------------------------------- running

class Interrupted(Exception):
    pass


def on_signal(number, _frame):
    raise Interrupted(f"signal {number}")


def journal_write(path, original):
    os.makedirs(os.path.dirname(JOURNAL), exist_ok=True)
    with open(JOURNAL + ".orig", "wb") as f:
        f.write(original)
    with open(JOURNAL + ".path", "w") as f:
        f.write(path)


def end_group():
    """Ends the build or test that a killed run left running: a compiler
    that finished after the restore would leave the mutant's object newer
    than the source, and the next build would keep it."""
    try:
        with open(JOURNAL + ".group") as f:
            group = int(f.read())
        with open(f"/proc/{group}/cmdline", "rb") as f:
            ours = ROOT.encode() in f.read()
    except (OSError, ValueError):
        ours = False
    for _ in range(100 if ours else 0):
        try:
            os.killpg(group, signal.SIGKILL)
        except ProcessLookupError:
            break
        time.sleep(0.05)
    if os.path.exists(JOURNAL + ".group"):
        os.remove(JOURNAL + ".group")


def restore():
    """Puts back the file that a mutant was planted in, if one is."""
    end_group()
    if not (os.path.exists(JOURNAL + ".path") and os.path.exists(JOURNAL + ".orig")):
        return
    with open(JOURNAL + ".path") as f:
        path = f.read()
    with open(JOURNAL + ".orig", "rb") as f:
        original = f.read()
    with open(os.path.join(ROOT, path), "wb") as f:
        f.write(original)
    os.remove(JOURNAL + ".path")
    os.remove(JOURNAL + ".orig")


def run_group(command, timeout, log):
    """Runs `command` in a process group of its own; the exit status, or
    None when it ran out of time. Whatever it started and left running (a
    hung program under test) is ended with it."""
    process = subprocess.Popen(command, cwd=ROOT, stdout=log, stderr=subprocess.STDOUT, start_new_session=True)
    try:
        with open(JOURNAL + ".group", "w") as f:
            f.write(str(process.pid))
        return process.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        return None
    finally:
        try:
            os.killpg(process.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        process.wait()
        if os.path.exists(JOURNAL + ".group"):
            os.remove(JOURNAL + ".group")


def digest(path):
    try:
        with open(path, "rb") as f:
            return hashlib.sha1(f.read()).hexdigest()
    except OSError:
        return None


class Build:
    def __init__(self, name, jobs, log):
        self.name, self.jobs, self.log = name, jobs, log
        self.dir = os.path.join(ROOT, BUILDS[name])
        self.tests = []  # (name, [files of the build it runs], baseline seconds)
        self.digests = {}

    def build(self):
        return run_group(["cmake", "--build", self.dir, "-j", str(self.jobs)], 1800, self.log) == 0

    def ctest(self, test, timeout):
        return run_group(["ctest", "--test-dir", self.dir, "-R", f"^{re.escape(test)}$", "--output-on-failure",
                          "--timeout", str(int(timeout))], timeout + 30, self.log)

    def prepare(self):
        """Builds the unmutated code and runs its tests once: their times
        order them, and a test that fails already can kill nothing."""
        print(f"{self.name}: building the unmutated code in {BUILDS[self.name]}", flush=True)
        if not self.build():
            sys.exit(f"{self.name}: the unmutated code does not build; see {self.log.name}")
        shown = subprocess.run(["ctest", "--test-dir", self.dir, "--show-only=json-v1"], capture_output=True,
                               text=True, check=True)
        for test in json.loads(shown.stdout)["tests"]:
            if NOT_BEHAVIOUR.match(test["name"]):
                continue
            files = [os.path.realpath(a) for a in test.get("command", [])
                     if os.path.isfile(a) and os.path.realpath(a).startswith(self.dir + os.sep)]
            start = time.monotonic()
            self.log.flush()
            before = os.lseek(self.log.fileno(), 0, os.SEEK_END)
            status = self.ctest(test["name"], 600)
            seconds = time.monotonic() - start
            if status != 0:
                print(f"{self.name}: {test['name']} fails without a mutant (see {self.log.name}); left out",
                      flush=True)
                continue
            with open(self.log.name, errors="replace") as f:
                f.seek(before)
                if re.search(r"\*\*\*Skipped|\bNot Run\b", f.read()):
                    print(f"{self.name}: {test['name']} is skipped here; left out", flush=True)
                    continue
            self.tests.append((test["name"], files, seconds))
            print(f"{self.name}: {test['name']} passes in {seconds:.1f} s", flush=True)
        self.tests.sort(key=lambda t: t[2])
        self.digests = {f: digest(f) for _, files, _ in self.tests for f in files}

    def verdict(self, timeout_factor):
        """Builds the planted mistake and runs the tests whose programs it
        changed, cheapest first, up to the first that fails."""
        if not self.build():
            return "not compiled", ""
        changed = {f for f, d in self.digests.items() if digest(f) != d}
        relevant = [t for t in self.tests if changed & set(t[1])]
        if not relevant:
            return "same binary", ""
        for name, _, seconds in relevant:
            status = self.ctest(name, max(30.0, seconds * timeout_factor))
            if status is None:
                return "killed", f"{name} (timed out)"
            if status != 0:
                return "killed", name
        return "survived", ""


def load_equivalents():
    entries = set()
    if not os.path.exists(EQUIVALENT_LIST):
        return entries
    with open(EQUIVALENT_LIST) as f:
        for raw in f:
            line = raw.strip()
            if not line or line.startswith("#"):
                continue
            m = re.match(r"(\S+?): (.*?) => (.*?) ## (.+)$", line)
            if not m:
                sys.exit(f"{EQUIVALENT_LIST}: cannot read: {line}")
            entries.add((m.group(1), " ".join(m.group(2).split()), " ".join(m.group(3).split())))
    return entries


def at_least_one(text):
    if not text.isdigit() or int(text) < 1:
        raise argparse.ArgumentTypeError(f"not a number of mutants: {text}")
    return int(text)


def parse(argv):
    parser = argparse.ArgumentParser(prog="tools/mutate.sh", description=__doc__.split("\n\n")[0])
    parser.add_argument("globs", nargs="*", help="product files to mutate (default: all of daynote/ app/ afx/ cli/)")
    parser.add_argument("--list", action="store_true", help="print the mutants, run nothing")
    parser.add_argument("--sample", type=at_least_one, help="run only N mutants, drawn at random")
    parser.add_argument("--seed", type=int, default=1, help="the draw's seed (default 1)")
    parser.add_argument("--kind", action="append", help="only mutants of this kind (repeatable)")
    parser.add_argument("--build", choices=sorted(BUILDS), help="only files whose mutants this build tests")
    parser.add_argument("--jobs", type=int, default=2, help="parallel compile jobs (default 2)")
    parser.add_argument("--timeout-factor", type=float, default=3.0,
                        help="a test may take this many times its unmutated run (at least 30 s)")
    parser.add_argument("--survivors", help="also write the survivors to this file")
    parser.add_argument("--resume", help="take the verdicts of the mutants an earlier run (its output in this file) "
                                         "judged, and run only the others")
    return parser.parse_args(argv)


def chosen_mutants(args):
    mutants = []
    for path in product_files(args.globs):
        with open(os.path.join(ROOT, path), errors="surrogateescape") as f:
            mutants += mutants_of(path, f.read())
    if args.kind:
        mutants = [m for m in mutants if m.kind in args.kind]
    if args.build:
        native, win32 = compiled_sources("native"), compiled_sources("win32")
        mutants = [m for m in mutants if build_for(m.path, native, win32) == args.build]
    if args.sample is not None and args.sample < len(mutants):
        picked = set(random.Random(args.seed).sample(range(len(mutants)), args.sample))
        mutants = [m for i, m in enumerate(mutants) if i in picked]
    return mutants


def configure():
    """Configures both builds (quickly, once they exist): which of them
    compiles a file decides which tests see its mutants."""
    for name, preset in (("native", "native"), ("win32", "win32")):
        log = os.path.join(ROOT, "build", f"mutate-configure-{name}.log")
        os.makedirs(os.path.dirname(log), exist_ok=True)
        with open(log, "w") as f:
            status = subprocess.run(["cmake", "--preset", preset, "-B", BUILDS[name], "-DCMAKE_EXPORT_COMPILE_COMMANDS=ON",
                                     "-DQUORVIN_WERROR=OFF"], cwd=ROOT, stdout=f, stderr=subprocess.STDOUT).returncode
        if status != 0:
            print(f"cannot configure {BUILDS[name]}: see {log}", file=sys.stderr)


def main(argv):
    if argv[:1] == ["restore"]:
        restore()
        return 0
    if argv[:1] == ["configure"]:
        configure()
        return 0
    if argv[:1] == ["needs-wine"]:
        args = parse(argv[1:])
        native, win32 = compiled_sources("native"), compiled_sources("win32")
        print("yes" if any(build_for(m.path, native, win32) == "win32" for m in chosen_mutants(args)) else "no")
        return 0
    args = parse(argv[1:] if argv[:1] == ["run"] else argv)
    for pattern in args.globs:  # a mistyped one would run nothing and say all is well
        if not product_files([pattern]):
            sys.exit(f"tools/mutate.sh: no product file matches {pattern}")
    mutants = chosen_mutants(args)
    if args.list:
        for m in mutants:
            print(m.label())
        print(f"{len(mutants)} mutants", file=sys.stderr)
        return 0

    signal.signal(signal.SIGTERM, on_signal)
    signal.signal(signal.SIGINT, on_signal)
    signal.signal(signal.SIGHUP, on_signal)
    # A run whose script is killed outright stops as on SIGTERM, rather than planting on alone.
    if sys.platform.startswith("linux"):
        ctypes.CDLL(None).prctl(1, signal.SIGTERM)  # PR_SET_PDEATHSIG
    restore()
    native, win32 = compiled_sources("native"), compiled_sources("win32")
    equivalents = load_equivalents()
    earlier = {}
    if args.resume:
        try:
            lines = open(args.resume, errors="replace").read().splitlines()
        except OSError as error:
            sys.exit(f"cannot resume from {args.resume}: {error.strerror}")
        for line in lines:  # a verdict cut short, as in a truncated file, is none
            m = re.match(r"\[\d+/\d+\] (\S+?:\d+): [a-z ]+: (.*)  -> (KILLED|SURVIVED|NOT COMPILED|SAME BINARY|NOT BUILT)"
                         r"(?: by (.*))?$", line)
            if m:
                earlier[f"{m.group(1)}: {m.group(2)}"] = (m.group(3).lower(), m.group(4) or "")
    os.makedirs(os.path.join(ROOT, "build"), exist_ok=True)
    log = open(os.path.join(ROOT, "build", "mutate.log"), "w")
    builds = {}
    counts = {}
    survivors = []
    began = time.monotonic()
    try:
        for index, m in enumerate(mutants, 1):
            where = build_for(m.path, native, win32)
            if (m.path, m.original, m.mutated) in equivalents:
                m.result, detail = "equivalent", "listed"
            elif where is None:
                m.result, detail = "not built", "no build compiles this file"
            elif f"{m.path}:{m.line}: {m.original} => {m.mutated}" in earlier:
                m.result, detail = earlier[f"{m.path}:{m.line}: {m.original} => {m.mutated}"]
            else:
                if where not in builds:
                    builds[where] = Build(where, args.jobs, log)
                    builds[where].prepare()
                with open(os.path.join(ROOT, m.path), "rb") as f:
                    original = f.read()
                journal_write(m.path, original)
                log.write(f"\n===== {m.label()}\n")
                log.flush()
                with open(os.path.join(ROOT, m.path), "wb") as f:
                    f.write(m.apply(original.decode(errors="surrogateescape")).encode(errors="surrogateescape"))
                try:
                    m.result, detail = builds[where].verdict(args.timeout_factor)
                finally:
                    restore()
            counts[m.result] = counts.get(m.result, 0) + 1
            if m.result == "survived":
                survivors.append(m)
            print(f"[{index}/{len(mutants)}] {m.label()}  -> {m.result.upper()}{' by ' + detail if detail else ''}",
                  flush=True)
    except Interrupted as stop:
        print(f"interrupted ({stop}); the file is restored", file=sys.stderr)
        return 130
    finally:
        restore()
        log.close()
    minutes = (time.monotonic() - began) / 60
    print(f"\nSurvivors ({len(survivors)}):")
    for m in survivors:
        print("  " + m.label())
    if args.survivors:
        with open(args.survivors, "w") as f:
            f.writelines(m.label() + "\n" for m in survivors)
    killed, survived = counts.get("killed", 0), counts.get("survived", 0)
    print(f"\n{len(mutants)} mutants in {minutes:.1f} min: " +
          ", ".join(f"{n} {r}" for r, n in sorted(counts.items())))
    if killed + survived:
        print(f"score: {killed}/{killed + survived} = {100.0 * killed / (killed + survived):.1f}% killed "
              f"(not compiled, same binary and listed equivalents left out)")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
