"""What the Python package's tests share: the project's paths, the runs whose
outputs zervola-frame keeps in tests/data/frame-outputs, and the program
itself for the tests that compare against what it prints."""

import os
import re
import shutil
from pathlib import Path

import pytest

ROOT = Path(__file__).resolve().parents[2]
OUTPUTS = ROOT / "tests" / "data" / "frame-outputs"
SNAPSHOT_RUNS = ROOT / "tests" / "frame" / "output_snapshot_runs.cmake"


def snapshot_runs():
    """(name, model path, [arguments]) of every kept run, as the C++ snapshot
    test reads the same list."""
    entry = re.compile(r'^\s*"([^|"]+)\|([^|"]+)\|([^"]*)"\s*$')
    runs = []
    for line in SNAPSHOT_RUNS.read_text().splitlines():
        match = entry.match(line)
        if match:
            name, model, arguments = match.groups()
            runs.append((name, ROOT / model, [a for a in arguments.split(",") if a]))
    return runs


def program_path():
    """zervola-frame: $ZERVOLA_FRAME_PROGRAM, or the one of a build tree."""
    given = os.environ.get("ZERVOLA_FRAME_PROGRAM")
    if given:
        return Path(given)
    for tree in ("build/release", "build"):
        candidate = ROOT / tree / "cli" / "zervola-frame"
        if candidate.is_file():
            return candidate
    found = shutil.which("zervola-frame")
    return Path(found) if found else None


@pytest.fixture(scope="session")
def program():
    path = program_path()
    if path is None:
        pytest.skip("zervola-frame is not built (set ZERVOLA_FRAME_PROGRAM)")
    return path


@pytest.fixture
def in_directory(monkeypatch):
    """Runs the test in a directory, so that a model read by its bare file name
    is named in outputs as zervola-frame names it when run beside it."""
    def enter(directory):
        monkeypatch.chdir(directory)
    return enter
