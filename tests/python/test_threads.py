"""The analysis releases the GIL and keeps no state: models analysed on a
thread pool give exactly what they give one after the other."""

from concurrent.futures import ThreadPoolExecutor

import zervola
from conftest import ROOT, snapshot_runs

MODELS = sorted({model for _, model, _ in snapshot_runs()})
THREADS = 2


def outputs(model_path):
    results = zervola.read(model_path).analyse()
    return results.to_json(), results.report()


def test_a_thread_pool_gives_the_serial_results():
    serial = [outputs(m) for m in MODELS]
    with ThreadPoolExecutor(max_workers=THREADS) as pool:
        threaded = list(pool.map(outputs, MODELS))
    assert threaded == serial


def test_one_model_analysed_on_several_threads_at_once():
    model = zervola.read(ROOT / "examples" / "office_frame.json")
    expected = model.analyse().to_json()
    with ThreadPoolExecutor(max_workers=THREADS) as pool:
        runs = list(pool.map(lambda _: model.analyse().to_json(), range(4)))
    assert runs == [expected] * 4
