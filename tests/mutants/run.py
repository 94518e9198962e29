#!/usr/bin/python3
"""The mutation check: every edit in edits.py breaks one rule of the portable
core, and some host test must fail because of it.

The source tree is copied once into build/mutants/ (later runs only bring
over the files that changed, so the builds stay incremental), built there, and
the host tests must pass on the copy first. Then each edit is applied to the
copy, built incrementally and tested, and the file is put back byte for byte.

An edit counts as caught when the host tests fail, crash or run past the time
limit. An edit that does not compile is reported as broken, not as caught: it
would only show that the compiler reads the code, and it is a fault in the
table. The run fails naming every edit that survived, that did not compile,
or whose text is not found exactly once in its file.

Usage: run.py [-j WORKERS] [NUMBER...]
"""

import argparse
import concurrent.futures
import filecmp
import os
import queue
import re
import shutil
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, HERE)
import edits as table  # noqa: E402

# What the host build reads; nothing else is copied.
COPIED = ["CMakeLists.txt", "app", "screen", "registry", "platform", "tests"]
SKIPPED = {"mutants", "fuzz", "__pycache__"}
SCRATCH = os.path.join(ROOT, "build", "mutants")
TEST_SECONDS = 20      # the whole suite takes milliseconds; longer is a hang
BUILD_SECONDS = 600


def source_files():
    for top in COPIED:
        path = os.path.join(ROOT, top)
        if os.path.isfile(path):
            yield top
            continue
        for folder, dirs, files in os.walk(path):
            dirs[:] = sorted(d for d in dirs if d not in SKIPPED)
            for name in sorted(files):
                yield os.path.relpath(os.path.join(folder, name), ROOT)


def sync_copy(src_dir):
    """Brings the copy up to date, touching only files that differ."""
    wanted = set(source_files())
    for rel in wanted:
        source = os.path.join(ROOT, rel)
        target = os.path.join(src_dir, rel)
        if os.path.exists(target) and filecmp.cmp(source, target, shallow=False):
            continue
        os.makedirs(os.path.dirname(target), exist_ok=True)
        shutil.copyfile(source, target)
    for folder, _, files in os.walk(src_dir):
        for name in files:
            rel = os.path.relpath(os.path.join(folder, name), src_dir)
            if rel not in wanted:
                os.remove(os.path.join(folder, name))


class Slot:
    """One scratch copy with its own build folder."""

    def __init__(self, number, build_jobs):
        self.src = os.path.join(SCRATCH, f"src{number}")
        self.build = os.path.join(SCRATCH, f"build{number}")
        self.jobs = build_jobs
        self.binary = os.path.join(self.build, "tests", "host_tests")

    def prepare(self):
        os.makedirs(self.src, exist_ok=True)
        sync_copy(self.src)
        if not os.path.exists(os.path.join(self.build, "CMakeCache.txt")):
            generator = ["-G", "Ninja"] if shutil.which("ninja") else []
            run(["cmake", "-S", self.src, "-B", self.build, "-DCMAKE_BUILD_TYPE=Debug",
                 *generator], BUILD_SECONDS, check=True)

    def compile(self):
        """Says whether the incremental build succeeded, and its log."""
        try:
            done = run(["cmake", "--build", self.build, "--target", "host_tests",
                        "-j", str(self.jobs)], BUILD_SECONDS)
        except subprocess.TimeoutExpired:
            return False, "the build ran past %d s" % BUILD_SECONDS
        return done.returncode == 0, done.stdout

    def test(self):
        """Returns (passed, what happened)."""
        try:
            done = run([self.binary, "--gtest_brief=1", "--gtest_fail_fast"], TEST_SECONDS)
        except subprocess.TimeoutExpired:
            return False, "the tests hung: stopped after %d s" % TEST_SECONDS
        if done.returncode == 0:
            return True, ""
        failed = re.findall(r"^\[  FAILED  \] (\S+)", done.stdout, re.M)
        if failed:
            return False, "failed: " + failed[0]
        if done.returncode < 0:
            return False, "the tests crashed (signal %d)" % -done.returncode
        return False, "the tests exited with %d" % done.returncode


def run(command, timeout, check=False):
    # start_new_session: a timed-out run is killed with all it started.
    with subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                          text=True, errors="replace", start_new_session=True) as proc:
        try:
            out, _ = proc.communicate(timeout=timeout)
        except subprocess.TimeoutExpired:
            os.killpg(proc.pid, 9)
            proc.communicate()
            raise
    done = subprocess.CompletedProcess(command, proc.returncode, out)
    if check and done.returncode != 0:
        sys.exit("%s failed:\n%s" % (" ".join(command), out[-4000:]))
    return done


def write_fresh(path, text):
    """Writes the file and gives it a time later than anything built so far."""
    before = os.stat(path).st_mtime_ns
    with open(path, "w", newline="") as f:
        f.write(text)
    now = max(time.time_ns(), before + 1_000_000)
    os.utime(path, ns=(now, now))


def check_edit(edit):
    """The problem with an edit's text, or None."""
    path = os.path.join(ROOT, edit.file)
    if not os.path.isfile(path):
        return "no such file"
    if edit.find == edit.replace:
        return "the replacement is the text itself"
    with open(path, newline="") as f:
        count = f.read().count(edit.find)
    if count != 1:
        return "text found %d times, not once" % count
    return None


def try_edit(slot, edit):
    """Applies one edit in the slot's copy, builds, tests, puts the file back.
    Returns (status, detail) with status caught, survived or broken."""
    path = os.path.join(slot.src, edit.file)
    with open(path, newline="") as f:
        original = f.read()
    write_fresh(path, original.replace(edit.find, edit.replace, 1))
    try:
        built, log = slot.compile()
        if not built:
            error = re.search(r"error: (.*)", log)
            return "broken", "does not compile: " + (error.group(1) if error else log[-300:])
        passed, what = slot.test()
        return ("survived", "all host tests passed") if passed else ("caught", what)
    finally:
        write_fresh(path, original)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("-j", "--workers", type=int, default=2,
                        help="scratch copies tried side by side (default 2)")
    parser.add_argument("numbers", nargs="*", type=int, help="only these edits (1-based)")
    args = parser.parse_args()

    edits = list(enumerate(table.EDITS, start=1))
    if args.numbers:
        edits = [(n, e) for n, e in edits if n in args.numbers]
    start = time.monotonic()
    results = {}
    valid = []
    for number, edit in edits:
        problem = check_edit(edit)
        if problem:
            results[number] = ("not found", problem)
        else:
            valid.append((number, edit))

    workers = max(1, min(args.workers, len(valid)))
    slots = [Slot(n, max(1, (os.cpu_count() or 1) // workers)) for n in range(workers)]
    # The copies are built and checked one after another: each full build
    # already uses every core.
    for slot in slots:
        slot.jobs, jobs = os.cpu_count() or 1, slot.jobs
        slot.prepare()
        built, log = slot.compile()
        if not built:
            sys.exit("the unedited copy does not build:\n" + log[-4000:])
        passed, what = slot.test()
        if not passed:
            sys.exit("the host tests fail without any edit (%s); fix that first" % what)
        slot.jobs = jobs
    print("mutants: %d edits, %d scratch copies, tests stopped after %d s"
          % (len(edits), len(slots), TEST_SECONDS), flush=True)

    free = queue.Queue()
    for slot in slots:
        free.put(slot)

    def work(item):
        number, edit = item
        slot = free.get()
        try:
            return number, try_edit(slot, edit)
        finally:
            free.put(slot)

    with concurrent.futures.ThreadPoolExecutor(workers) as pool:
        for number, outcome in pool.map(work, valid):
            results[number] = outcome

    # Every file was put back: the copies must build and pass again.
    for slot in slots:
        built, _ = slot.compile()
        passed, what = slot.test() if built else (False, "does not build")
        if not passed:
            sys.exit("a copy is not clean after the edits were undone (%s)" % what)

    labels = {"caught": "caught  ", "survived": "SURVIVED", "broken": "BROKEN  ",
              "not found": "NOTFOUND"}
    for number, edit in edits:
        status, detail = results[number]
        print("%s %2d %s: %s -- %s" % (labels[status], number, edit.file, edit.rule, detail))
    counts = {s: sum(1 for st, _ in results.values() if st == s) for s in labels}
    print("mutants: %d caught, %d survived, %d do not compile, %d not found exactly once "
          "(%d edits, %.0f s)" % (counts["caught"], counts["survived"], counts["broken"],
                                  counts["not found"], len(edits), time.monotonic() - start))
    bad = [n for n, (st, _) in sorted(results.items()) if st != "caught"]
    if bad:
        print("mutants: FAILED; fix these edits or add tests that catch them: "
              + ", ".join(str(n) for n in bad))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
