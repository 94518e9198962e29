"""Runs the e2e scenarios: every test_* function of e2e/test_*.py, given the
shared Session. Usage: runner.py [--list] [--timeout SECONDS] [FILTER...];
a FILTER is a part of a scenario's name, "test_file.py::test_name"."""
import argparse
import importlib
import signal
import sys
import time
import traceback
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import harness  # noqa: E402


class Interrupted(BaseException):
    """A signal or the scenario time limit; BaseException so that no
    scenario's `except Exception` swallows it."""


def _raise(signum, _frame):
    raise Interrupted(f"stopped by {signal.Signals(signum).name}")


def collect(filters):
    found = []
    for path in sorted(Path(__file__).resolve().parent.glob("test_*.py")):
        module = importlib.import_module(path.stem)
        for name, fn in vars(module).items():
            full = f"{path.name}::{name}"
            if name.startswith("test_") and callable(fn) and (not filters or any(f in full for f in filters)):
                found.append((full, fn))
    return found


def run_one(session, full, fn, limit):
    """Runs one scenario; returns None or the text of its failure."""
    name = full.replace(".py::", "-")
    signal.signal(signal.SIGALRM, lambda *_: _raise_timeout(limit))
    signal.alarm(limit)
    try:
        session.begin(name)
        fn(session)
        return None
    except Interrupted as e:
        if "time limit" not in str(e):
            raise
        return traceback.format_exc(limit=-2).rstrip()
    except Exception:
        return traceback.format_exc(limit=-3).rstrip()
    finally:
        signal.alarm(0)
        try:
            session.end()
        except Exception as e:  # a failed clean-up spoils the next scenario too
            print(f"    clean-up after {full} failed: {e}", flush=True)


def _raise_timeout(limit):
    raise Interrupted(f"scenario time limit of {limit} s ran out")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("filters", nargs="*")
    parser.add_argument("--list", action="store_true", help="list the scenarios and stop")
    parser.add_argument("--timeout", type=int, default=300, help="seconds per scenario")
    args = parser.parse_args()

    scenarios = collect(args.filters)
    if args.list:
        print("\n".join(full for full, _ in scenarios))
        return 0
    if not scenarios:
        print(f"e2e: no scenario matches {args.filters}", file=sys.stderr)
        return 1

    for sig in (signal.SIGTERM, signal.SIGHUP):
        signal.signal(sig, _raise)
    # Also when started in the background, where the shell ignores SIGINT for us.
    signal.signal(signal.SIGINT, signal.default_int_handler)
    session = harness.Session()
    passed = failed = 0
    try:
        started = time.monotonic()
        session.start()
        print(f"e2e: display {session.display}, prefix {harness.PREFIX}, "
              f"ready in {time.monotonic() - started:.1f} s", flush=True)
        for full, fn in scenarios:
            started = time.monotonic()
            failure = run_one(session, full, fn, args.timeout)
            took = time.monotonic() - started
            if failure is None:
                passed += 1
                print(f"PASS {full} ({took:.1f} s)", flush=True)
            else:
                failed += 1
                print(f"FAIL {full} ({took:.1f} s)", flush=True)
                print("    " + failure.replace("\n", "\n    "), flush=True)
                try:
                    print(f"    screenshot: {session.screenshot('failure')}", flush=True)
                except Exception as e:
                    print(f"    no screenshot: {e}", flush=True)
    except (Interrupted, KeyboardInterrupt, harness.HarnessError, harness.WaitTimeout) as e:
        print(f"e2e: stopped: {str(e) or type(e).__name__}", file=sys.stderr, flush=True)
        failed += 1
    finally:
        signal.signal(signal.SIGINT, signal.SIG_IGN)  # let the clean-up finish
        for sig in (signal.SIGTERM, signal.SIGHUP):
            signal.signal(sig, signal.SIG_IGN)
        left = session.close()
        if left:
            print(f"e2e: processes left behind: {left}", file=sys.stderr, flush=True)
            failed += 1
    print(f"e2e: {passed} passed, {failed} failed", flush=True)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
