"""zervola: frame analysis by the finite element method, from Python.

    import zervola
    m = zervola.Model(units=("kN", "m"), frame="plane")
    ...
    r = m.analyse()
    r.displacements("wind")        # (n_nodes, 6) numpy array
    r.modes[0].period              # with m.modal(6): the natural modes

See docs/python.md for the whole API, the units and the sign conventions.
"""

from ._errors import (AnalysisError, Error, FrameWarning, ModelError, OutputError,
                      StrictError)
from .model import Model, read
from .results import (DIRECTIONS, QUANTITIES, Envelope, InternalForces, MemberResults,
                      ModalResults, Mode, Results, SpectrumResults)
from . import _core
from . import plotting    # imports matplotlib only when it draws

__version__ = "0.1.0"


def sign_convention():
    """The end-force sign convention, as every output states it."""
    return _core.sign_convention()


__all__ = ["AnalysisError", "DIRECTIONS", "Envelope", "Error", "FrameWarning",
           "InternalForces", "MemberResults", "ModalResults", "Mode", "Model", "ModelError", "SpectrumResults",
           "OutputError", "QUANTITIES", "Results", "StrictError", "plotting", "read",
           "sign_convention"]
