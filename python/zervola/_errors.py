"""The exceptions of zervola and the warnings it gives.

Every failure of reading, checking, analysing or writing a model raises a
subclass of :class:`Error` with zervola-frame's own message (what it prints
after ``zervola-frame: error:``), which names the file, the item, the field
and the value at fault.
"""

from typing import NamedTuple, Tuple


class FrameWarning(NamedTuple):
    """Something legal but suspicious, found while reading or analysing.

    ``code`` is short and stable (``"crossing_members"``, ``"near_miss"``,
    ... as listed in docs/model-format.md, "Warnings"), ``message`` says
    what, where and what to check, ``items`` names the items concerned.
    """

    code: str
    message: str
    items: Tuple[str, ...]


def warnings_of(tuples):
    """FrameWarning records from the compiled module's (code, message, items) tuples."""
    return [FrameWarning(code, message, tuple(items)) for code, message, items in tuples]


class Error(Exception):
    """Base class of every zervola failure."""


class ModelError(Error):
    """A fault of the model: its file's syntax (file:line:column), its structure
    or its meaning (the item and the field), or a support, spring or load that
    lies on no node."""


class AnalysisError(Error):
    """A model that cannot be analysed: not in one piece, a mechanism, a
    singular system, results that are not finite, more memory than the
    process may use.

    Attributes:
        node: the node (1-based drawing number) the failure names first, or 0.
        warnings: list of FrameWarning found before the failure, which often
            explain it (the model's own first).
    """

    node = 0
    _warnings = ()

    @property
    def warnings(self):
        return warnings_of(self._warnings)


class OutputError(Error):
    """An output file or directory that cannot be written; nothing was
    changed."""


class StrictError(Error):
    """``analyse(strict=True)`` found warnings (zervola-frame --strict).

    Attributes:
        warnings: list of FrameWarning.
    """

    def __init__(self, warnings):
        self.warnings = list(warnings)
        super().__init__(
            f"--strict: the model gave {len(self.warnings)} warning"
            f"{'' if len(self.warnings) == 1 else 's'}: "
            + "; ".join(f"[{w.code}] {w.message}" for w in self.warnings))
