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
    """Parametrised indirectly with a winenv.Desktop: the desktop to run on."""
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


def pytest_collection_modifyitems(items):
    """Default-desktop scenarios first, then each other desktop's together."""
    order = []
    for item in items:
        if _desktop_of(item) not in order:
            order.append(_desktop_of(item))
    order.sort(key=lambda d: d != harness.DEFAULT)
    items.sort(key=lambda item: order.index(_desktop_of(item)))


@pytest.hookimpl(hookwrapper=True)
def pytest_runtest_makereport(item, call):
    """A failed scenario leaves a screenshot of the moment, before the
    programs it started are ended."""
    outcome = yield
    report = outcome.get_result()
    session = item.funcargs.get("e2e") if hasattr(item, "funcargs") else None
    if report.failed and session is not None and report.when in ("setup", "call"):
        try:
            report.sections.append(("screenshot", str(session.screenshot("failure"))))
        except Exception as e:  # the display itself may be what failed
            report.sections.append(("screenshot", f"none: {e}"))
