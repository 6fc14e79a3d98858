"""The parametric study of examples/python gives, on a thread pool and on a
local Dask cluster, exactly what its plain loop gives."""

import sys

import pytest

from conftest import ROOT

sys.path.insert(0, str(ROOT / "examples" / "python"))
import parametric_study as study  # noqa: E402

# Every column once and every beam once, in few enough variants for a test.
SAMPLE = [(c, b) for c, b in zip(study.COLUMNS * 2, study.BEAMS)]


def test_the_study_has_two_hundred_variants_and_the_sample_covers_every_profile():
    assert len(study.variants()) == 200
    assert {c for c, _ in SAMPLE} == set(study.COLUMNS)
    assert {b for _, b in SAMPLE} == set(study.BEAMS)


def test_threads_give_the_loop():
    assert study.study_on_threads(SAMPLE, 2) == study.study_in_a_loop(SAMPLE)


def test_a_local_dask_cluster_gives_the_loop():
    distributed = pytest.importorskip("distributed")
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                  dashboard_address=None) as cluster, \
            distributed.Client(cluster) as client:
        assert study.study_on_dask(SAMPLE, client) == study.study_in_a_loop(SAMPLE)
