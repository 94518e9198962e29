"""The end-to-end tier under pytest: one Session for the whole run (Xvfb,
the Wine prefix's server, the probe), a clean start for every scenario, a
screenshot when one fails, and scenarios that need another desktop (size,
DPI, task bar) grouped at the end so that each desktop is brought up once."""
import re
import signal

import pytest

import harness


def pytest_configure(config):
    # A SIGTERM (or a closed terminal) stops the run like Ctrl-C, so that the
    # session's clean-up still ends Xvfb and Wine.
    def stop(signum, _frame):
        raise KeyboardInterrupt(f"stopped by {signal.Signals(signum).name}")
    for sig in (signal.SIGTERM, signal.SIGHUP):
        signal.signal(sig, stop)


@pytest.fixture(scope="session")
def session(request):
    plugins = request.config.pluginmanager
    reporter, capture = plugins.get_plugin("terminalreporter"), plugins.get_plugin("capturemanager")

    def say(text):
        if reporter and capture:
            with capture.global_and_fixture_disabled():
                reporter.write_line(text)
    s = harness.Session(say)
    try:
        say("")
        say(s.start())
        yield s
    finally:
        left = s.close()
        if left:
            pytest.fail(f"processes left behind: {left}", pytrace=False)


@pytest.fixture
def desktop(request, session):
    """Parametrised indirectly with a harness.Desktop (lab.wine.Desktop): the desktop to run on."""
    session.switch(request.param)
    return request.param


@pytest.fixture
def e2e(request, session):
    """The session, reset for one scenario; what it launched is ended after."""
    if "desktop" not in request.fixturenames:
        session.switch(harness.DEFAULT)
    session.begin(re.sub(r"[^\w.-]+", "-", request.node.name).strip("-"))
    yield session
    session.end()


def _desktop_of(item):
    callspec = getattr(item, "callspec", None)
    return callspec.params.get("desktop", harness.DEFAULT) if callspec else harness.DEFAULT


def _run_of(item):
    """Which full run of the tier an item belongs to, with pytest-repeat's
    --count N --repeat-scope=session (1 without it)."""
    callspec = getattr(item, "callspec", None)
    return callspec.params.get("__pytest_repeat_step_number", 0) + 1 if callspec else 1


def pytest_collection_modifyitems(items):
    """Run by run: in each, default-desktop scenarios first, then each other
    desktop's together."""
    order = []
    for item in items:
        if _desktop_of(item) not in order:
            order.append(_desktop_of(item))
    order.sort(key=lambda d: d != harness.DEFAULT)
    items.sort(key=lambda item: (_run_of(item), order.index(_desktop_of(item))))
    for item in items:
        _expected.add((_scenario_of(item, _run_of(item)), _run_of(item)))


_outcomes = {}  # scenario -> {run: "passed", "failed" or "skipped"}
_expected = set()  # (scenario, run) for every item collected


def _scenario_of(item, run):
    """The item's id without pytest-repeat's "RUN-COUNT" part."""
    suffix = f"{run}-{_count(item.config)}"
    if item.nodeid.endswith(f"[{suffix}]"):
        return item.nodeid[:-len(suffix) - 2]
    if item.nodeid.endswith(f"-{suffix}]"):
        return item.nodeid[:-len(suffix) - 2] + "]"
    return item.nodeid


def _count(config):
    return config.getoption("count", 1) if config.pluginmanager.has_plugin("repeat") else 1


def _record(item, report):
    run = _run_of(item)
    runs = _outcomes.setdefault(_scenario_of(item, run), {})
    if report.failed:
        runs[run] = "failed"
    elif report.skipped and runs.get(run) != "failed":
        runs[run] = "skipped"
    elif report.when == "call":
        runs.setdefault(run, "passed")


def pytest_terminal_summary(terminalreporter, config):
    """With several full runs: each scenario's failures, and how many runs
    were green (every scenario passed; a skip is not a pass)."""
    count = _count(config)
    if count <= 1 or not _outcomes:
        return
    write = terminalreporter.write_line
    write("")
    write(f"== {count} full runs of the tier ==")
    spoilt = set()
    for name, runs in _outcomes.items():
        for outcome in ("failed", "skipped"):
            hit = sorted(r for r, o in runs.items() if o == outcome)
            spoilt.update(hit)
            if hit:
                write(f"{name}: {outcome} in {len(hit)} of {len(runs)} runs ({', '.join(map(str, hit))})")
    # A run is whole once every scenario collected for it has an outcome.
    done = {(name, r) for name, runs in _outcomes.items() for r in runs}
    whole = {r for r in range(1, count + 1) if all(pair in done for pair in _expected if pair[1] == r)}
    green = len(whole - spoilt)
    write(f"{green} of {count} runs green"
          + (f"; not green: runs {sorted(set(range(1, count + 1)) - (whole - spoilt))}"
             if green != count else ": every scenario passed in every run")
          + (f" (runs not finished: {sorted(set(range(1, count + 1)) - whole)})" if len(whole) != count else ""))


@pytest.hookimpl(hookwrapper=True)
def pytest_runtest_makereport(item, call):
    """A failed scenario leaves a screenshot of the moment, before the
    programs it started are ended; every outcome is kept for the summary of
    repeated runs."""
    outcome = yield
    report = outcome.get_result()
    _record(item, report)
    session = item.funcargs.get("e2e") if hasattr(item, "funcargs") else None
    if report.failed and session is not None and report.when in ("setup", "call"):
        try:
            report.sections.append(("screenshot", str(session.screenshot("failure"))))
        except Exception as e:  # the display itself may be what failed
            report.sections.append(("screenshot", f"none: {e}"))
