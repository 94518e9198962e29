"""Bounded waits: each one says what it waited for and what it saw last."""
import time


class WaitTimeout(AssertionError):
    """A bounded wait ran out; the message names what was expected and seen."""


def wait_until(what, poll, timeout, interval=0.2):
    """Calls poll() -> (done, seen) until done; returns seen, or raises
    WaitTimeout naming `what` and the last thing seen."""
    deadline = time.monotonic() + timeout
    while True:
        done, seen = poll()
        if done:
            return seen
        if time.monotonic() >= deadline:
            raise WaitTimeout(f"waited {timeout:g} s for {what}; last seen: {seen}")
        time.sleep(interval)


def wait_stable(what, read, plausible, timeout, repeats=3, interval=0.1):
    """Reads until `repeats` reads in a row give the same plausible value;
    returns it. For a reference taken from the screen, which can be caught
    half drawn or in passing."""
    run = []

    def poll():
        value = read()
        if not plausible(value):
            run.clear()
        elif run and run[-1] != value:
            run[:] = [value]
        else:
            run.append(value)
        return len(run) >= repeats, value
    return wait_until(what, poll, timeout, interval)
